#pragma once
// CP932 (Shift-JIS) <-> UTF-8 at the edges of the programs. Both directions
// are tolerant: a byte sequence that cannot be converted is kept as it is.
#include <string>
#include <string_view>

namespace qt {

std::string cp932ToUtf8(std::string_view cp932);
std::string utf8ToCp932(std::string_view utf8);

// True when every byte sequence of `cp932` converts to UTF-8.
bool isValidCp932(std::string_view cp932);

}  // namespace qt
