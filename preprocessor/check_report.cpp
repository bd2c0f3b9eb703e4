#include "preprocessor/check_report.h"

#include <algorithm>

#include "preprocessor/pre_messages.h"

namespace qt::pre {

void CheckReport::add(Kind kind, std::string_view file, int32_t line, std::string_view text) {
    std::string oneLine(text);
    // CP932 trail bytes are never CR or LF.
    std::replace_if(
        oneLine.begin(), oneLine.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    problems_.push_back({std::string(file), line, std::move(oneLine)});
    ++(kind == Kind::error ? errors_ : warnings_);
}

std::string CheckReport::render() const {
    std::vector<const Problem*> sorted;
    for (const Problem& p : problems_) sorted.push_back(&p);
    // Found in the order the engine would meet them; that order stays
    // within a line.
    std::stable_sort(sorted.begin(), sorted.end(), [](const Problem* a, const Problem* b) {
        return a->file != b->file ? a->file < b->file : a->line < b->line;
    });
    std::string out;
    for (const Problem* p : sorted) {
        out += p->file + ":" + std::to_string(p->line) + ": " + p->text + "\r\n";
    }
    out += msg::checkSources.cp932() + std::to_string(sources_) + msg::checkErrors.cp932() + std::to_string(errors_) +
           msg::checkWarnings.cp932() + std::to_string(warnings_) + msg::checkCountEnd.cp932() + "\r\n";
    return out;
}

}  // namespace qt::pre
