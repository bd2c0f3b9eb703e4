#include "preprocessor/console.h"

#include <langinfo.h>

#include <cstdio>
#include <string>

#include "common/cp932.h"

namespace qt::pre {

bool isShiftJisCodeset(std::string_view codeset) {
    std::string name;
    for (const char c : codeset) {
        if (c == '-' || c == '_') continue;
        name.push_back(static_cast<char>((c >= 'a' && c <= 'z') ? c - 0x20 : c));
    }
    return name == "SHIFTJIS" || name == "SJIS" || name == "CP932" || name == "WINDOWS31J" || name == "MSKANJI" ||
           name == "CSSHIFTJIS" || name == "IBM943" || name == "MS932";
}

Console::Console() : shiftJis_(isShiftJisCodeset(nl_langinfo(CODESET))) {}

void Console::print(std::string_view cp932) const {
    if (shiftJis_) {
        std::fwrite(cp932.data(), 1, cp932.size(), stdout);
    } else {
        const std::string utf8 = cp932ToUtf8(cp932);
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
    }
}

void Console::waitForEnter(std::string_view cp932Prompt) const {
    print(cp932Prompt);
    std::fflush(stdout);
    for (;;) {
        const int c = std::getchar();
        if (c == '\n' || c == EOF) return;
    }
}

}  // namespace qt::pre
