#pragma once
// The CP932 conversion of glibc's iconv from tables generated from it, for
// builds whose C library has no CP932 (the browser build): the same bytes
// out for every input. The functions mean what those of cp932.h mean.
#include <string>
#include <string_view>

#include "common/cp932.h"

namespace qt::cp932table {

std::string cp932ToUtf8(std::string_view cp932);
std::string utf8ToCp932(std::string_view utf8);
bool isValidCp932(std::string_view cp932);
bool isValidUtf8(std::string_view text);
StrictConversion utf8ToCp932Strict(std::string_view utf8, std::string* cp932);

}  // namespace qt::cp932table
