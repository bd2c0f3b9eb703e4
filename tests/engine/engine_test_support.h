#pragma once
// An engine on the headless backend, started in a temporary game folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/exe_folder.h"
#include "common/scenario_format.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/startup.h"
#include "engine/core/window_geometry.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/headless/headless_backend.h"
#include "engine/platform/sdl2_mixer/mixer_sound.h"
#include "platform/test_files.h"

namespace qt::engine::test {

inline const std::string kHeader = scenario::kHeaderLine;

using platform::test::TempFolder;

// An engine started in a temporary folder, as start-up leaves it.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::strcpy(qt::exeFolder, folder.path().c_str());
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override {
        if (trace_ != nullptr) std::fclose(trace_);
        std::filesystem::current_path(oldCwd_);
    }

    void makeEngine() {
        backend = std::make_unique<platform::HeadlessBackend>(platform::HeadlessOptions{});
        engine = std::make_unique<Engine>();
        static const auto text = platform::createFreeTypeText();
        static const auto sound = platform::createMixerSound(true);
        engine->backend = backend.get();
        engine->text = text.get();
        engine->sound = sound.get();
        interpreter = std::make_unique<Interpreter>(*engine);
        engine->host = interpreter.get();
        exitCodes.clear();
        engine->exitNow = [this](int code) { exitCodes.push_back(code); };
    }

    // Start-up on settings (UTF-8, stored CP932) naming "s.dat" first.
    bool start(const std::string& scenario, const std::string& iniUtf8 = "") {
        folder.write("qRun.ini", utf8ToCp932("[main]\nFirstScenario=s.dat\n" + iniUtf8));
        folder.write("s.dat", scenario);
        makeEngine();
        return startUp(*engine);
    }

    // Screens without start-up (no text), sw x sh composed onto ww x wh.
    void makeScreens(int sw, int sh, int ww, int wh, int32_t count = 2) {
        makeEngine();
        engine->screenWidth = sw;
        engine->screenHeight = sh;
        engine->windowWidth = ww;
        engine->windowHeight = wh;
        ASSERT_TRUE(createMainWindow(*engine, windowSpecFor(backend->metrics(), 8, 6, 0, 0, "t")));
        engine->hasWindow = true;
        engine->screens.create(*engine, count, 0xFF00FF);
        engine->honbun.dark = {-1, 0, 0, 0, 2};
    }

    // Starts on `body` (UTF-8, stored CP932) after the header and steps until
    // the scenario ends, waits or the window is gone.
    void play(const std::string& body, const std::string& ini = "[honbun]\nlineSpeed=0\n") {
        if (trace_ != nullptr) std::fclose(trace_);
        ASSERT_TRUE(start(kHeader + utf8ToCp932(body), ini));
        interpreter->setTrace(trace_ = std::fopen("trace.txt", "w"));
        run();
    }
    void run() {
        for (int i = 0; i < 200 && engine->runState == kRunning && backend->windowExists() && !interpreter->atEnd();
             ++i)
            interpreter->step();
    }
    std::string trace() {
        std::fflush(trace_);
        return folder.read("trace.txt");
    }

    // Every box as "caption | text\n" in UTF-8.
    std::string boxes() const {
        std::string out;
        for (const auto& b : backend->boxes())
            out += cp932ToUtf8(b.captionCp932) + " | " + cp932ToUtf8(b.textCp932) + "\n";
        return out;
    }

    platform::Surface& screen(int id) { return *engine->screens.getDC(id); }

    TempFolder folder;
    std::unique_ptr<platform::HeadlessBackend> backend;
    std::unique_ptr<Engine> engine;
    std::unique_ptr<Interpreter> interpreter;
    std::vector<int> exitCodes;

private:
    std::filesystem::path oldCwd_;
    std::FILE* trace_ = nullptr;
};

}  // namespace qt::engine::test
