// qRun in a web page: the browser's counterpart of main.cpp. The game's
// files are in the page's file system before this starts (scripts/web packs
// them). Esc ends the game, and the page offers to play it again; F12 starts
// it again at once. Both begin afresh with the settings and the first
// scenario, in this page: the platform stays, so sound the player has
// allowed stays allowed.
#include <emscripten/emscripten.h>

#include <memory>

#include "engine/core/engine.h"
#include "engine/core/startup.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/browser/browser_backend.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/sdl2_mixer/mixer_sound.h"

namespace {

qt::engine::Engine* gCurrent = nullptr;

}  // namespace

// For the page and its tests: what the running game does (runState, 0 when
// none runs) and how many key waits it has begun.
extern "C" EMSCRIPTEN_KEEPALIVE int qt_run_state() { return gCurrent != nullptr ? gCurrent->runState : 0; }
extern "C" EMSCRIPTEN_KEEPALIVE int qt_waits() {
    return gCurrent != nullptr ? static_cast<int>(gCurrent->waitSerial) : 0;
}

int main() {
    using namespace qt;
    const std::unique_ptr<platform::Backend> backend = platform::createBrowserBackend();
    // Only the faces packed with the game: the page has no others.
    const std::unique_ptr<platform::Text> text = platform::createFreeTypeText("fonts");
    const std::unique_ptr<platform::Sound> sound = platform::createMixerSound(false);
    for (;;) {
        bool restart = false;
        {
            engine::Engine engine;
            engine.backend = backend.get();
            engine.text = text.get();
            engine.sound = sound.get();
            // Reports that end a desktop process at once end this run.
            engine.exitNow = [](int) {};
            engine::Interpreter interpreter(engine);
            engine.host = &interpreter;
            gCurrent = &engine;
            engine::runEngine(engine, [&](engine::Engine&) { restart = true; });
            gCurrent = nullptr;
        }
        if (!restart) platform::browserWaitForPlayAgain();
    }
}
