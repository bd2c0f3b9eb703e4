#include "engine/interpreter/interpreter.h"

#include <string>

#include "common/cp932.h"
#include "common/sjis.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"

namespace qt::engine {

namespace {

enum class Before { nothing, skipField, gather };

}  // namespace

struct CommandTable {
    struct Entry {
        const char* word;
        Before before;
        void (Interpreter::*handler)();
    };
    // Compared in this order; the first equal word wins.
    static constexpr Entry entries[] = {
        {"\\", Before::skipField, &Interpreter::pageBreak},
        {"@", Before::skipField, &Interpreter::waitForKey},
        {"end", Before::nothing, &Interpreter::endProgram},
        {"e", Before::gather, &Interpreter::image},
        {"allblt", Before::skipField, &Interpreter::allbltThrough},
        {"allbltdirect", Before::skipField, &Interpreter::allbltDirect},
        {"curid", Before::gather, &Interpreter::curid},
        {"bgm", Before::gather, &Interpreter::bgm},
        {"se", Before::gather, &Interpreter::se},
        {"next", Before::gather, &Interpreter::next},
        {"iro", Before::gather, &Interpreter::iro},
    };
};

void Interpreter::openFirst(const char* path) {
    reader.open(path);
    ++reader.lineNumber;
}

void Interpreter::interpreterStep() {
    if (reader.fieldLength() == -1) return;
    const int32_t line = reader.lineNumber;
    const char* field = reader.nextField();
    if (field == nullptr) return;
    if (trace_ != nullptr) {
        std::string entry = cp932ToUtf8(reader.fileName());
        entry += ':' + std::to_string(line) + ": " + cp932ToUtf8(field) + '\n';
        std::fputs(entry.c_str(), trace_);
        std::fflush(trace_);
    }
    if (field[0] == '/') {
        // The reader's buffer is reused by the next field: keep the word.
        const std::string word(field + 1);
        dispatchCommand(word.c_str());
        ++reader.lineNumber;
        return;
    }
    engine_.honbun.drawLine(field);
    engine_.honbun.nextLine();
    repaintWindow(engine_);
    ++reader.lineNumber;
    // A negative pause would be an endless sleep; take it as none.
    const int32_t pause = engine_.honbun.lineSpeed;
    if (pause > 0) engine_.backend->sleep(static_cast<uint32_t>(pause));
}

void Interpreter::dispatchCommand(const char* word) {
    for (const CommandTable::Entry& entry : CommandTable::entries) {
        if (sameText(word, entry.word) != 0) continue;
        switch (entry.before) {
            case Before::nothing:
                break;
            case Before::skipField:
                skipField();
                break;
            case Before::gather:
                collectArguments();
                break;
        }
        (this->*entry.handler)();
        return;
    }
    showErrorBox(engine_, msg::unknownCommand.cp932() + word);
    skipUnknownCommand();
}

void Interpreter::skipUnknownCommand() {
    for (;;) {
        const char* field = reader.nextField();
        if (reader.fieldLength() == -1) {
            destroyMainWindow(engine_);
            return;
        }
        if (field != nullptr && field[0] == ';') return;
    }
}

void Interpreter::collectArguments() {
    commandArgs.clear();
    while (commandArgs.count < kArgSlots) {
        if (reader.fieldLength() == -1) return;
        const char* field = reader.nextField();
        if (field == nullptr) return;
        if (field[0] == '/') break;
        if (field[0] == ';') return;
        commandArgs.append(field);
    }
    // Every slot is taken or a command field came first: the next field must
    // close the arguments. At the end of the file nothing more is read, and
    // the missing ";" is reported all the same.
    const char* closing = reader.fieldLength() == -1 ? nullptr : reader.nextField();
    if (closing == nullptr || closing[0] != ';') {
        showErrorBox(engine_, msg::tooManyArguments.cp932());
    }
}

void Interpreter::pageBreak() {
    pageBreakPending = true;
    engine_.runState = kWaitingForKey;
    ++engine_.waitSerial;
}

void Interpreter::waitForKey() {
    engine_.runState = kWaitingForKey;
    ++engine_.waitSerial;
}

void Interpreter::allbltThrough() { allblt(engine_, true); }

void Interpreter::allbltDirect() { allblt(engine_, false); }

}  // namespace qt::engine
