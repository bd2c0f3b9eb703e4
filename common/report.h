#pragma once
// Reports written to standard error as "caption: text\n" in UTF-8.
#include <string_view>

namespace qt {

// Caption and text are CP932.
void reportToStderr(std::string_view caption, std::string_view text);

}  // namespace qt
