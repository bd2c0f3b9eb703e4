// qRun's real window on large screens under a private X server with a window
// manager: fullscreen both ways, the picture centred between bars, and
// clicks that pass a wait only when asked while a drag still moves the window.
#include <gtest/gtest.h>

#include <string>

#include "common/cp932.h"
#include "common/scenario_format.h"
#include "support/program.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

using namespace qt::test;

constexpr platform::ColorRef kGrey = platform::rgb(64, 64, 64);
constexpr platform::ColorRef kBlue = platform::rgb(0x40, 0x80, 0xC0);

// A blue page of one line, a wait, a second line, another wait.
class ScreenWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string tool = XSession::missingTool(); !tool.empty())
            GTEST_SKIP() << tool << " is not installed";
    }
    void start(XSession& x, const std::string& keywait = "") {
        game.ini("[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=0\ndarkBackRECT=-1,,0,,0,,0,,0\n[keywait]\n" +
                 keywait + "\n");
        game.write("s.dat", scenario::kHeaderLine +
                                utf8ToCp932("/curid,1,;\r\n/iro,&H00C08040,;\r\n/allblt,;\r\n一行目\r\n/@,;\r\n"
                                            "二行目\r\n/@,;\r\n"));
        const auto w = x.startMapped(pid, {"./qRun", "--trace", "trace.txt"}, game.path());
        ASSERT_TRUE(w) << "exit " << x.exitCode(pid, 0) << "\n" << game.read("err.txt") << game.read("trace.txt");
        window = *w;
        ASSERT_TRUE(poll([&] { return waits() == 1; })) << game.read("trace.txt");
    }
    int waits() {
        const std::string trace = game.read("trace.txt");
        int n = 0;
        for (size_t at = 0; (at = trace.find(": /@", at + 1)) != std::string::npos;) ++n;
        return n;
    }
    // The window as it is now has this place and size.
    bool becomes(XSession& x, int left, int top, int width, int height) {
        return poll([&] {
            const auto w = x.windowOf(pid, 0);
            return w && w->x == left && w->y == top && w->width == width && w->height == height;
        });
    }
    // Holds the button down in the window and keeps the pointer at its goal
    // until the window manager has followed it there.
    bool drag(XSession& x, int dx, int dy) {
        const int fromX = window.x + 200, fromY = window.y + 100;
        // A few pixels first: clicks taken, the move begins only there.
        x.xdotool("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) +
                  " mousedown 1 sleep 0.1 mousemove_relative 6 0 sleep 0.1");
        const std::string to = std::to_string(fromX + dx) + " " + std::to_string(fromY + dy);
        const bool ok = poll([&] {
            x.xdotool("mousemove " + to + " mousemove_relative 0 1 mousemove " + to);
            const auto now = x.windowOf(pid, 0);
            return now && now->x == window.x + dx && now->y == window.y + dy;
        });
        x.xdotool("mouseup 1");
        if (!ok) {
            const auto now = x.windowOf(pid, 0);
            ADD_FAILURE() << "from " << window.x << "," << window.y << " by " << dx << "," << dy << " now at "
                          << (now ? std::to_string(now->x) + "," + std::to_string(now->y) : "nowhere");
        }
        return ok;
    }

    ProgramFolder game{{"qRun"}};
    pid_t pid = 0;
    XWindow window;
};

TEST_F(ScreenWindow, AltEnterAndF11SwitchFullscreenBothWaysOnLargeScreens) {
    // clang-format off
    const struct { const char* screen; int width, height, left, pictureWidth; } screens[] = {
        {"1920x1080", 1920, 1080, 240, 1440}, {"3840x2160", 3840, 2160, 480, 2880}};
    // clang-format on
    for (const auto& s : screens) {
        XSession x(true, s.screen);
        ASSERT_TRUE(x.ready());
        ASSERT_NO_FATAL_FAILURE(start(x));
        ASSERT_EQ(window.width * 10000 + window.height, 6400480) << s.screen;
        const XWindow before = window;
        for (int round = 0; round < 2; ++round) {
            x.xdotool(round == 0 ? "key alt+Return" : "key F11");
            ASSERT_TRUE(becomes(x, 0, 0, s.width, s.height)) << s.screen << " round " << round;
            // Centred with dark grey bars: the bottom row of the screen.
            platform::Surface row;
            EXPECT_TRUE(poll([&] {
                return x.grab(XWindow{0, 0, 0, s.height - 1, s.width, 1}, row) && row.pixel(s.left - 1, 0) == kGrey &&
                       row.pixel(s.left, 0) == kBlue && row.pixel(s.left + s.pictureWidth - 1, 0) == kBlue &&
                       row.pixel(s.left + s.pictureWidth, 0) == kGrey;
            })) << s.screen;
            x.xdotool(round == 0 ? "key F11" : "key alt+Return");
            EXPECT_TRUE(becomes(x, before.x, before.y, 640, 480)) << s.screen << " round " << round;
        }
        EXPECT_EQ(waits(), 1) << "a switch is no key for the wait";
        x.xdotool("key space");
        EXPECT_TRUE(poll([&] { return waits() == 2; }));
        x.xdotool("key Escape");
        EXPECT_EQ(x.exitCode(pid), 0);
    }
}

TEST_F(ScreenWindow, AClickPassesAWaitOnlyWhenAskedAndADragStillMovesTheWindow) {
    for (const bool asked : {true, false}) {
        XSession x;
        ASSERT_TRUE(x.ready());
        ASSERT_NO_FATAL_FAILURE(start(x, asked ? "mouseAdvance=1" : ""));
        EXPECT_TRUE(drag(x, -150, -90)) << asked;
        window = *x.windowOf(pid);
        EXPECT_TRUE(drag(x, 100, 50)) << asked;
        window = *x.windowOf(pid);
        EXPECT_FALSE(poll([&] { return waits() == 2; }, 500)) << "a drag is no click";
        const std::string at = std::to_string(window.x + 300) + " " + std::to_string(window.y + 200);
        x.xdotool("mousemove " + at + " click 1");
        EXPECT_EQ(poll([&] { return waits() == 2; }, 1500), asked);
        if (!asked) continue;  // the manager may still be in the move the click began
        x.xdotool("key Escape");
        EXPECT_EQ(x.exitCode(pid), 0);
    }
}

}  // namespace
}  // namespace qt::e2e
