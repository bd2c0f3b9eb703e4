#pragma once
// Plays a started engine the way the fuzz targets drive it: steps until the
// scenario ends, the window is gone or `steps` have run, every key wait
// given its idle turn and then ended with Z.
#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/message_loop.h"
#include "engine/interpreter/interpreter.h"

namespace qt::fuzz {

inline void playThrough(engine::Engine& engine, engine::Interpreter& interpreter, int steps) {
    for (int i = 0; i < steps && engine::mainWindowExists(engine) && !interpreter.atEnd(); ++i) {
        if (engine.runState == engine::kWaitingForKey) {
            interpreter.keyWait(0, 0, 0);
            interpreter.keyWait(engine::kKeyDownMessage, 'Z', 0);
        } else {
            interpreter.step();
        }
    }
}

}  // namespace qt::fuzz
