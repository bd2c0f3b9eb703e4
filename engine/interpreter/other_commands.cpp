// The commands end, curid, next and iro.
#include "common/numeral.h"
#include "common/paths.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

void Interpreter::endProgram() { destroyMainWindow(engine_); }

void Interpreter::curid() {
    const int32_t id = numeralInt(commandArgs.slot(0));
    if (engine_.screens.isValidId(id)) {
        engine_.screens.curID = id;
    } else {
        showErrorBox(engine_, msg::curidBad.cp932());
    }
}

void Interpreter::next() {
    const char* path = commandArgs.slot(0);
    if (!pathExists(path)) {
        showErrorBox(engine_, msg::nextBadPath.cp932());
        return;
    }
    reader.open(path);
}

void Interpreter::iro() {
    if (commandArgs.count != 1) {
        showErrorBox(engine_, msg::iroCountBad.cp932());
        return;
    }
    const auto color = static_cast<platform::ColorRef>(numeralInt(commandArgs.slot(0)));
    const int32_t id = engine_.screens.curID;
    const auto [width, height] = engine_.screens.getScreenSize(id);
    if (platform::Surface* screen = engine_.screens.getDC(id)) {
        platform::fillRect(*screen, 0, 0, width, height, color);
    }
}

}  // namespace qt::engine
