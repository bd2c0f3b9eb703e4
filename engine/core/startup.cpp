#include "engine/core/startup.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "common/exe_folder.h"
#include "common/ini_file.h"
#include "common/paths.h"
#include "engine/core/capture.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/message_loop.h"
#include "engine/core/messages.h"
#include "engine/core/settings.h"
#include "engine/core/window_geometry.h"

namespace qt::engine {

bool startUp(Engine& engine) {
    platform::Backend& backend = *engine.backend;
    readScreenSettings(engine);
    engine.host->prepareArguments();
    if (!readKeyWaitSettings(engine)) {
        endProcess(engine, 1);
        return false;
    }
    engine.host->constructReader();
    engine.host->constructSound();

    char path[261];
    readIniString("main", "title", msg::defaultTitle.c_str(), path, sizeof path, kIniFile);
    engine.titleCp932 = path;
    if (readIniInt("main", "authorMode", 0, kIniFile) != 0) engine.authorMode = true;
    const int32_t heightP = readIniInt("screen", "wincsizeHeightP", 0, kIniFile);
    const int32_t widthP = readIniInt("screen", "wincsizeWidthP", 0, kIniFile);
    const platform::WindowSpec shape =
        windowSpecFor(backend.metrics(), engine.windowWidth, engine.windowHeight, widthP, heightP, path);
    if (!createMainWindow(engine, shape)) {
        note(msg::noWindowMade.utf8());
        endProcess(engine, 1);
        return false;
    }
    engine.hasWindow = true;
    if (engine.fullscreenAsked) backend.setFullscreen(true);
    if (engine.keyWait.mouseAdvance != 0) backend.takeClicks(true);

    const platform::ColorRef clear =
        static_cast<platform::ColorRef>(readIniNumber("screen", "ClearColor", 0xFF00FF, kIniFile));
    const int32_t count = readUserScreenCount();
    engine.screens.create(engine, count, clear);

    showMainWindow(engine);

    platform::Surface* presentation = engine.screens.built() ? engine.screens.getDC(0) : nullptr;
    engine.honbun.init(engine, presentation);

    readFirstScenario(path, sizeof path);
    if (!pathExists(path)) errexit(engine, msg::firstScenarioMissing.cp932() + path);
    engine.host->openFirst(path);
    return true;
}

int runEngine(Engine& engine, const std::function<void(Engine&)>& restart) {
    if (getExeFolder(exeFolder)) {
        if (::chdir(exeFolderOnDisk()) != 0) {
            note(msg::folderNotEntered.utf8() + std::string(exeFolderOnDisk()));
        }
    } else {
        showErrorBox(engine, msg::exeFolderFailed.cp932());
    }
    if (!startUp(engine)) return 1;

    const int code = runMessageLoop(engine);
    captureEnd(engine);
    if (engine.runState == kRestarting) {
        engine.host->releaseForRestart();
        if (restart) restart(engine);
    }
    return engine.fatal ? 1 : code;
}

}  // namespace qt::engine
