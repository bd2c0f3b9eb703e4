#pragma once
// Message boxes drawn by the engine: an icon, the text with its line breaks
// and an OK button, in the engine's own fonts.
#include <string_view>

#include "engine/platform/backend.h"
#include "engine/platform/text.h"

namespace qt::engine {

struct Engine;

// False when no font could be had (the box then stays on standard error).
bool drawMessageBox(platform::Text& text, std::string_view textCp932, platform::BoxIcon icon,
                    platform::BoxPicture& out);

// Shows the box on the backend and returns when it is closed.
void showMessageBox(Engine& engine, std::string_view captionCp932, std::string_view textCp932, platform::BoxIcon icon);

}  // namespace qt::engine
