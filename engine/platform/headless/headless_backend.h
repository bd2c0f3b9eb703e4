#pragma once
// The backend without a display: a virtual clock that sleeping advances
// without waiting, input played from a script as the clock reaches it, and
// message boxes answered at once. Messages come in the desktop's order:
// queued input first, then the quit event, then one paint for all
// invalidations since the last paint.
//
// An idle wait moves the clock straight to the deadline or to the next
// scripted item, whichever comes first (at least 1 ms).
//
// Keyboard events reach the window only while it has focus; a click gives
// it focus, as on a desktop. A held key ("down") repeats after 500 ms and
// then every 33 ms until it is released or another key is pressed.
#include <deque>
#include <string>
#include <vector>

#include "engine/platform/backends.h"

namespace qt::platform {

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(const HeadlessOptions& options);

    DisplayMetrics metrics() override;
    bool createWindow(const WindowSpec& shape) override;
    void showWindow() override;
    bool windowExists() const override { return exists_; }
    void destroyWindow() override;
    void postQuit(int code) override;
    Surface& clientPicture() override { return picture_; }
    void present() override {}
    void invalidate() override;
    void validate() override { paintPending_ = false; }
    bool peekEvent() override;
    Event nextEvent() override;
    void beginDrag(bool resizeFromLowerRight) override;
    uint32_t tickCount() override { return now_; }
    void sleep(uint32_t ms) override { now_ += ms; }
    void waitIdle(uint32_t deadlineTick) override;
    bool hasFocus() override;
    void messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon icon) override;

    // What happened, for tests and tools.
    struct Box {
        std::string captionCp932, textCp932;
        BoxIcon icon;
    };
    const std::vector<Box>& boxes() const { return boxes_; }
    // One entry per drag begun: true for a resize from the lower right.
    const std::vector<bool>& drags() const { return drags_; }
    const WindowSpec& windowSpec() const { return spec_; }
    bool shown() const { return shown_; }

private:
    void pump();
    void queueInput(const Event& e);

    std::vector<ScriptedInput> input_;
    size_t nextInput_ = 0;
    uint32_t now_;
    uint32_t untilMs_;
    bool closeSent_ = false;
    DisplayMetrics metrics_;

    struct Release {
        uint32_t at;
        uint32_t key;
    };
    std::vector<Release> releases_;  // key presses whose release is due
    std::vector<uint32_t> held_;    // keys down now
    uint32_t repeatKey_ = 0;        // the key that auto-repeats, 0 for none
    uint32_t nextRepeat_ = 0;

    bool exists_ = false;
    bool shown_ = false;
    bool focus_ = true;
    bool paintPending_ = false;
    bool quitPending_ = false;
    int quitCode_ = 0;
    std::deque<Event> queue_;
    WindowSpec spec_;
    Surface picture_;
    std::vector<Box> boxes_;
    std::vector<bool> drags_;
};

}  // namespace qt::platform
