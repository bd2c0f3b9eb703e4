// qRun: plays a preprocessed scenario in a window, or headless.
#include <cstdio>
#include <memory>
#include <string>

#include "engine/app/options.h"
#include "engine/app/restart.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/messages.h"
#include "engine/core/startup.h"
#include "engine/interpreter/interpreter.h"
#include "engine/platform/backends.h"
#include "engine/platform/sound.h"

int main(int argc, char** argv) {
    using namespace qt::engine;
    AppOptions options;
    int exitCode = 0;
    if (!parseOptions(argc, argv, options, exitCode)) return exitCode;

    std::unique_ptr<qt::platform::Backend> backend;
    if (options.headless) {
        qt::platform::HeadlessOptions headless;
        // After a restart the script goes on where the previous instance left it.
        for (const auto& event : options.input) {
            if (event.atMs >= options.startMs) headless.input.push_back(event);
        }
        headless.startMs = options.startMs;
        headless.untilMs = options.untilMs;
        backend = qt::platform::createHeadlessBackend(headless);
        qt::platform::useSilentAudio();
    } else {
        std::string error;
        backend = qt::platform::createSdlBackend(error);
        if (!backend) {
            note(error);
            return 1;
        }
    }

    std::FILE* trace = nullptr;
    if (!options.tracePath.empty()) {
        // Close-on-exec: a restart opens it again itself.
        trace = std::fopen(options.tracePath.c_str(), options.restarted ? "ae" : "we");
        if (trace == nullptr) {
            note(msg::traceUnwritable.utf8() + options.tracePath);
            return 2;
        }
    }

    Engine engine;
    engine.backend = backend.get();
    Interpreter interpreter(engine);
    engine.host = &interpreter;
    interpreter.setTrace(trace);
    engine.captureDir = options.captureDir;
    engine.waitSerial = engine.capturedSerial = options.firstWait;

    const int code = runEngine(engine, [&](Engine& e) {
        if (options.headless) {
            replaceProcess(restartArguments(options, e.backend->tickCount(), e.waitSerial));
        } else {
            startDetached();
        }
    });
    if (trace != nullptr) std::fclose(trace);
    return code;
}
