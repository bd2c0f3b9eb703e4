#include "preprocessor/author_warnings.h"

#include <algorithm>

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
    // Line ends are noted before the conversion notes the rest.
    std::vector<Line> lines = lines_;
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.number < b.number; });
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        Line line = lines[i];
        while (i + 1 < lines.size() && lines[i + 1].number == line.number) {
            line.reasons |= lines[++i].reasons;
        }
        out += msg::warningCaption.cp932();
        out += sourcePath;
        out += qt::msg::lineCaption.cp932();
        out += std::to_string(line.number);
        // Reasons in a fixed order, each after an ideographic space.
        if ((line.reasons & comma) != 0) out += msg::warnComma.cp932();
        if ((line.reasons & doubleQuote) != 0) out += msg::warnDoubleQuote.cp932();
        if ((line.reasons & slashLine) != 0) out += msg::warnSlashLine.cp932();
        if ((line.reasons & loneLineFeed) != 0) out += msg::warnLoneLineFeed.cp932();
        out += "\r\n";
    }
    return out;
}

}  // namespace qt::pre
