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

namespace {

// Reasons in a fixed order.
// clang-format off
const struct {
    AuthorWarnings::Reason reason;
    const Message& text;
} kReasons[] = {
    {AuthorWarnings::comma, msg::warnComma},
    {AuthorWarnings::doubleQuote, msg::warnDoubleQuote},
    {AuthorWarnings::slashLine, msg::warnSlashLine},
    {AuthorWarnings::loneLineFeed, msg::warnLoneLineFeed},
};
// clang-format on

}  // namespace

std::vector<AuthorWarnings::Line> AuthorWarnings::merged() const {
    // Line ends are noted before the conversion notes the rest.
    std::vector<Line> lines = lines_;
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.number < b.number; });
    std::vector<Line> out;
    for (const Line& line : lines) {
        if (!out.empty() && out.back().number == line.number) out.back().reasons |= line.reasons;
        else out.push_back(line);
    }
    return out;
}

std::string AuthorWarnings::report(const std::string& sourcePath) const {
    std::string out;
    for (const Line& line : merged()) {
        out += msg::warningCaption.cp932();
        out += sourcePath;
        out += qt::msg::lineCaption.cp932();
        out += std::to_string(line.number);
        // Each reason after an ideographic space.
        for (const auto& r : kReasons) {
            if ((line.reasons & r.reason) != 0) out += r.text.cp932();
        }
        out += "\r\n";
    }
    return out;
}

std::vector<AuthorWarnings::Noted> AuthorWarnings::each() const {
    constexpr size_t kLeadingSpace = 2;  // the ideographic space in CP932
    std::vector<Noted> out;
    for (const Line& line : merged()) {
        for (const auto& r : kReasons) {
            if ((line.reasons & r.reason) != 0) out.push_back({line.number, r.text.cp932().substr(kLeadingSpace)});
        }
    }
    return out;
}

}  // namespace qt::pre
