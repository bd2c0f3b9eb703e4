#include "engine/interpreter/interpreter.h"

#include <string>

#include "common/cp932.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"
#include "engine/interpreter/image_command.h"
#include "engine/interpreter/other_commands.h"
#include "engine/rules/command_table.h"

namespace qt::engine {

namespace {

void pageBreak(Interpreter& interpreter) { interpreter.beginWait(true); }
void waitForKey(Interpreter& interpreter) { interpreter.beginWait(false); }

void allbltThrough(Interpreter& interpreter) { allblt(interpreter.engine(), true); }
void allbltDirect(Interpreter& interpreter) { allblt(interpreter.engine(), false); }
void bgm(Interpreter& interpreter) { interpreter.sound.bgm(interpreter.engine(), interpreter.commandArgs); }
void se(Interpreter& interpreter) { interpreter.sound.se(interpreter.engine(), interpreter.commandArgs); }

// Lets the argument gathering read through the engine's reader.
struct ReaderSource {
    ScenarioFiles& reader;
    bool atEnd() const { return reader.fieldLength() == -1; }
    const char* next() { return reader.nextField(); }
};

void runHandler(Interpreter& interpreter, Command command) {
    switch (command) {
        case Command::pageBreak: pageBreak(interpreter); break;
        case Command::keyWait: waitForKey(interpreter); break;
        case Command::end: endCommand(interpreter); break;
        case Command::image: imageCommand(interpreter); break;
        case Command::allblt: allbltThrough(interpreter); break;
        case Command::allbltDirect: allbltDirect(interpreter); break;
        case Command::curid: curidCommand(interpreter); break;
        case Command::bgm: bgm(interpreter); break;
        case Command::se: se(interpreter); break;
        case Command::next: nextCommand(interpreter); break;
        case Command::iro: iroCommand(interpreter); break;
    }
}

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
    if (const CommandWord* entry = findCommand(word)) {
        switch (entry->before) {
            case Before::nothing: break;
            case Before::skipField: reader.nextField(); break;
            case Before::gather: collectArguments(); break;
        }
        runHandler(*this, entry->command);
        return;
    }
    showErrorBox(engine_, msg::unknownCommand.cp932() + word);
    ReaderSource source{reader};
    if (skipUnknownCommand(source)) destroyMainWindow(engine_);
}

void Interpreter::collectArguments() {
    ReaderSource source{reader};
    if (!gatherArguments(source, commandArgs)) showErrorBox(engine_, msg::tooManyArguments.cp932());
}

}  // namespace qt::engine
