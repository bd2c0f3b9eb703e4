#pragma once
// qPre's console: CP932 texts go out as UTF-8, or unchanged when the
// locale's codeset is a Shift-JIS one.
#include <string_view>

namespace qt::pre {

// True for the codeset names of the Shift-JIS family (SHIFT_JIS, SJIS,
// CP932, WINDOWS-31J, ...), in any letter case.
bool isShiftJisCodeset(std::string_view codeset);

class Console {
public:
    // Reads the locale's codeset (setlocale must have run).
    Console();
    explicit Console(bool shiftJis) : shiftJis_(shiftJis) {}

    void print(std::string_view cp932) const;
    // Shows `prompt` and waits for one line; the end of the input ends the
    // wait as well.
    void waitForEnter(std::string_view cp932Prompt) const;

private:
    bool shiftJis_;
};

}  // namespace qt::pre
