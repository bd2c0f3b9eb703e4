#pragma once
// Starting qRun again after F12.
#include <string>
#include <vector>

namespace qt::engine {

// Replaces this process by a new instance with `arguments` (same process,
// so whoever waits for the engine waits for the new one too). Returns only
// on failure, after saying why on standard error.
void replaceProcess(const std::vector<std::string>& arguments);

}  // namespace qt::engine
