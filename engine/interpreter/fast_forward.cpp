// Fast-forward: the interpreter's own steps up to a line, with nothing shown,
// waited for or heard on the way, so that the screens, the text position and
// the channels there are the ones a full play has.
#include <algorithm>

#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

namespace {

// Steps between two looks at the window's messages (Esc, closing).
constexpr int kStepsPerTurn = 1024;

}  // namespace

void Interpreter::startFastForward() {
    engine_.fastForward = true;
    sound.mute();
}

void Interpreter::fastForwardSteps() {
    for (int i = 0; i < kStepsPerTurn; ++i) {
        interpreterStep();
        if (fastForwardEnds()) return;
    }
}

bool Interpreter::fastForwardEnds() {
    if (!mainWindowExists(engine_)) {  // the play ended on the way
        engine_.fastForward = false;
        note(msg::fromNotReached.utf8() + target_->name);
        return true;
    }
    const bool reached = target_->offset >= 0 ? static_cast<int64_t>(reader.position()) >= target_->offset
                                              : reader.lineNumber >= target_->line;
    if (reached && reader.isFile(target_->device, target_->inode)) {
        endFastForward(true);
        return true;
    }
    if (reader.opens() != opensSeen_) {
        opensSeen_ = reader.opens();
        // Nothing branches: a file opened a second time starts a round that
        // repeats the first, which did not reach the line.
        const std::pair file{reader.device(), reader.inode()};
        if (std::find(filesPassed_.begin(), filesPassed_.end(), file) != filesPassed_.end()) {
            endFastForward(false);
            return true;
        }
        filesPassed_.push_back(file);
    }
    if (atEnd()) {
        endFastForward(false);
        return true;
    }
    return false;
}

void Interpreter::endFastForward(bool reached) {
    engine_.fastForward = false;
    sound.unmute();
    if (!reached) note(msg::fromNotReached.utf8() + target_->name);
    engine_.events.invalidate();
    paintWindow(engine_, true);
    engine_.events.validate();
    showPageInTitle();
}

void Interpreter::showPageInTitle() {
    if (!engine_.authorMode) return;
    std::string file;
    int32_t line = 0;
    pageStart(file, line);
    showLineInTitle(engine_, file.c_str(), line);
}

}  // namespace qt::engine
