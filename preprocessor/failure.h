#pragma once
// Why a conversion failed: what qPre says about it on standard error, one
// line "qPre: FILE: reason" beside the console's failure line.
#include <cstdint>
#include <string>
#include <string_view>

namespace qt::pre {

enum class Failure : uint8_t {
    none,
    // The source.
    notFound,
    notRegular,
    empty,
    tooLarge,
    locked,
    unreadable,
    outOfMemory,
    notUtf8,
    noCp932Form,
    // The file list.
    listInUse,
    listCrAlone,
    // The destination (kept last).
    destinationLocked,
    destinationNotRegular,
    destinationIsSource,
    unwritable,
};

struct FailureDetail {
    Failure what = Failure::none;
    int error = 0;           // errno: unreadable, unwritable
    int32_t line = 0;        // notUtf8, noCp932Form
    char32_t character = 0;  // noCp932Form
};

// "FILE: reason" (CP932), FILE being the source or the destination, whichever
// the reason is about.
std::string describeFailure(const FailureDetail& failure, std::string_view source, std::string_view destination);

// "FILE: LINE:n: ..." for a source whose text a 0 byte ends on line `line`.
std::string describeZeroByte(std::string_view source, int32_t line);

// Writes "qPre: " + `cp932Text` on standard error, after what is on the console.
void reportFailure(std::string_view cp932Text);

}  // namespace qt::pre
