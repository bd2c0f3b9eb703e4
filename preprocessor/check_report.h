#pragma once
// Everything qPre --check found, one line each: "FILE:LINE: message", sorted
// by file and line, then a summary line with the counts.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qt::pre {

class CheckReport {
public:
    enum class Kind : uint8_t { error, warning };

    // CP932 texts; line breaks in `text` become blanks, so that every
    // problem keeps to its line.
    void add(Kind kind, std::string_view file, int32_t line, std::string_view text);
    void countSource() { ++sources_; }

    int errors() const { return errors_; }
    int warnings() const { return warnings_; }
    bool clean() const { return errors_ == 0 && warnings_ == 0; }

    // The lines and the summary, CP932, CR LF ended.
    std::string render() const;

private:
    struct Problem {
        std::string file;
        int32_t line;
        std::string text;
    };
    std::vector<Problem> problems_;
    int sources_ = 0, errors_ = 0, warnings_ = 0;
};

}  // namespace qt::pre
