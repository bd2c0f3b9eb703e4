#pragma once
// The desktop backend on SDL2.
#include <memory>
#include <string>

#include "engine/platform/backend.h"

namespace qt::platform {

struct SdlOptions {
    // False leaves message boxes on standard error only (unattended runs
    // under a virtual display, where nobody can press OK).
    bool messageBoxes = true;
};

// Null when no window system can be reached; `error` then says why (UTF-8)
// and suggests --headless.
std::unique_ptr<Backend> createSdlBackend(const SdlOptions& options, std::string& error);
std::unique_ptr<Backend> createSdlBackend(std::string& error);

}  // namespace qt::platform
