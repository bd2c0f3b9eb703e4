#pragma once
// Bytes the conversion writes as they stand although the engine would read
// them otherwise: a comma or a double quote in body text, a display line that
// begins with "/"; and a LF alone, which ends no source line. Collected per
// source line for one file, for authors who asked for them in qPre.ini.
#include <cstdint>
#include <string>
#include <vector>

namespace qt::pre {

class AuthorWarnings {
public:
    enum Reason : uint8_t {
        comma = 1,         // splits the display line into several
        doubleQuote = 2,   // keeps later commas of the line in one field
        slashLine = 4,     // the display line is taken for a command
        loneLineFeed = 8,  // the next line in the editor is read as part of this one
    };

    void clear() { lines_.clear(); }
    // Lines may come in any order; each is named once.
    void note(int32_t sourceLine, Reason reason);
    bool empty() const { return lines_.empty(); }

    // One console line per source line (CP932, CR LF ended), in line order,
    // naming `sourcePath` as the error reports do.
    std::string report(const std::string& sourcePath) const;

    // Each reason of each line, in line order, as its text without the
    // leading ideographic space (CP932).
    struct Noted {
        int32_t line;
        std::string text;
    };
    std::vector<Noted> each() const;

private:
    struct Line {
        int32_t number;
        uint8_t reasons;
    };
    std::vector<Line> merged() const;

    std::vector<Line> lines_;
};

}  // namespace qt::pre
