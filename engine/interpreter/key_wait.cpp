// The key wait: the flashing prompt on idle turns and the keys that end it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/core/capture.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/message_loop.h"
#include "engine/core/messages.h"
#include "engine/interpreter/interpreter.h"
#include "engine/interpreter/key_wait.h"

namespace qt::engine {

void KeyWait::message(Interpreter& interpreter, uint32_t kind, uint32_t key, uint32_t keyData) {
    Engine& engine = interpreter.engine();
    if (kind == 0) {
        if (engine.runState != kWaitingForKey) return;
        if ((engine.backend->tickCount() / 100) % 3 == 0) drawPrompt(engine);
        return;
    }
    if (kind != kKeyDownMessage) {
        showErrorBox(engine, msg::keyWaitUnexpected.cp932());
        return;
    }
    namespace vk = platform::vk;
    const bool freshPress = (keyData & kKeyRepeatBit) == 0;
    const bool accepted =
        ((key == vk::space || key == vk::enter || key == vk::separator || key == vk::padA) && freshPress) ||
        key == 'Z' || key == vk::padB;
    if (!accepted) return;
    // A wait that ends before any idle turn still gets its picture.
    captureWaitIfDue(engine);
    interpreter.endWait();
}

void KeyWait::drawPrompt(Engine& engine) {
    // Enlarged with the picture, so that it stays as sharp as the text.
    const OutputLayout& layout = engine.output.layout();
    const int cell = static_cast<int>(std::clamp<int64_t>(layout.scaled(12), 1, platform::Surface::kMaxSide));
    if (promptCell_ != cell) {
        promptCell_ = cell;
        promptFont_ = engine.text != nullptr ? engine.text->createFixedFont(cell) : nullptr;
    }
    platform::Backend& backend = *engine.backend;
    if (!promptFont_ || !mainWindowExists(engine)) return;
    const KeyWaitSettings& s = engine.keyWait;
    const platform::ColorRef color = (backend.tickCount() & s.flashMask) != 0 ? s.onColor : s.offColor;
    const std::string_view text(s.viewstr, std::strlen(s.viewstr));
    const auto at = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    const int x = at(layout.x + layout.scaled(int64_t{engine.windowWidth} + s.dx));
    const int y = at(layout.y + layout.scaled(int64_t{engine.windowHeight} + s.dy));
    promptFont_->draw(engine.clientPicture, x, y, text, color, std::nullopt);
    // Room for glyphs that reach beyond their cell.
    const int64_t width = int64_t{promptFont_->textWidth(text)} + 2 * cell;
    engine.output.promptDrawn(engine, at(int64_t{x} - cell), at(int64_t{y} - cell),
                              static_cast<int>(std::min<int64_t>(width, INT32_MAX / 2)), 3 * cell);
}

}  // namespace qt::engine
