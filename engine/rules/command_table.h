#pragma once
// The engine's command words, what is read before each handler runs, and the
// argument gathering every command with arguments goes through.
#include <cstdint>

#include "engine/rules/command_args.h"

namespace qt::engine {

enum class Command : uint8_t { pageBreak, keyWait, end, image, allblt, allbltDirect, curid, bgm, se, next, iro };
enum class Before : uint8_t { nothing, skipField, gather };

struct CommandWord {
    const char* word;
    Before before;
    Command command;
};

// The first entry whose word equals `word` byte for byte; null for a word
// the engine does not know.
const CommandWord* findCommand(const char* word);

// `Source` has bool atEnd() and const char* next() (null at the end).
//
// Fills `args` from the fields after the command field. False when the
// arguments were not closed by ";" (every slot taken, or a command field came
// first): the engine reports the missing ";" then.
template <typename Source>
bool gatherArguments(Source& source, CommandArgs& args) {
    args.clear();
    while (args.count < kArgSlots) {
        if (source.atEnd()) return true;
        const char* field = source.next();
        if (field == nullptr) return true;
        if (field[0] == '/') break;
        if (field[0] == ';') return true;
        args.append(field);
    }
    // At the end of the file nothing more is read, and the missing ";" is
    // reported all the same.
    const char* closing = source.atEnd() ? nullptr : source.next();
    return closing != nullptr && closing[0] == ';';
}

// Skips the fields of a command the engine does not know, up to its ";".
// True when the end of the file came first: the engine ends there.
template <typename Source>
bool skipUnknownCommand(Source& source) {
    for (;;) {
        const char* field = source.next();
        if (source.atEnd()) return true;
        if (field != nullptr && field[0] == ';') return false;
    }
}

}  // namespace qt::engine
