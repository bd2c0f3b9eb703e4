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

// True when all of `text` is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// All of `utf8` as CP932, or nothing: where a sequence is not UTF-8 or its
// character has no CP932 form, that is reported and `cp932` is left alone.
struct StrictConversion {
    enum class Status { ok, notUtf8, noCp932Form };
    Status status = Status::ok;
    size_t offset = 0;       // of the sequence that stopped it
    char32_t character = 0;  // noCp932Form
};
StrictConversion utf8ToCp932Strict(std::string_view utf8, std::string* cp932);

}  // namespace qt
