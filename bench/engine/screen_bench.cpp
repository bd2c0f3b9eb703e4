// The picture at 3840 x 2160 on the desktop backend under a private X server
// with a window manager: a page turn (the presentation restored, then three
// lines each shown at once, as with lineSpeed=0) in fullscreen, and the time
// from a fullscreen switch to the first frame at the new size.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>

#include "common/cp932.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/message_loop.h"
#include "engine/core/window_geometry.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/sdl2/sdl_backend.h"
#include "support/x_session.h"

namespace qt::engine {
namespace {

// The engine's window on the 4K display, composed once, with its settings'
// defaults (none are read: the settings file lies nowhere).
struct FourK {
    FourK() : x(true, "3840x2160") {
        if (!x.ready()) return;
        setenv("DISPLAY", x.display().c_str(), 1);
        std::string error;
        backend = platform::createSdlBackend(platform::SdlOptions{false}, error);
        text = platform::createFreeTypeText();
        if (!backend) return;
        engine.backend = backend.get();
        engine.text = text.get();
        if (!createMainWindow(engine, windowSpecFor(backend->metrics(), 640, 480, 0, 0, "bench"))) return;
        engine.hasWindow = true;
        engine.screens.create(engine, 2, 0xFF00FF);
        showMainWindow(engine);
        engine.honbun.init(engine, engine.screens.getDC(0));
        engine.honbun.lineSpeed = 0;
        allblt(engine, true);
        ready = switchTo(true);
    }
    // The window and the backend go before the server does.
    ~FourK() {
        destroyMainWindow(engine);
        backend.reset();
    }
    FourK(const FourK&) = delete;
    FourK& operator=(const FourK&) = delete;

    // Handles messages until a paint showed the picture at the new size.
    bool switchTo(bool fullscreen) {
        backend->setFullscreen(fullscreen);
        const int width = fullscreen ? 3840 : 640;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < until) {
            while (engine.events.peek()) {
                const Event e = engine.events.next();
                windowProcedure(engine, e);
                if (e.type == EventType::paint && engine.output.layout().outputWidth == width &&
                    engine.events.fullscreen() == fullscreen)
                    return true;
            }
            engine.events.waitIdle(backend->tickCount() + 5);
        }
        return false;
    }

    test::XSession x;
    std::unique_ptr<platform::Backend> backend;
    std::unique_ptr<platform::Text> text;
    Engine engine;
    bool ready = false;
};

FourK& fourK() {
    static FourK shared;
    return shared;
}

const std::string kLines[] = {utf8ToCp932("吾輩は猫である。名前はまだ無い。"),
                              utf8ToCp932("どこで生れたかとんと見当がつかぬ。"),
                              utf8ToCp932("何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。")};

void BM_PageTurnFullscreen4K(benchmark::State& state) {
    FourK& k = fourK();
    if (!k.ready) {
        state.SkipWithError("no 4K fullscreen window (Xvfb, openbox)");
        return;
    }
    for (auto _ : state) {
        k.engine.honbun.newPage(k.engine);
        for (const std::string& line : kLines) {
            k.engine.honbun.drawLine(line.c_str());
            k.engine.honbun.nextLine();
            repaintWindow(k.engine);
        }
    }
}
BENCHMARK(BM_PageTurnFullscreen4K)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(20);

void BM_FullscreenSwitchToNextFrame4K(benchmark::State& state) {
    FourK& k = fourK();
    if (!k.ready) {
        state.SkipWithError("no 4K fullscreen window (Xvfb, openbox)");
        return;
    }
    bool fullscreen = true;
    for (auto _ : state) {
        fullscreen = !fullscreen;
        if (!k.switchTo(fullscreen)) state.SkipWithError("no frame at the new size within 5 s");
    }
    if (!fullscreen) k.switchTo(true);
}
BENCHMARK(BM_FullscreenSwitchToNextFrame4K)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(20);

}  // namespace
}  // namespace qt::engine
