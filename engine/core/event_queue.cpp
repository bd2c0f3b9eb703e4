#include "engine/core/event_queue.h"

namespace qt::engine {

void EventQueue::windowCreated() { window_ = true; }

void EventQueue::windowShown() {
    if (window_) paintPending_ = true;
}

void EventQueue::windowDestroyed() {
    if (!window_) return;
    window_ = false;
    paintPending_ = false;
    queue_.clear();
    Event e;
    e.type = EventType::destroy;
    queue_.push_back(e);
}

void EventQueue::invalidate() {
    if (window_) paintPending_ = true;
}

void EventQueue::postQuit(int code) {
    quitPending_ = true;
    quitCode_ = code;
}

void EventQueue::poll() {
    if (source_ != nullptr) source_->pollInput(*this);
}

bool EventQueue::peek() {
    poll();
    return !queue_.empty() || quitPending_ || paintPending_;
}

Event EventQueue::next() {
    poll();
    Event e;
    if (!queue_.empty()) {
        e = queue_.front();
        queue_.pop_front();
    } else if (quitPending_) {
        quitPending_ = false;
        e.type = EventType::quit;
        e.code = quitCode_;
    } else {
        paintPending_ = false;
        e.type = EventType::paint;
    }
    return e;
}

bool EventQueue::hasFocus() {
    poll();
    return window_ && focus_;
}

void EventQueue::waitIdle(uint32_t deadlineTick) {
    if (source_ == nullptr) return;
    if (peek()) {
        source_->sleep(1);
    } else {
        source_->waitIdle(deadlineTick);
    }
}

void EventQueue::push(const Event& e) {
    if (window_) queue_.push_back(e);
}

void EventQueue::pushKey(EventType type, uint32_t key, uint32_t data) {
    // Keys go to the window with the focus; one pressed elsewhere is still
    // down when the focus comes back.
    if (!focus_) return;
    Event e;
    e.type = type;
    e.key = key;
    e.keyData = data;
    e.alt = keysDown_.test(platform::vk::alt);
    push(e);
}

void EventQueue::pushMouse(EventType type, int x, int y) {
    Event e;
    e.type = type;
    e.x = x;
    e.y = y;
    push(e);
}

void EventQueue::wheelTurned(int stepsDown) {
    Event e;
    e.type = EventType::wheel;
    e.steps = stepsDown;
    push(e);
}

void EventQueue::sizeChanged(int drawableWidth, int drawableHeight) {
    drawableWidth_ = drawableWidth;
    drawableHeight_ = drawableHeight;
    invalidate();
}

void EventQueue::fullscreenChanged(bool fullscreen) {
    fullscreen_ = fullscreen;
    invalidate();
}

void EventQueue::keyPressed(uint32_t virtualKey) {
    const size_t k = virtualKey & 0xFFu;
    const bool wasDown = keysDown_.test(k);
    keysDown_.set(k);
    pushKey(EventType::keyDown, virtualKey, wasDown ? kRepeatKeyData : kFreshKeyData);
}

void EventQueue::keyReleased(uint32_t virtualKey) {
    keysDown_.reset(virtualKey & 0xFFu);
    pushKey(EventType::keyUp, virtualKey, kReleaseKeyData);
}

void EventQueue::leftButtonPressed(int x, int y, bool shift) {
    Event e;
    e.type = EventType::leftButtonDown;
    e.x = x;
    e.y = y;
    e.shift = shift;
    push(e);
}

void EventQueue::closeRequested() {
    Event e;
    e.type = EventType::close;
    push(e);
}

}  // namespace qt::engine
