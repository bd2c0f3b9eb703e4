// qRun: plays a preprocessed scenario in a window, or headless.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/app/from_line.h"
#include "engine/app/options.h"
#include "engine/app/qpre_beside.h"
#include "engine/app/restart.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/core/startup.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/freetype/freetype_text.h"
#include "engine/platform/headless/headless_backend.h"
#include "engine/platform/sdl2/sdl_backend.h"
#include "engine/platform/sdl2_mixer/mixer_sound.h"

namespace {

using namespace qt;

// What the engine runs on, chosen here once for the whole process.
struct Platform {
    std::unique_ptr<platform::Backend> backend;
    std::unique_ptr<platform::Text> text;
    std::unique_ptr<platform::Sound> sound;
};

bool choosePlatform(const engine::AppOptions& options, Platform& out) {
    if (options.headless) {
        platform::HeadlessOptions headless;
        // After a restart the script goes on where the previous instance left it.
        for (const auto& event : options.input) {
            if (event.atMs >= options.startMs) headless.input.push_back(event);
        }
        headless.startMs = options.startMs;
        headless.untilMs = options.untilMs;
        headless.outputWidth = options.outputWidth;
        headless.outputHeight = options.outputHeight;
        out.backend = platform::createHeadlessBackend(headless);
    } else {
        std::string error;
        out.backend = platform::createSdlBackend(error);
        if (!out.backend) {
            engine::note(error);
            return false;
        }
    }
    // A game that ships fonts/ draws with those faces alone; the folder is
    // read at the first font, in the executable's folder start-up moved to.
    out.text = platform::createFreeTypeText("fonts");
    // Headless runs stay silent but still open and check every sound file.
    out.sound = platform::createMixerSound(options.headless);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qt::engine;
    AppOptions options;
    int exitCode = 0;
    if (!parseOptions(argc, argv, options, exitCode)) return exitCode;
    ScenarioLine from;
    if (!options.fromFile.empty() && !locateFrom(options, from)) return 2;

    Platform platform;
    if (!choosePlatform(options, platform)) return 1;

    std::FILE* trace = nullptr;
    if (!options.tracePath.empty()) {
        // Close-on-exec: a restart opens it again itself.
        trace = std::fopen(options.tracePath.c_str(), options.restarted ? "ae" : "we");
        if (trace == nullptr) {
            note(msg::traceUnwritable.utf8() + options.tracePath);
            return 2;
        }
    }

    // The run in a scope of its own: before a restart starts the program
    // again in this process, every window, font, sound and file is let go.
    bool restart = false, reload = false;
    std::vector<std::string> restartWith;
    int code = 0;
    {
        Engine engine;
        engine.backend = platform.backend.get();
        engine.text = platform.text.get();
        engine.sound = platform.sound.get();
        Interpreter interpreter(engine);
        engine.host = &interpreter;
        if (!options.fromFile.empty()) interpreter.fastForwardTo(from);
        engine.authorMode = options.author;
        engine.convertSources = runQPreBeside;
        interpreter.setTrace(trace);
        engine.captureDir = options.captureDir;
        engine.fullscreenAsked = options.fullscreen;
        engine.waitSerial = engine.capturedSerial = options.firstWait;

        code = runEngine(engine, [&](Engine& e) {
            restart = true;
            reload = e.reloaded;
            if (reload) {
                // The author stays on the screen they switched to.
                AppOptions now = options;
                now.fullscreen = e.events.fullscreen();
                restartWith = reloadArguments(now, e.backend->tickCount(), e.waitSerial, e.restartFrom);
            } else if (options.headless) {
                // A desktop restart starts afresh; a headless one goes on with
                // its script and clock.
                restartWith = restartArguments(options, e.backend->tickCount(), e.waitSerial);
            }
        });
    }
    if (trace != nullptr) std::fclose(trace);
    if (!restart) return code;
    // After F5 the author waits: the audio output is not closed, which waits
    // for its device's next period, but ends with this process image.
    if (reload) static_cast<void>(platform.sound.release());
    platform = Platform();
    replaceProcess(restartWith);
    return 1;  // the new instance could not be started (said on standard error)
}
