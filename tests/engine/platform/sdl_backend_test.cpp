#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

#include "common/cp932.h"
#include "engine/platform/backends.h"
#include "engine/platform/sdl_keys.h"
#include "x11_grab.h"
#include "xvfb.h"

namespace qt::platform {
namespace {

using Clock = std::chrono::steady_clock;

TEST(SdlKeys, VirtualKeyNumbers) {
    // SDL key codes: printable keys are their characters, the others 0x40000000 + scancode.
    const struct {
        int32_t sdl;
        uint32_t vk;
    } cases[] = {
        {' ', 0x20},          {'\r', 0x0D},         {0x40000058, 0x0D} /* keypad Enter */,
        {0x1B, 0x1B},         {0x40000045, 0x7B} /* F12 */, {0x4000003A, 0x70} /* F1 */,
        {'a', 'A'},           {'z', 'Z'},           {'0', '0'},            {'9', '9'},
        {0x40000085, 0x6C} /* keypad comma */, {0x4000009F, 0x6C} /* separator */,
        {0x40000063, 0x6E} /* keypad period */, {0x40000050, 0x25}, {0x4000004F, 0x27},
        {0x40000052, 0x26},   {0x40000051, 0x28},   {0x400000E1, 0x10} /* left shift */,
        {0x40000062, 0x60} /* keypad 0 */, {0x40000061, 0x69} /* keypad 9 */,
        {'`', 0},             {0x4000007F, 0} /* mute */,
    };
    for (const auto& c : cases) EXPECT_EQ(virtualKey(c.sdl), c.vk) << std::hex << c.sdl;
}

TEST(SdlBackend, NoDisplayIsReported) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    std::string error;
    testing::internal::CaptureStderr();
    auto backend = createSdlBackend(error);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(backend);
    EXPECT_EQ(error, "cannot open a window (no display?); run with --headless to play without one");
    // A display that cannot be reached.
    setenv("DISPLAY", ":9999", 1);
    backend = createSdlBackend(error);
    EXPECT_FALSE(backend);
    EXPECT_EQ(error.rfind("cannot open a window (no display?); run with --headless to play without one", 0), 0u)
        << error;
}

class SdlUnderXvfb : public testing::Test {
protected:
    void SetUp() override {
        if (!test::commandExists("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
        xvfb_ = std::make_unique<test::Xvfb>();
        ASSERT_FALSE(xvfb_->display().empty());
        setenv("DISPLAY", xvfb_->display().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
    }
    void TearDown() override {
        backend_.reset();
        xvfb_.reset();
    }

    std::string xdotool(const std::string& args) { return test::run(xvfb_->display(), "xdotool " + args); }

    // Takes events for up to `seconds` of real time, until `done` says so.
    std::vector<Event> collect(double seconds, const std::function<bool(const std::vector<Event>&)>& done) {
        std::vector<Event> events;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end && !done(events)) {
            while (backend_->peekEvent()) events.push_back(backend_->nextEvent());
            backend_->waitIdle(backend_->tickCount() + 20);
        }
        return events;
    }

    bool openWindow(const SdlOptions& options = {}) {
        std::string error;
        backend_ = createSdlBackend(options, error);
        if (!backend_) return false;
        WindowSpec spec;
        spec.titleCp932 = utf8ToCp932("テスト窓");
        spec.left = 100;
        spec.top = 50;
        spec.clientWidth = 200;
        spec.clientHeight = 150;
        spec.pictureWidth = 160;
        spec.pictureHeight = 120;
        if (!backend_->createWindow(spec)) return false;
        backend_->showWindow();
        const auto events = collect(5, [&](const std::vector<Event>& e) {
            return !e.empty() && e.back().type == EventType::paint && backend_->hasFocus();
        });
        return !events.empty() && events.back().type == EventType::paint;
    }

    std::unique_ptr<test::Xvfb> xvfb_;
    std::unique_ptr<Backend> backend_;
};

TEST_F(SdlUnderXvfb, WindowGeometryTitleAndPicture) {
    ASSERT_TRUE(openWindow());
    EXPECT_EQ(backend_->metrics().screenWidth, 1280);
    EXPECT_EQ(backend_->metrics().screenHeight, 1024);
    EXPECT_TRUE(backend_->hasFocus());

    Surface& picture = backend_->clientPicture();
    ASSERT_EQ(picture.width(), 160);
    ASSERT_EQ(picture.height(), 120);
    fillRect(picture, 0, 0, 160, 120, rgb(255, 0, 0));
    picture.setPixel(0, 0, rgb(0, 0, 255));
    picture.setPixel(159, 119, rgb(0, 255, 0));
    backend_->present();

    std::string id = xdotool("search --classname platform_tests");
    ASSERT_FALSE(id.empty());
    id.pop_back();
    EXPECT_EQ(test::run(xvfb_->display(), "xprop -id " + id + " _NET_WM_NAME"),
              "_NET_WM_NAME(UTF8_STRING) = \"テスト窓\"\n");
    const std::string geometry = xdotool("getwindowgeometry " + id);
    // The frame's corner is where the engine asked; the client area lies
    // inside the frame and caption.
    EXPECT_NE(geometry.find("Position: 104,77"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 200x150"), std::string::npos) << geometry;

    Surface shown;
    ASSERT_TRUE(test::grabScreen(xvfb_->display(), 104, 77, 200, 150, shown));
    EXPECT_EQ(shown.pixel(0, 0), rgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(1, 0), rgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(159, 119), rgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(160, 0), rgb(64, 64, 64));
    EXPECT_EQ(shown.pixel(0, 120), rgb(64, 64, 64));
    EXPECT_EQ(shown.pixel(199, 149), rgb(64, 64, 64));
}

TEST_F(SdlUnderXvfb, KeysFocusCloseAndIdle) {
    ASSERT_TRUE(openWindow());
    xdotool("key space Return KP_Enter z Escape F12 a 7 Left");
    auto keys = collect(5, [](const std::vector<Event>& e) {
        return std::count_if(e.begin(), e.end(), [](const Event& x) { return x.type == EventType::keyUp; }) >= 9;
    });
    std::vector<uint32_t> downs;
    for (const Event& e : keys) {
        if (e.type == EventType::keyDown) {
            downs.push_back(e.key);
            EXPECT_EQ(e.keyData & kKeyRepeatBit, 0u);
        } else if (e.type == EventType::keyUp) {
            EXPECT_NE(e.keyData & kKeyRepeatBit, 0u);
        }
    }
    EXPECT_EQ(downs, (std::vector<uint32_t>{0x20, 0x0D, 0x0D, 'Z', 0x1B, 0x7B, 'A', '7', 0x25}));

    // A held key repeats with bit 30 set.
    xdotool("keydown z sleep 1.2 keyup z");
    const auto held = collect(5, [](const std::vector<Event>& e) {
        return !e.empty() && e.back().type == EventType::keyUp;
    });
    ASSERT_GE(held.size(), 3u);
    EXPECT_EQ(held.front().keyData & kKeyRepeatBit, 0u);
    EXPECT_NE(held[held.size() - 2].keyData & kKeyRepeatBit, 0u);

    // An idle wait sleeps until its deadline instead of spinning.
    const auto start = Clock::now();
    backend_->waitIdle(backend_->tickCount() + 300);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));

    // Leaving the focus stops the engine's idle work.
    xdotool("search --classname platform_tests windowunmap --sync");
    collect(1, [&](const std::vector<Event>&) { return !backend_->hasFocus(); });
    EXPECT_FALSE(backend_->hasFocus());

    // A termination signal closes the window through the engine.
    std::raise(SIGINT);
    const auto closing = collect(3, [](const std::vector<Event>& e) {
        return !e.empty() && e.back().type == EventType::close;
    });
    ASSERT_FALSE(closing.empty());
    EXPECT_EQ(closing.back().type, EventType::close);

    backend_->destroyWindow();
    ASSERT_TRUE(backend_->peekEvent());
    EXPECT_EQ(backend_->nextEvent().type, EventType::destroy);
    backend_->postQuit(0);
    ASSERT_TRUE(backend_->peekEvent());
    EXPECT_EQ(backend_->nextEvent().type, EventType::quit);
    EXPECT_TRUE(xdotool("search --classname platform_tests").empty());
}

TEST_F(SdlUnderXvfb, MessageBoxes) {
    ASSERT_TRUE(openWindow());
    // Someone presses Enter on the box if one shows (SDL needs the X core
    // fonts for it); the report is on standard error either way.
    std::atomic<bool> answered{false};
    auto answer = std::async(std::launch::async, [&] {
        for (int i = 0; i < 30 && !answered; ++i) {
            std::string box = xdotool("search --name 'errexit'");
            if (!box.empty()) {
                box.pop_back();
                xdotool("windowfocus --sync " + box + " key Return");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    testing::internal::CaptureStderr();
    backend_->messageBox("errexit()", utf8ToCp932("メモリ確保失敗\n2行目"), BoxIcon::stop);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "errexit(): メモリ確保失敗\n2行目\n");
    answered = true;
}

TEST_F(SdlUnderXvfb, MessageBoxesCanStayOnStandardError) {
    SdlOptions options;
    options.messageBoxes = false;
    ASSERT_TRUE(openWindow(options));
    testing::internal::CaptureStderr();
    backend_->messageBox(utf8ToCp932("エラー　a.dat　LINE:3"), "x", BoxIcon::exclamation);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "エラー　a.dat　LINE:3: x\n");
}

}  // namespace
}  // namespace qt::platform
