#pragma once
// The backend without a display: a virtual clock that sleeping advances
// without waiting, input played from a script as the clock reaches it, and
// message boxes answered at once (recorded, and written to standard error).
//
// An idle wait moves the clock straight to the deadline or to the next
// scripted item, whichever comes first (at least 1 ms).
//
// The window starts with the focus, and a click gives it the focus, as on a
// desktop. Its drawable area is the client area, or the output size when one
// is given; in fullscreen it is the output size or else the display. A held key ("down") repeats after 500 ms and then
// every 33 ms until it is released or another key is pressed. The window closes when the clock reaches the end of the
// run.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/platform/backend.h"
#include "engine/platform/headless/input_script.h"

namespace qt::platform {

struct HeadlessOptions {
    std::vector<ScriptedInput> input;  // sorted by time as written
    uint32_t startMs = 0;              // the virtual clock at start (restarts go on)
    uint32_t untilMs = 600000;         // the window closes when the clock reaches this
    int displayWidth = 1920, displayHeight = 1080;
    int outputWidth = 0, outputHeight = 0;  // the drawable area; 0: the client area
};

class HeadlessBackend final : public Backend {
public:
    explicit HeadlessBackend(const HeadlessOptions& options);

    DisplayMetrics metrics() override { return metrics_; }
    bool createWindow(const WindowSpec& shape) override;
    void showWindow() override;
    void destroyWindow() override;
    void present(const Surface&) override {}
    void setTitle(std::string_view titleCp932) override { spec_.titleCp932 = titleCp932; }
    void setFullscreen(bool on) override;
    void pollInput(InputSink& sink) override;
    void beginDrag(bool resizeFromLowerRight) override { drags_.push_back(resizeFromLowerRight); }
    uint32_t tickCount() override { return now_; }
    void sleep(uint32_t ms) override { now_ += ms; }
    void waitIdle(uint32_t deadlineTick) override;
    bool showsMessageBoxes() const override { return false; }
    void messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon icon,
                    const BoxPicture* drawn) override;

    // What happened, for tests and tools.
    struct Box {
        std::string captionCp932, textCp932;
        BoxIcon icon;
    };
    // The first kKeptBoxes boxes; a long run (an error each round of a
    // scenario loop) only counts the rest.
    static constexpr size_t kKeptBoxes = 256;
    const std::vector<Box>& boxes() const { return boxes_; }
    uint64_t boxCount() const { return boxCount_; }
    // One entry per drag begun: true for a resize from the lower right.
    const std::vector<bool>& drags() const { return drags_; }
    const WindowSpec& windowSpec() const { return spec_; }
    bool windowExists() const { return exists_; }
    bool shown() const { return shown_; }
    bool fullscreen() const { return fullscreen_; }

private:
    void setFocus(InputSink& sink, bool focus);
    void reportSize(InputSink& sink);

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
    uint32_t repeatKey_ = 0;         // the key that auto-repeats, 0 for none
    uint32_t nextRepeat_ = 0;

    bool exists_ = false;
    bool shown_ = false;
    bool focus_ = true;
    bool focusReported_ = false;
    int outputWidth_, outputHeight_;
    bool fullscreen_ = false;
    bool sizeReported_;  // the client area needs no report
    WindowSpec spec_;
    std::vector<Box> boxes_;
    uint64_t boxCount_ = 0;
    std::vector<bool> drags_;
};

std::unique_ptr<HeadlessBackend> createHeadlessBackend(const HeadlessOptions& options);

}  // namespace qt::platform
