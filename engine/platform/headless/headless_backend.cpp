#include "engine/platform/headless/headless_backend.h"

#include <algorithm>
#include <limits>

#include "common/report.h"

namespace qt::platform {

namespace {

constexpr uint32_t kFirstRepeatMs = 500;
constexpr uint32_t kRepeatMs = 33;

}  // namespace

HeadlessBackend::HeadlessBackend(const HeadlessOptions& options)
    : input_(options.input),
      now_(options.startMs),
      untilMs_(options.untilMs),
      outputWidth_(options.outputWidth),
      outputHeight_(options.outputHeight),
      sizeReported_(options.outputWidth <= 0 || options.outputHeight <= 0) {
    std::stable_sort(input_.begin(), input_.end(),
                     [](const ScriptedInput& a, const ScriptedInput& b) { return a.atMs < b.atMs; });
    // Input written for times before a restart has already been played.
    while (nextInput_ < input_.size() && input_[nextInput_].atMs < now_) ++nextInput_;
    metrics_.screenWidth = options.displayWidth;
    metrics_.screenHeight = options.displayHeight;
    metrics_.frameWidth = 4;
    metrics_.frameHeight = 4;
    metrics_.captionHeight = 23;
}

bool HeadlessBackend::createWindow(const WindowSpec& shape) {
    if (exists_) return false;
    spec_ = shape;
    exists_ = true;
    return true;
}

void HeadlessBackend::showWindow() {
    if (exists_) shown_ = true;
}

void HeadlessBackend::destroyWindow() {
    exists_ = false;
    shown_ = false;
}

void HeadlessBackend::setFullscreen(bool on) {
    if (on == fullscreen_) return;
    fullscreen_ = on;
    sizeReported_ = false;
}

void HeadlessBackend::reportSize(InputSink& sink) {
    if (sizeReported_ || !exists_) return;
    sizeReported_ = true;
    const bool given = outputWidth_ > 0 && outputHeight_ > 0;
    if (fullscreen_) {
        sink.sizeChanged(given ? outputWidth_ : metrics_.screenWidth, given ? outputHeight_ : metrics_.screenHeight);
    } else {
        sink.sizeChanged(given ? outputWidth_ : spec_.clientWidth, given ? outputHeight_ : spec_.clientHeight);
    }
    sink.fullscreenChanged(fullscreen_);
}

void HeadlessBackend::setFocus(InputSink& sink, bool focus) {
    if (focusReported_ && focus == focus_) return;
    focus_ = focus;
    focusReported_ = true;
    sink.focusChanged(focus);
}

void HeadlessBackend::pollInput(InputSink& sink) {
    setFocus(sink, focus_);
    reportSize(sink);
    constexpr uint64_t never = std::numeric_limits<uint64_t>::max();
    for (;;) {
        // The earliest due item; on equal times releases and repeats first,
        // then the script in its order, then the end of the run.
        uint64_t releaseAt = never;
        size_t releaseIndex = 0;
        for (size_t i = 0; i < releases_.size(); ++i) {
            if (releases_[i].at < releaseAt) {
                releaseAt = releases_[i].at;
                releaseIndex = i;
            }
        }
        const uint64_t repeatAt = repeatKey_ != 0 ? nextRepeat_ : never;
        const uint64_t inputAt = nextInput_ < input_.size() ? input_[nextInput_].atMs : never;
        const uint64_t untilAt = closeSent_ ? never : untilMs_;
        const uint64_t first = std::min({releaseAt, repeatAt, inputAt, untilAt});
        if (first > now_) return;

        if (first == releaseAt) {
            const uint32_t key = releases_[releaseIndex].key;
            releases_.erase(releases_.begin() + static_cast<std::ptrdiff_t>(releaseIndex));
            sink.keyReleased(key);
        } else if (first == repeatAt) {
            nextRepeat_ += kRepeatMs;
            sink.keyPressed(repeatKey_);
        } else if (first == inputAt) {
            const ScriptedInput& in = input_[nextInput_++];
            switch (in.kind) {
                case ScriptedInput::Kind::key:
                    if (in.alt) sink.keyPressed(vk::alt);
                    sink.keyPressed(in.key);
                    releases_.push_back({in.atMs + 1, in.key});
                    if (in.alt) releases_.push_back({in.atMs + 1, vk::alt});
                    repeatKey_ = 0;
                    break;
                case ScriptedInput::Kind::down:
                    sink.keyPressed(in.key);
                    repeatKey_ = in.key;
                    nextRepeat_ = in.atMs + kFirstRepeatMs;
                    break;
                case ScriptedInput::Kind::up:
                    if (repeatKey_ == in.key) repeatKey_ = 0;
                    sink.keyReleased(in.key);
                    break;
                case ScriptedInput::Kind::focusOut: setFocus(sink, false); break;
                case ScriptedInput::Kind::focusIn: setFocus(sink, true); break;
                case ScriptedInput::Kind::click:
                case ScriptedInput::Kind::shiftClick:
                    if (exists_) setFocus(sink, true);
                    sink.leftButtonPressed(in.x, in.y, in.kind == ScriptedInput::Kind::shiftClick);
                    sink.leftButtonReleased(in.x, in.y);
                    break;
                case ScriptedInput::Kind::drag:
                    if (exists_) setFocus(sink, true);
                    sink.leftButtonPressed(in.x, in.y, false);
                    sink.pointerMoved(in.x2, in.y2);
                    sink.leftButtonReleased(in.x2, in.y2);
                    break;
                case ScriptedInput::Kind::rightClick:
                    if (exists_) setFocus(sink, true);
                    sink.rightButtonReleased(in.x, in.y);
                    break;
                case ScriptedInput::Kind::wheel: sink.wheelTurned(in.steps); break;
            }
        } else {
            closeSent_ = true;
            sink.closeRequested();
        }
    }
}

void HeadlessBackend::waitIdle(uint32_t deadlineTick) {
    // Nothing can happen before the next scripted item or the deadline:
    // go there at once (at least 1 ms, like an idle turn's sleep).
    uint64_t wake = static_cast<uint64_t>(now_) + static_cast<uint32_t>(deadlineTick - now_);
    if (static_cast<int32_t>(deadlineTick - now_) <= 0) wake = now_;
    for (const Release& r : releases_) wake = std::min<uint64_t>(wake, r.at);
    if (repeatKey_ != 0) wake = std::min<uint64_t>(wake, nextRepeat_);
    if (nextInput_ < input_.size()) wake = std::min<uint64_t>(wake, input_[nextInput_].atMs);
    if (!closeSent_) wake = std::min<uint64_t>(wake, untilMs_);
    const uint64_t step = wake > now_ ? wake - now_ : 1;
    sleep(static_cast<uint32_t>(std::min<uint64_t>(step, UINT32_MAX)));
}

void HeadlessBackend::messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon icon,
                                 const BoxPicture*) {
    reportToStderr(captionCp932, textCp932);
    ++boxCount_;
    if (boxes_.size() < kKeptBoxes) boxes_.push_back({std::string(captionCp932), std::string(textCp932), icon});
}

std::unique_ptr<HeadlessBackend> createHeadlessBackend(const HeadlessOptions& options) {
    return std::make_unique<HeadlessBackend>(options);
}

}  // namespace qt::platform
