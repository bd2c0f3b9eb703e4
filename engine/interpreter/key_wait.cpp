// The key wait: the flashing prompt on idle turns and the keys that end it.
#include <cstring>
#include <string_view>

#include "engine/core/capture.h"
#include "engine/core/engine.h"
#include "engine/core/error_reports.h"
#include "engine/core/main_window.h"
#include "engine/core/message_loop.h"
#include "engine/core/messages.h"
#include "engine/interpreter/interpreter.h"

namespace qt::engine {

void Interpreter::keyWait(uint32_t kind, uint32_t key, uint32_t keyData) {
    if (kind == 0) {
        if (engine_.runState != kWaitingForKey) return;
        if ((engine_.backend->tickCount() / 100) % 3 == 0) drawPrompt();
        return;
    }
    if (kind != kKeyDownMessage) {
        showErrorBox(engine_, msg::keyWaitUnexpected.cp932());
        return;
    }
    namespace vk = platform::vk;
    const bool freshPress = (keyData & kKeyRepeatBit) == 0;
    const bool accepted =
        ((key == vk::space || key == vk::enter || key == vk::separator) && freshPress) ||
        key == 'Z';
    if (!accepted) return;
    // A wait that ends before any idle turn still gets its picture.
    captureWaitIfDue(engine_);
    engine_.runState = kRunning;
    if (pageBreakPending) {
        engine_.honbun.newPage(engine_);
        pageBreakPending = false;
    }
}

void Interpreter::drawPrompt() {
    if (!promptFontTried_) {
        promptFontTried_ = true;
        if (engine_.text != nullptr) promptFont_ = engine_.text->createFixedFont();
    }
    platform::Backend& backend = *engine_.backend;
    if (!promptFont_ || !mainWindowExists(engine_)) return;
    const KeyWaitSettings& s = engine_.keyWait;
    const platform::ColorRef color = (backend.tickCount() & s.flashMask) != 0 ? s.onColor : s.offColor;
    const std::string_view text(s.viewstr, std::strlen(s.viewstr));
    promptFont_->draw(engine_.clientPicture, engine_.windowWidth + s.dx, engine_.windowHeight + s.dy,
                      text, color, std::nullopt);
    presentMainWindow(engine_);
}

}  // namespace qt::engine
