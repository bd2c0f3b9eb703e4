#include "preprocessor/failure.h"

#include <cstdio>
#include <cstring>

#include "common/cp932.h"
#include "common/report.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

namespace {

// The C library's words for an error number (the program leaves
// LC_MESSAGES alone, so they come in English).
std::string systemReason(int error) { return utf8ToCp932(std::strerror(error)); }

std::string codePoint(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

}  // namespace

std::string describeFailure(const FailureDetail& failure, std::string_view source, std::string_view destination) {
    const bool aboutDestination = failure.what >= Failure::destinationLocked;
    std::string text(aboutDestination ? destination : source);
    text += ": ";
    const std::string atLine = msg::reasonLine.cp932() + std::to_string(failure.line);
    switch (failure.what) {
        case Failure::none: return text;
        case Failure::notFound: return text + msg::reasonNotFound.cp932();
        case Failure::notRegular:
        case Failure::destinationNotRegular: return text + msg::reasonNotRegular.cp932();
        case Failure::empty: return text + msg::reasonEmpty.cp932();
        case Failure::tooLarge: return text + msg::reasonTooLarge.cp932();
        case Failure::locked: return text + msg::reasonLocked.cp932();
        case Failure::unreadable: return text + msg::reasonUnreadable.cp932() + systemReason(failure.error);
        case Failure::outOfMemory: return text + msg::outOfMemory.cp932();
        case Failure::notUtf8: return text + atLine + msg::reasonNotUtf8.cp932();
        case Failure::noCp932Form: return text + atLine + msg::reasonNoCp932Form.cp932() + codePoint(failure.character);
        case Failure::listInUse: return text + msg::reasonListInUse.cp932();
        case Failure::listCrAlone: return text + msg::reasonListCrAlone.cp932();
        case Failure::destinationIsSource: return text + msg::reasonDestinationIsSource.cp932();
        case Failure::destinationLocked: return text + msg::reasonDestinationLocked.cp932();
        case Failure::unwritable: return text + msg::reasonUnwritable.cp932() + systemReason(failure.error);
    }
    return text;
}

std::string describeZeroByte(std::string_view source, int32_t line) {
    return std::string(source) + ": " + msg::reasonLine.cp932() + std::to_string(line) + msg::reasonZeroByte.cp932();
}

void reportFailure(std::string_view cp932Text) {
    std::fflush(stdout);  // after the console lines that came before it
    reportToStderr(msg::programName.cp932(), cp932Text);
}

}  // namespace qt::pre
