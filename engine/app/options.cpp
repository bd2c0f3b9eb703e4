#include "engine/app/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <iterator>
#include <string_view>

namespace qt::engine {

namespace {

constexpr char kUsage[] =
    "usage: qRun [options]\n"
    "Plays the scenario named in qRun.ini beside the executable.\n"
    "\n"
    "  --help          show this text\n"
    "  --headless      run without a display (virtual clock, scripted input)\n"
    "  --input FILE    headless input script, one event a line: MS EVENT\n"
    "                  EVENT: key NAME | down NAME | up NAME | focus out | focus in\n"
    "                         | click X Y | shift-click X Y\n"
    "                  NAME: space enter z esc f12 separator left right up down,\n"
    "                        a letter or a digit; '#' lines and blank lines are skipped\n"
    "  --capture DIR   save the window's picture as DIR/wait-NNNN.png at each wait\n"
    "                  and DIR/end.png when the engine ends\n"
    "  --until MS      headless: close the window when the virtual clock reaches MS\n"
    "                  (default 600000)\n"
    "  --trace FILE    write PATH:LINE: FIELD for every interpreter step\n";

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
    return std::string(cwd) + "/" + path;
}

bool parseUint(std::string_view text, uint32_t& out) {
    if (text.empty()) return false;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && p == text.data() + text.size();
}

bool usageError(const std::string& text, int& exitCode) {
    std::fprintf(stderr, "qRun: %s (see --help)\n", text.c_str());
    exitCode = 2;
    return false;
}

}  // namespace

bool parseOptions(int argc, char** argv, AppOptions& options, int& exitCode) {
    exitCode = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return false;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--input") {
            if (!value(text)) return usageError("--input needs a file", exitCode);
            options.inputPath = absolute(text);
        } else if (arg == "--capture") {
            if (!value(text)) return usageError("--capture needs a folder", exitCode);
            options.captureDir = absolute(text);
        } else if (arg == "--trace") {
            if (!value(text)) return usageError("--trace needs a file", exitCode);
            options.tracePath = absolute(text);
        } else if (arg == "--until") {
            if (!value(text) || !parseUint(text, options.untilMs)) {
                return usageError("--until needs a time in milliseconds", exitCode);
            }
        } else if (arg == "--start-ms") {  // restart: the clock goes on
            if (!value(text) || !parseUint(text, options.startMs)) {
                return usageError("--start-ms needs a time in milliseconds", exitCode);
            }
            options.restarted = true;
        } else if (arg == "--first-wait") {  // restart: capture numbers go on
            if (!value(text) || !parseUint(text, options.firstWait)) {
                return usageError("--first-wait needs a number", exitCode);
            }
        } else {
            return usageError("unknown option " + std::string(arg), exitCode);
        }
    }

    if (!options.inputPath.empty()) {
        std::ifstream in(options.inputPath, std::ios::binary);
        if (!in) return usageError("cannot read the input file " + options.inputPath, exitCode);
        const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int line = 0;
        std::string error;
        if (!platform::parseInputScript(script, options.input, line, error)) {
            std::fprintf(stderr, "qRun: %s:%d: %s\n", options.inputPath.c_str(), line, error.c_str());
            exitCode = 2;
            return false;
        }
    }
    if (!options.captureDir.empty()) {
        struct stat st {};
        if (::stat(options.captureDir.c_str(), &st) != 0 &&
            ::mkdir(options.captureDir.c_str(), 0777) != 0) {
            return usageError("cannot create the capture folder " + options.captureDir, exitCode);
        }
    }
    return true;
}

std::vector<std::string> restartArguments(const AppOptions& options, uint32_t startMs,
                                          uint32_t waitsSoFar) {
    std::vector<std::string> args;
    if (options.headless) args.push_back("--headless");
    if (!options.inputPath.empty()) args.insert(args.end(), {"--input", options.inputPath});
    if (!options.captureDir.empty()) args.insert(args.end(), {"--capture", options.captureDir});
    if (!options.tracePath.empty()) args.insert(args.end(), {"--trace", options.tracePath});
    args.insert(args.end(), {"--until", std::to_string(options.untilMs)});
    args.insert(args.end(), {"--start-ms", std::to_string(startMs)});
    args.insert(args.end(), {"--first-wait", std::to_string(waitsSoFar)});
    return args;
}

}  // namespace qt::engine
