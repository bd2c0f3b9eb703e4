#include "engine/rules/command_table.h"

#include "common/sjis.h"

namespace qt::engine {

namespace {

// Compared in this order; the first equal word wins.
// clang-format off
constexpr CommandWord kCommands[] = {
    {"\\", Before::skipField, Command::pageBreak},
    {"@", Before::skipField, Command::keyWait},
    {"end", Before::nothing, Command::end},
    {"e", Before::gather, Command::image},
    {"allblt", Before::skipField, Command::allblt},
    {"allbltdirect", Before::skipField, Command::allbltDirect},
    {"curid", Before::gather, Command::curid},
    {"bgm", Before::gather, Command::bgm},
    {"se", Before::gather, Command::se},
    {"next", Before::gather, Command::next},
    {"iro", Before::gather, Command::iro},
};
// clang-format on

}  // namespace

const CommandWord* findCommand(const char* word) {
    for (const CommandWord& entry : kCommands) {
        if (sameText(word, entry.word) == 0) return &entry;
    }
    return nullptr;
}

}  // namespace qt::engine
