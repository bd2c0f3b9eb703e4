// The commands end, curid, next and iro.
#include "common/numeral.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/messages.h"
#include "engine/interpreter/interpreter.h"
#include "engine/interpreter/other_commands.h"
#include "engine/rules/command_rules.h"

namespace qt::engine {

void endCommand(Interpreter& interpreter) { destroyMainWindow(interpreter.engine()); }

void curidCommand(Interpreter& interpreter) {
    Engine& engine = interpreter.engine();
    const int32_t id = numeralInt(interpreter.commandArgs.slot(0));
    if (engine.screens.isValidId(id)) {
        engine.screens.curID = id;
    } else {
        showErrorBox(engine, msg::curidBad.cp932());
    }
}

void nextCommand(Interpreter& interpreter) {
    Engine& engine = interpreter.engine();
    const char* path = interpreter.commandArgs.slot(0);
    if (!nextTargetExists(path)) {
        showErrorBox(engine, msg::nextBadPath.cp932());
        return;
    }
    interpreter.reader.open(path);
}

void iroCommand(Interpreter& interpreter) {
    Engine& engine = interpreter.engine();
    const CommandArgs& args = interpreter.commandArgs;
    if (!iroCountAccepted(args.count)) {
        showErrorBox(engine, msg::iroCountBad.cp932());
        return;
    }
    const auto color = static_cast<platform::ColorRef>(numeralInt(args.slot(0)));
    const int32_t id = engine.screens.curID;
    const auto [width, height] = engine.screens.getScreenSize(id);
    if (platform::Surface* screen = engine.screens.getDC(id)) {
        if (id == 0) engine.output.beforeDrawingOnPresentation(engine);
        platform::fillRect(*screen, 0, 0, width, height, color);
    }
}

}  // namespace qt::engine
