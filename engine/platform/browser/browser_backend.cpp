#include "engine/platform/browser/browser_backend.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/cp932.h"
#include "common/report.h"

// The page's side (page.js): Module.qtPage.
// clang-format off
EM_JS(void, qt_page_open_window, (const char* title, int width, int height), {
    Module.qtPage.openWindow(UTF8ToString(title), width, height);
});
EM_JS(void, qt_page_close_window, (), { Module.qtPage.closeWindow(); });
EM_JS(void, qt_page_present, (const uint8_t* rgba, int x, int y, int width, int height), {
    Module.qtPage.present(HEAPU8.subarray(rgba, rgba + width * height * 4), x, y, width, height);
});
// The next input: its kind (0 none, 1 key down, 2 key up, 3 button down,
// 4 focus, 5 close) and up to three values.
EM_JS(int, qt_page_next_input, (int* values), {
    const e = Module.qtPage.nextInput();
    if (!e) return 0;
    for (let i = 1; i < e.length; ++i) HEAP32[(values >> 2) + i - 1] = e[i];
    return e[0];
});
EM_JS(double, qt_page_now, (), { return performance.now(); });
// Yields to the browser for `ms` milliseconds (a few ms without the clamp
// browsers put on short timers).
EM_ASYNC_JS(void, qt_page_sleep, (int ms), { await Module.qtPage.sleep(ms); });
// Yields until input comes or `ms` milliseconds have passed.
EM_ASYNC_JS(void, qt_page_wait_input, (int ms), { await Module.qtPage.waitInput(ms); });
EM_ASYNC_JS(void, qt_page_show_box, (const char* caption, const char* text, const uint8_t* rgba, int width,
                                     int height, int okX, int okY, int okWidth, int okHeight), {
    await Module.qtPage.showBox(UTF8ToString(caption), UTF8ToString(text),
                                HEAPU8.slice(rgba, rgba + width * height * 4), width, height,
                                [okX, okY, okWidth, okHeight]);
});
EM_ASYNC_JS(void, qt_page_ended, (), { await Module.qtPage.ended(); });
// clang-format on

extern "C" void qt_page_audio();

namespace qt::platform {

namespace {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Blue, green, red, fourth byte to the canvas's red, green, blue, alpha, for
// the rectangle `r` of `picture`.
void toRgba(const Surface& picture, const Rect& r, std::vector<uint8_t>& out) {
    out.resize(static_cast<size_t>(r.width) * r.height * 4);
    uint8_t* o = out.data();
    for (int y = r.y; y < r.y + r.height; ++y) {
        const uint8_t* p = picture.bits() + (static_cast<size_t>(y) * picture.width() + r.x) * 4;
        for (int x = 0; x < r.width; ++x, p += 4, o += 4) {
            o[0] = p[2];
            o[1] = p[1];
            o[2] = p[0];
            o[3] = 255;
        }
    }
}

// Where `now` differs from `before` (same size): the flashing prompt redraws
// a few dozen pixels, and the page then repaints only those.
Rect changed(const Surface& now, const std::vector<uint8_t>& before) {
    const int w = now.width(), h = now.height();
    const size_t row = static_cast<size_t>(w) * 4;
    auto rowDiffers = [&](int y) { return std::memcmp(now.bits() + y * row, before.data() + y * row, row) != 0; };
    int top = 0, bottom = h;
    while (top < h && !rowDiffers(top)) ++top;
    if (top == h) return {};
    while (!rowDiffers(bottom - 1)) --bottom;
    int left = w, right = 0;
    for (int y = top; y < bottom; ++y) {
        const auto* a = reinterpret_cast<const uint32_t*>(now.bits() + y * row);
        const auto* b = reinterpret_cast<const uint32_t*>(before.data() + y * row);
        int l = 0, r = w;
        while (l < left && a[l] == b[l]) ++l;
        while (r > right && a[r - 1] == b[r - 1]) --r;
        left = std::min(left, l);
        right = std::max(right, r);
    }
    return {left, top, right - left, bottom - top};
}

class BrowserBackend final : public Backend {
public:
    BrowserBackend() : start_(qt_page_now()) { qt_page_audio(); }

