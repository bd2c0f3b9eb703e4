#pragma once
// Starting qRun again after F12.
#include <string>
#include <vector>

namespace qt::engine {

// Desktop: starts the executable again, detached, without arguments; the
// caller then ends. Returns false when it could not be started.
bool startDetached();

// Headless: replaces this process by a new instance with `arguments` (same
// process, so whoever waits for the engine waits for the new one too).
// Returns only on failure.
void replaceProcess(const std::vector<std::string>& arguments);

}  // namespace qt::engine
