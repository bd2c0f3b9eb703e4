#include "preprocessor/author_warnings.h"

#include "common/messages.h"
#include "preprocessor/pre_messages.h"

namespace qt::pre {

void AuthorWarnings::note(int32_t sourceLine, Reason reason) {
    if (!lines_.empty() && lines_.back().number == sourceLine) {
        lines_.back().reasons |= reason;
        return;
    }
    lines_.push_back(Line{sourceLine, reason});
}

std::string AuthorWarnings::report(const std::string& sourcePath) const {
    std::string out;
    for (const Line& line : lines_) {
        out += msg::warningCaption.cp932();
        out += sourcePath;
        out += qt::msg::lineCaption.cp932();
        out += std::to_string(line.number);
        // Reasons in a fixed order, each after an ideographic space.
        if ((line.reasons & comma) != 0) out += msg::warnComma.cp932();
        if ((line.reasons & doubleQuote) != 0) out += msg::warnDoubleQuote.cp932();
        if ((line.reasons & slashLine) != 0) out += msg::warnSlashLine.cp932();
        out += "\r\n";
    }
    return out;
}

}  // namespace qt::pre
