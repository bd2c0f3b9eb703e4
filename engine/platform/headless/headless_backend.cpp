#include "engine/platform/headless/headless_backend.h"

#include <algorithm>
#include <limits>

#include "common/report.h"
#include "engine/platform/sound.h"

namespace qt::platform {

namespace {

constexpr uint32_t kFirstRepeatMs = 500;
constexpr uint32_t kRepeatMs = 33;
constexpr uint32_t kFreshKeyData = 1;                        // repeat count 1
constexpr uint32_t kRepeatKeyData = kKeyRepeatBit | 1;
constexpr uint32_t kReleaseKeyData = (1u << 31) | kKeyRepeatBit | 1;

Event keyEvent(EventType type, uint32_t key, uint32_t data) {
    Event e;
    e.type = type;
    e.key = key;
    e.keyData = data;
    return e;
}

}  // namespace

HeadlessBackend::HeadlessBackend(const HeadlessOptions& options)
    : input_(options.input), now_(options.startMs), untilMs_(options.untilMs) {
    useSilentAudio();
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

DisplayMetrics HeadlessBackend::metrics() { return metrics_; }

bool HeadlessBackend::createWindow(const WindowSpec& shape) {
    if (exists_) return false;
    Surface picture;
    if (!picture.create(shape.pictureWidth, shape.pictureHeight, rgb(64, 64, 64))) return false;
    picture_ = std::move(picture);
    spec_ = shape;
    exists_ = true;
    return true;
}

void HeadlessBackend::showWindow() {
    if (!exists_) return;
    shown_ = true;
    paintPending_ = true;  // a newly shown window is painted
}

void HeadlessBackend::destroyWindow() {
    if (!exists_) return;
    exists_ = false;
    shown_ = false;
    paintPending_ = false;
    // Whatever was queued for the window goes with it.
    queue_.clear();
    Event e;
    e.type = EventType::destroy;
    queue_.push_back(e);
}

void HeadlessBackend::postQuit(int code) {
    quitPending_ = true;
    quitCode_ = code;
}

void HeadlessBackend::invalidate() {
    if (exists_) paintPending_ = true;
}

void HeadlessBackend::queueInput(const Event& e) {
    if (exists_) queue_.push_back(e);
}

void HeadlessBackend::pump() {
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
            held_.erase(std::remove(held_.begin(), held_.end(), key), held_.end());
            if (focus_) queueInput(keyEvent(EventType::keyUp, key, kReleaseKeyData));
        } else if (first == repeatAt) {
            nextRepeat_ += kRepeatMs;
            if (focus_) queueInput(keyEvent(EventType::keyDown, repeatKey_, kRepeatKeyData));
        } else if (first == inputAt) {
            const ScriptedInput& in = input_[nextInput_++];
            const bool wasDown = std::find(held_.begin(), held_.end(), in.key) != held_.end();
            switch (in.kind) {
                case ScriptedInput::Kind::key:
                case ScriptedInput::Kind::down:
                    if (!wasDown) held_.push_back(in.key);
                    if (focus_)
                        queueInput(keyEvent(EventType::keyDown, in.key,
                                            wasDown ? kRepeatKeyData : kFreshKeyData));
                    if (in.kind == ScriptedInput::Kind::key) {
                        releases_.push_back({in.atMs + 1, in.key});
                        repeatKey_ = 0;
                    } else {
                        repeatKey_ = in.key;
                        nextRepeat_ = in.atMs + kFirstRepeatMs;
                    }
                    break;
                case ScriptedInput::Kind::up:
                    held_.erase(std::remove(held_.begin(), held_.end(), in.key), held_.end());
                    if (repeatKey_ == in.key) repeatKey_ = 0;
                    if (focus_) queueInput(keyEvent(EventType::keyUp, in.key, kReleaseKeyData));
                    break;
                case ScriptedInput::Kind::focusOut:
                    focus_ = false;
                    break;
                case ScriptedInput::Kind::focusIn:
                    focus_ = true;
                    break;
                case ScriptedInput::Kind::click:
                case ScriptedInput::Kind::shiftClick: {
                    Event e;
                    e.type = EventType::leftButtonDown;
                    e.x = in.x;
                    e.y = in.y;
                    e.shift = in.kind == ScriptedInput::Kind::shiftClick;
                    if (exists_) focus_ = true;
                    queueInput(e);
                    break;
                }
            }
        } else {
            closeSent_ = true;
            Event e;
            e.type = EventType::close;
            queueInput(e);
        }
    }
}

bool HeadlessBackend::peekEvent() {
    pump();
    return !queue_.empty() || quitPending_ || paintPending_;
}

Event HeadlessBackend::nextEvent() {
    pump();
    if (!queue_.empty()) {
        Event e = queue_.front();
        queue_.pop_front();
        return e;
    }
    Event e;
    if (quitPending_) {
        quitPending_ = false;
        e.type = EventType::quit;
        e.code = quitCode_;
        return e;
    }
    paintPending_ = false;
    e.type = EventType::paint;
    return e;
}

void HeadlessBackend::beginDrag(bool resizeFromLowerRight) { drags_.push_back(resizeFromLowerRight); }

void HeadlessBackend::waitIdle(uint32_t deadlineTick) {
    if (peekEvent()) {
        sleep(1);
        return;
    }
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

bool HeadlessBackend::hasFocus() {
    pump();
    return exists_ && focus_;
}

void HeadlessBackend::messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon icon) {
    reportToStderr(captionCp932, textCp932);
    boxes_.push_back({std::string(captionCp932), std::string(textCp932), icon});
}

std::unique_ptr<Backend> createHeadlessBackend(const HeadlessOptions& options) {
    return std::make_unique<HeadlessBackend>(options);
}

}  // namespace qt::platform