    DisplayMetrics metrics() override {
        // No frame and no desktop to centre on: the page places the picture.
        DisplayMetrics m;
        m.screenWidth = width_;
        m.screenHeight = height_;
        return m;
    }

    bool createWindow(const WindowSpec& shape) override {
        if (open_) return false;
        shown_.clear();
        width_ = std::clamp(shape.clientWidth, 1, Surface::kMaxSide);
        height_ = std::clamp(shape.clientHeight, 1, Surface::kMaxSide);
        title_ = cp932ToUtf8(shape.titleCp932);
        open_ = true;
        return true;
    }

    void showWindow() override {
        if (open_) qt_page_open_window(title_.c_str(), width_, height_);
    }

    void destroyWindow() override {
        if (!open_) return;
        open_ = false;
        qt_page_close_window();
    }

    void present(const Surface& picture) override {
        if (!open_ || !picture.valid()) return;
        const size_t bytes = static_cast<size_t>(picture.width()) * picture.height() * 4;
        Rect r{0, 0, picture.width(), picture.height()};
        if (shown_.size() == bytes && shownWidth_ == picture.width()) r = changed(picture, shown_);
        if (r.width == 0) return;
        toRgba(picture, r, rgba_);
        qt_page_present(rgba_.data(), r.x, r.y, r.width, r.height);
        shown_.assign(picture.bits(), picture.bits() + bytes);
        shownWidth_ = picture.width();
    }

    void pollInput(InputSink& sink) override {
        int v[3] = {};
        for (int kind; (kind = qt_page_next_input(v)) != 0;) {
            switch (kind) {
                case 1: sink.keyPressed(static_cast<uint32_t>(v[0])); break;
                case 2: sink.keyReleased(static_cast<uint32_t>(v[0])); break;
                case 3: sink.leftButtonPressed(v[0], v[1], v[2] != 0); break;
                case 4: sink.focusChanged(v[0] != 0); break;
                case 5: sink.closeRequested(); break;
                default: break;
            }
        }
    }

    // The page does not move.
    void beginDrag(bool) override {}

    uint32_t tickCount() override { return static_cast<uint32_t>(static_cast<uint64_t>(qt_page_now() - start_)); }

    void sleep(uint32_t ms) override { qt_page_sleep(static_cast<int>(std::min<uint32_t>(ms, INT32_MAX))); }

    void waitIdle(uint32_t deadlineTick) override {
        const int32_t left = static_cast<int32_t>(deadlineTick - tickCount());
        if (left <= 1) {
            sleep(1);
            return;
        }
        qt_page_wait_input(left);
    }

    void messageBox(std::string_view captionCp932, std::string_view textCp932, BoxIcon,
                    const BoxPicture* drawn) override {
        reportToStderr(captionCp932, textCp932);
        if (drawn == nullptr || !drawn->picture.valid()) return;
        std::vector<uint8_t> rgba;
        toRgba(drawn->picture, {0, 0, drawn->picture.width(), drawn->picture.height()}, rgba);
        qt_page_show_box(cp932ToUtf8(captionCp932).c_str(), cp932ToUtf8(textCp932).c_str(), rgba.data(),
                         drawn->picture.width(), drawn->picture.height(), drawn->okX, drawn->okY, drawn->okWidth,
                         drawn->okHeight);
    }

private:
    double start_;
    bool open_ = false;
    int width_ = 640, height_ = 480;
    std::string title_;
    std::vector<uint8_t> rgba_;
    std::vector<uint8_t> shown_;  // what the canvas shows
    int shownWidth_ = 0;
};

}  // namespace

std::unique_ptr<Backend> createBrowserBackend() { return std::make_unique<BrowserBackend>(); }

void browserWaitForPlayAgain() { qt_page_ended(); }

}  // namespace qt::platform
