#pragma once
// The engine's two error reports.
#include <string_view>

namespace qt::engine {

struct Engine;

// Ends the process at once with `code` (through exitNow when set).
void endProcess(Engine& engine, int code);

// Stop icon, caption "errexit()". Without a window the process ends at once
// with exit code 1; otherwise the window is destroyed and this returns, and
// the run ends through its loop with exit code 1.
void errexit(Engine& engine, std::string_view textCp932);

// A problem outside the scenario (options, files of the tools): "qRun: "
// and the UTF-8 text on standard error.
void note(std::string_view utf8);

// Exclamation icon; caption "エラー　" + scenario path + "　LINE:" + line.
// Always returns. Neither report is shown once the window has been
// destroyed: the engine is then ending.
void showErrorBox(Engine& engine, std::string_view textCp932);

}  // namespace qt::engine
