// Any bytes as a scenario file: the reader splits them into fields and the
// interpreter runs them (commands, arguments, waits, compositing, images).
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/window_geometry.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/headless/headless_backend.h"
#include "engine/platform/sdl2_mixer/mixer_sound.h"
#include "fuzz/support/input_file.h"
#include "fuzz/support/play.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qt::engine;
    const std::string path = qt::fuzz::writeInputFile("fuzz_scenario", ".dat", data, size);
    if (path.empty()) return 0;

    qt::platform::HeadlessOptions options;
    qt::platform::HeadlessBackend backend(options);
    Engine engine;
    static const auto text = qt::platform::createFreeTypeText();
    static const auto sound = qt::platform::createMixerSound(true);
    engine.backend = &backend;
    engine.text = text.get();
    engine.sound = sound.get();
    engine.exitNow = [](int) {};
    engine.screenWidth = 8;
    engine.screenHeight = 6;
    engine.windowWidth = 16;
    engine.windowHeight = 12;
    engine.honbun.dark = {1, 1, 6, 4, 2};
    Interpreter interpreter(engine);
    engine.host = &interpreter;
    interpreter.prepareArguments();
    interpreter.constructReader();
    createMainWindow(engine, windowSpecFor(backend.metrics(), 16, 12, 0, 0, "fuzz"));
    engine.hasWindow = true;
    engine.screens.create(engine, 3, 0xFF00FF);
    interpreter.openFirst(path.c_str());

    qt::fuzz::playThrough(engine, interpreter, 500);
    interpreter.releaseForRestart();
    return 0;
}
