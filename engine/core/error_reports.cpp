#include "engine/core/error_reports.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/messages.h"
#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"

namespace qt::engine {

void note(std::string_view utf8) {
    std::string line = "qRun: ";
    line.append(utf8).append("\n");
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void endProcess(Engine& engine, int code) {
    if (engine.exitNow) {
        engine.exitNow(code);
        return;
    }
    std::exit(code);
}

namespace {

// Once the window is gone the engine is ending: reports that follow (such as
// the reader failing on the path that errexit just refused) are not shown.
bool ending(const Engine& engine) { return engine.hasWindow && !mainWindowExists(engine); }

}  // namespace

void errexit(Engine& engine, std::string_view textCp932) {
    if (ending(engine)) return;
    showMessageBox(engine, msg::errexitCaption.cp932(), textCp932, platform::BoxIcon::stop);
    engine.fatal = true;
    if (!engine.hasWindow) {
        endProcess(engine, 1);
        return;
    }
    destroyMainWindow(engine);
}

void showErrorBox(Engine& engine, std::string_view textCp932) {
    if (ending(engine)) return;
    std::string caption = qt::msg::errorCaption.cp932();
    caption += engine.host != nullptr ? engine.host->fileName() : "";
    caption += qt::msg::lineCaption.cp932();
    caption += std::to_string(engine.host != nullptr ? engine.host->lineNumber() : 0);
    showMessageBox(engine, caption, textCp932, platform::BoxIcon::exclamation);
}

}  // namespace qt::engine
