#include "engine/interpreter/interpreter.h"

#include <string>

#include "common/cp932.h"
#include "common/sjis.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"
#include "engine/interpreter/image_command.h"
#include "engine/interpreter/other_commands.h"

namespace qt::engine {

namespace {

void pageBreak(Interpreter& interpreter) { interpreter.beginWait(true); }
void waitForKey(Interpreter& interpreter) { interpreter.beginWait(false); }

void allbltThrough(Interpreter& interpreter) { allblt(interpreter.engine(), true); }
void allbltDirect(Interpreter& interpreter) { allblt(interpreter.engine(), false); }
void bgm(Interpreter& interpreter) { interpreter.sound.bgm(interpreter.engine(), interpreter.commandArgs); }
void se(Interpreter& interpreter) { interpreter.sound.se(interpreter.engine(), interpreter.commandArgs); }

enum class Before { nothing, skipField, gather };

struct Command {
    const char* word;
    Before before;
    void (*handler)(Interpreter&);
};

// Compared in this order; the first equal word wins.
// clang-format off
constexpr Command kCommands[] = {
    {"\\", Before::skipField, pageBreak},
    {"@", Before::skipField, waitForKey},
    {"end", Before::nothing, endCommand},
    {"e", Before::gather, imageCommand},
    {"allblt", Before::skipField, allbltThrough},
    {"allbltdirect", Before::skipField, allbltDirect},
    {"curid", Before::gather, curidCommand},
    {"bgm", Before::gather, bgm},
    {"se", Before::gather, se},
    {"next", Before::gather, nextCommand},
    {"iro", Before::gather, iroCommand},
};
// clang-format on

}  // namespace

void Interpreter::step() {
    if (engine_.fastForward) {
        fastForwardSteps();
    } else {
        interpreterStep();
    }
}

void Interpreter::constructSound() { sound.construct(engine_.sound); }

void Interpreter::openFirst(const char* path) {
    if (target_) startFastForward();
    reader.open(path);
    ++reader.lineNumber;
    if (engine_.fastForward) fastForwardEnds();
}

void Interpreter::beginWait(bool pageBreak) {
    if (pageBreak) pageBreakPending = true;
    if (engine_.fastForward) {
        endWait();
        return;
    }
    engine_.runState = kWaitingForKey;
    ++engine_.waitSerial;
}

void Interpreter::endWait() {
    engine_.runState = kRunning;
    if (pageBreakPending) {
        engine_.honbun.newPage(engine_);
        pageBreakPending = false;
        pageStartPending_ = true;
    }
}

void Interpreter::pageStart(std::string& fileCp932, int32_t& line) {
    if (pageStartPending_) {
        fileCp932 = reader.fileName();
        line = reader.lineNumber;
    } else {
        fileCp932 = pageFile_;
        line = pageLine_;
    }
}

void Interpreter::writeTrace(int32_t line, const char* field) {
    std::string entry = engine_.fastForward ? "fast-forward " : "";
    entry += cp932ToUtf8(reader.fileName());
    entry += ':' + std::to_string(line) + ": " + cp932ToUtf8(field) + '\n';
    std::fputs(entry.c_str(), trace_);
    std::fflush(trace_);
}

void Interpreter::interpreterStep() {
    if (reader.fieldLength() == -1) return;
    const int32_t line = reader.lineNumber;
    if (pageStartPending_) {
        pageStartPending_ = false;
        pageFile_ = reader.fileName();
        pageLine_ = line;
        if (!engine_.fastForward) showPageInTitle();
    }
    const char* field = reader.nextField();
    if (field == nullptr) return;
    if (trace_ != nullptr) writeTrace(line, field);
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
    if (pause > 0 && !engine_.fastForward) engine_.backend->sleep(static_cast<uint32_t>(pause));
}

void Interpreter::dispatchCommand(const char* word) {
    for (const Command& entry : kCommands) {
        if (sameText(word, entry.word) != 0) continue;
        switch (entry.before) {
            case Before::nothing: break;
            case Before::skipField: reader.nextField(); break;
            case Before::gather: collectArguments(); break;
        }
        entry.handler(*this);
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

}  // namespace qt::engine
