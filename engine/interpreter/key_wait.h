#pragma once
// The key wait: the flashing prompt on idle turns and the keys that end it.
#include <cstdint>
#include <memory>

#include "engine/platform/text.h"

namespace qt::engine {

struct Engine;
class Interpreter;

class KeyWait {
public:
    // `kind` 0 is an idle turn (the prompt may be drawn); kKeyDownMessage a
    // key press, which may end the wait; anything else is reported.
    void message(Interpreter& interpreter, uint32_t kind, uint32_t key, uint32_t keyData);

private:
    void drawPrompt(Engine& engine);

    std::unique_ptr<platform::Font> promptFont_;
    int promptCell_ = 0;  // the cell the font was made for; 0: none tried
};

}  // namespace qt::engine
