#pragma once
// The window's message queue, in the order the window procedure relies on:
// input and the destroy message as they came, then the quit message, then one
// paint for every invalidation since the last paint. Backends push raw input
// through InputSink; what the window may not receive is dropped here: every
// message while no window exists, keys while it lacks the input focus.
#include <bitset>
#include <cstdint>
#include <deque>

#include "engine/platform/backend.h"

namespace qt::engine {

// Bit 30 of the key data: the key was already down (auto-repeat).
inline constexpr uint32_t kKeyRepeatBit = 1u << 30;
// Key data of a fresh press, a repeat and a release (repeat count 1).
inline constexpr uint32_t kFreshKeyData = 1;
inline constexpr uint32_t kRepeatKeyData = kKeyRepeatBit | 1;
inline constexpr uint32_t kReleaseKeyData = (1u << 31) | kKeyRepeatBit | 1;

enum class EventType {
    paint,  // the client area needs painting (after an invalidation)
    leftButtonDown,
    keyDown,
    keyUp,
    close,        // the user closed the window; the engine destroys it
    destroy,      // the window was destroyed (the engine posts quit)
    quit,         // ends the message loop; `code` is the exit code
    pointerMove,  // with the left button held, while clicks are taken
    leftButtonUp,
    rightButtonUp,
    wheel,
};

struct Event {
    EventType type = EventType::paint;
    uint32_t key = 0;      // virtual-key number for keyDown / keyUp
    uint32_t keyData = 0;  // bit 30 set when the key was already down
    bool alt = false;      // Alt held at keyDown
    int x = 0, y = 0;      // client coordinates of the mouse events
    bool shift = false;    // Shift held at leftButtonDown
    int steps = 0;         // wheel steps, towards the user positive
    int code = 0;          // exit code for quit
};

class EventQueue final : public platform::InputSink {
public:
    // Input is taken from `source` whenever the queue is asked; null for none.
    explicit EventQueue(platform::Backend* source = nullptr) : source_(source) {}
    void setSource(platform::Backend* source) { source_ = source; }

    // The window's life as the engine makes and ends it.
    void windowCreated();
    void windowShown();  // a newly shown window is painted
    // Whatever was queued for the window goes with it; a destroy message follows.
    void windowDestroyed();
    bool windowExists() const { return window_; }

    // A paint message comes at the next turn; validate() drops a pending one.
    void invalidate();
    void validate() { paintPending_ = false; }
    bool paintPending() const { return paintPending_; }
    void postQuit(int code);

    // Whether a message waits, after taking the source's input.
    bool peek();
    // The first message; only after peek() said true.
    Event next();
    // The window exists and has the input focus (after taking input).
    bool hasFocus();
    // An idle turn: 1 ms when a message waits, else the source's wait.
    void waitIdle(uint32_t deadlineTick);

    // The drawable area as last reported (0 x 0 before any report), and
    // whether the window fills the display.
    int drawableWidth() const { return drawableWidth_; }
    int drawableHeight() const { return drawableHeight_; }
    bool fullscreen() const { return fullscreen_; }
    bool keyDown(uint32_t virtualKey) const { return keysDown_.test(virtualKey & 0xFFu); }

    // platform::InputSink
    void keyPressed(uint32_t virtualKey) override;
    void keyReleased(uint32_t virtualKey) override;
    void leftButtonPressed(int x, int y, bool shift) override;
    void pointerMoved(int x, int y) override { pushMouse(EventType::pointerMove, x, y); }
    void leftButtonReleased(int x, int y) override { pushMouse(EventType::leftButtonUp, x, y); }
    void rightButtonReleased(int x, int y) override { pushMouse(EventType::rightButtonUp, x, y); }
    void wheelTurned(int stepsDown) override;
    void focusChanged(bool gained) override { focus_ = gained; }
    void closeRequested() override;
    void exposed() override { invalidate(); }
    // The new size is taken up by the next paint.
    void sizeChanged(int drawableWidth, int drawableHeight) override;
    void fullscreenChanged(bool fullscreen) override;

private:
    void poll();
    void push(const Event& e);
    void pushKey(EventType type, uint32_t key, uint32_t data);
    void pushMouse(EventType type, int x, int y);

    platform::Backend* source_;
    std::deque<Event> queue_;
    std::bitset<256> keysDown_;
    bool window_ = false;
    bool focus_ = false;
    bool paintPending_ = false;
    bool quitPending_ = false;
    int quitCode_ = 0;
    int drawableWidth_ = 0, drawableHeight_ = 0;
    bool fullscreen_ = false;
};

}  // namespace qt::engine
