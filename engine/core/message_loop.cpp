#include "engine/core/message_loop.h"

#include <cstdlib>

#include "engine/core/capture.h"
#include "engine/core/compositing.h"
#include "engine/core/engine.h"
#include "engine/core/main_window.h"
#include "engine/core/reload.h"

namespace qt::engine {

namespace {

// How long an idle turn may block when nothing can advance until an event.
constexpr uint32_t kUntilEvent = 3600000;

// How far the pointer may move between press and release for a click; any
// farther and the press drags the window.
constexpr int kClickSlop = 4;

bool togglesFullscreen(const Event& e) {
    const bool fresh = (e.keyData & kKeyRepeatBit) == 0;
    return fresh && (e.key == platform::vk::f11 || (e.key == platform::vk::enter && e.alt));
}

// A click or a wheel step counts as a press of Space.
void passWait(Engine& engine) {
    if (engine.runState == kWaitingForKey) engine.host->keyWait(kKeyDownMessage, platform::vk::space, kFreshKeyData);
}

bool nearPress(const Engine& engine, const Event& e) {
    return std::abs(int64_t{e.x} - engine.press.x) <= kClickSlop &&
           std::abs(int64_t{e.y} - engine.press.y) <= kClickSlop;
}

}  // namespace

uint32_t promptDeadline(uint32_t now, uint8_t flashMask) {
    const uint32_t periodStart = now - now % 300;
    const uint32_t nextPeriod = periodStart + 300;
    if (now % 300 < 100 && flashMask != 0) {
        const uint32_t flip = (now | (flashMask - 1u)) + 1u;
        if (flip < periodStart + 100) return flip;
    }
    return nextPeriod;
}

void windowProcedure(Engine& engine, const Event& event) {
    switch (event.type) {
        case EventType::paint: paintWindow(engine); break;
        case EventType::leftButtonDown:
            if (engine.keyWait.mouseAdvance != 0 && !event.shift) {
                engine.press = {true, event.x, event.y};
            } else {
                engine.backend->beginDrag(event.shift);
            }
            break;
        case EventType::pointerMove:
            if (engine.press.down && !nearPress(engine, event)) {
                engine.press.down = false;
                engine.backend->beginDrag(false);
            }
            break;
        case EventType::leftButtonUp:
            if (engine.press.down) {
                engine.press.down = false;
                if (nearPress(engine, event)) passWait(engine);
            }
            break;
        case EventType::rightButtonUp:
            if (engine.keyWait.mouseAdvance == 2) destroyMainWindow(engine);
            break;
        case EventType::wheel:
            if (engine.keyWait.mouseAdvance != 0 && event.steps > 0) passWait(engine);
            break;
        case EventType::keyDown:
            if (togglesFullscreen(event)) {
                engine.backend->setFullscreen(!engine.events.fullscreen());
            } else if (engine.runState == kWaitingForKey && !(event.key == platform::vk::enter && event.alt)) {
                engine.host->keyWait(kKeyDownMessage, event.key, event.keyData);
            }
            break;
        case EventType::keyUp:
            if (event.key == platform::vk::escape || event.key == platform::vk::padBack) {
                destroyMainWindow(engine);
            } else if (event.key == platform::vk::f12) {
                engine.runState = kRestarting;
                destroyMainWindow(engine);
            } else if (event.key == platform::vk::f5 && engine.authorMode) {
                reloadScenarios(engine);
            }
            break;
        case EventType::close: destroyMainWindow(engine); break;
        case EventType::destroy: engine.events.postQuit(0); break;
        case EventType::quit: break;
    }
}

int runMessageLoop(Engine& engine) {
    platform::Backend& backend = *engine.backend;
    EventQueue& events = engine.events;
    // After an event the prompt may have been painted over: the next idle
    // turn then redraws it after the usual 1 ms.
    bool eventSinceIdle = true;
    for (;;) {
        if (events.peek()) {
            const Event event = events.next();
            if (event.type == EventType::quit) return event.code;
            windowProcedure(engine, event);
            eventSinceIdle = true;
            continue;
        }

        if (engine.runState == kWaitingForKey) captureWaitIfDue(engine);
        const bool focus = events.hasFocus();
        const uint32_t now = backend.tickCount();
        if (!focus || engine.runState == kRestarting || (engine.runState != kWaitingForKey && engine.host->atEnd())) {
            // Nothing can advance until an event comes.
            events.waitIdle(now + kUntilEvent);
            eventSinceIdle = false;
            continue;
        }
        if (engine.runState == kWaitingForKey) {
            if (eventSinceIdle) {
                backend.sleep(1);
            } else {
                events.waitIdle(promptDeadline(now, engine.keyWait.flashMask));
            }
            eventSinceIdle = false;
            if (events.hasFocus()) engine.host->keyWait(0, 0, 0);
            continue;
        }
        // Fast-forward takes its steps back to back; messages still come first.
        if (!engine.fastForward) backend.sleep(1);
        eventSinceIdle = false;
        engine.host->step();
    }
}

}  // namespace qt::engine
