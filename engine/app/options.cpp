#include "engine/app/options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <iterator>
#include <string_view>

#include "engine/core/error_reports.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

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

bool parseSize(std::string_view text, int& width, int& height) {
    const size_t x = text.find('x');
    uint32_t w = 0, h = 0;
    if (x == std::string_view::npos || !parseUint(text.substr(0, x), w) || !parseUint(text.substr(x + 1), h))
        return false;
    if (w < 1 || h < 1 || w > 16384 || h > 16384) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool usageError(const std::string& text, int& exitCode) {
    note(text + msg::seeHelp.utf8());
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
            std::fputs(msg::usage.utf8(), stdout);
            return false;
        } else if (arg == "--version") {
            std::fputs("qRun " QT_VERSION "\n", stdout);
            return false;
        } else if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--input") {
            if (!value(text)) return usageError("--input" + std::string(msg::optionNeedsFile.utf8()), exitCode);
            options.inputPath = absolute(text);
        } else if (arg == "--capture") {
            if (!value(text)) return usageError("--capture" + std::string(msg::optionNeedsFolder.utf8()), exitCode);
            options.captureDir = absolute(text);
        } else if (arg == "--trace") {
            if (!value(text)) return usageError("--trace" + std::string(msg::optionNeedsFile.utf8()), exitCode);
            options.tracePath = absolute(text);
        } else if (arg == "--until") {
            if (!value(text) || !parseUint(text, options.untilMs)) {
                return usageError("--until" + std::string(msg::optionNeedsTime.utf8()), exitCode);
            }
        } else if (arg == "--author") {
            options.author = true;
        } else if (arg == "--from") {
            const size_t colon = value(text) ? text.rfind(':') : std::string::npos;
            if (colon == std::string::npos || colon == 0 ||
                !parseUint(std::string_view(text).substr(colon + 1), options.fromLine) || options.fromLine == 0) {
                return usageError("--from" + std::string(msg::optionNeedsLine.utf8()), exitCode);
            }
            options.fromFile = text.substr(0, colon);
            options.fromFileAbsolute = absolute(options.fromFile);
        } else if (arg == "--output") {
            if (!value(text) || !parseSize(text, options.outputWidth, options.outputHeight)) {
                return usageError("--output" + std::string(msg::optionNeedsSize.utf8()), exitCode);
            }
        } else if (arg == "--fullscreen") {
            options.fullscreen = true;
        } else if (arg == "--start-ms") {  // restart: the clock goes on
            if (!value(text) || !parseUint(text, options.startMs)) {
                return usageError("--start-ms" + std::string(msg::optionNeedsTime.utf8()), exitCode);
            }
            options.restarted = true;
        } else if (arg == "--first-wait") {  // restart: capture numbers go on
            if (!value(text) || !parseUint(text, options.firstWait)) {
                return usageError("--first-wait" + std::string(msg::optionNeedsNumber.utf8()), exitCode);
            }
        } else {
            return usageError(msg::unknownOption.utf8() + std::string(arg), exitCode);
        }
    }

    if (options.outputWidth > 0 && !options.headless) {
        return usageError("--output" + std::string(msg::optionOnlyHeadless.utf8()), exitCode);
    }
    if (!options.inputPath.empty()) {
        std::ifstream in(options.inputPath, std::ios::binary);
        if (!in) return usageError(msg::inputUnreadable.utf8() + options.inputPath, exitCode);
        const std::string script((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int line = 0;
        std::string error;
        if (!platform::parseInputScript(script, options.input, line, error)) {
            note(options.inputPath + ":" + std::to_string(line) + ": " + error);
            exitCode = 2;
            return false;
        }
    }
    if (!options.captureDir.empty()) {
        struct stat st {};
        if (::stat(options.captureDir.c_str(), &st) != 0 && ::mkdir(options.captureDir.c_str(), 0777) != 0) {
            return usageError(msg::captureFolderFailed.utf8() + options.captureDir, exitCode);
        }
    }
    return true;
}

std::vector<std::string> restartArguments(const AppOptions& options, uint32_t startMs, uint32_t waitsSoFar) {
    std::vector<std::string> args;
    if (options.headless) args.push_back("--headless");
    if (!options.inputPath.empty()) args.insert(args.end(), {"--input", options.inputPath});
    if (!options.captureDir.empty()) args.insert(args.end(), {"--capture", options.captureDir});
    if (!options.tracePath.empty()) args.insert(args.end(), {"--trace", options.tracePath});
    if (options.outputWidth > 0) {
        args.insert(args.end(),
                    {"--output", std::to_string(options.outputWidth) + "x" + std::to_string(options.outputHeight)});
    }
    if (options.fullscreen) args.push_back("--fullscreen");
    args.insert(args.end(), {"--until", std::to_string(options.untilMs)});
    args.insert(args.end(), {"--start-ms", std::to_string(startMs)});
    args.insert(args.end(), {"--first-wait", std::to_string(waitsSoFar)});
    if (options.author) args.push_back("--author");
    return args;
}

std::vector<std::string> reloadArguments(const AppOptions& options, uint32_t startMs, uint32_t waitsSoFar,
                                         const std::string& from) {
    std::vector<std::string> args = restartArguments(options, startMs, waitsSoFar);
    if (!from.empty()) args.insert(args.end(), {"--from", from});
    return args;
}

}  // namespace qt::engine
