// The demo game in a real window on a private X server: played with keys,
// it shows the pictures of the headless play; the window moves and resizes
// under the mouse; F12 starts it again and Esc ends it; the scenario it plays
// is kept from a second engine and from qPre.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "common/cp932.h"
#include "demo_game.h"
#include "engine/platform/pixels/image.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

class DemoWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string tool = XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
        x = std::make_unique<XSession>();
        ASSERT_TRUE(x->ready());
        ASSERT_EQ(game.convert(), 0) << game.err;
    }

    // qRun started with a trace, its window up.
    XWindow play() {
        pid = x->start({"./qRun", "--trace", "trace.txt"}, game.path());
        const auto window = x->windowOf(pid);
        if (!window) ADD_FAILURE() << "no window; exit " << x->exitCode(pid, 0) << "\n" << game.read("err.txt");
        return window ? *window : XWindow{};
    }
    int waitsReached() {
        const std::string trace = game.read("trace.txt");
        int n = 0;
        for (size_t at = 0; (at = trace.find('\n', at + 1)) != std::string::npos;) {
            n += trace.compare(at - 4, 4, ": /@") == 0 || trace.compare(at - 4, 4, ": /\\") == 0;
        }
        return n;
    }
    // Polls until the window shows the page outside the text cells; the
    // last difference otherwise.
    std::string shows(const XWindow& window, const platform::Surface& page) {
        std::string difference;
        poll([&] {
            platform::Surface shot;
            difference = x->grab(window, shot) ? firstDifference(shot, page) : "no picture";
            return difference.empty();
        });
        return difference;
    }
    platform::Surface headlessPage(int wait) {
        platform::Surface page;
        char name[32];
        std::snprintf(name, sizeof name, "pages/wait-%04d.png", wait);
        EXPECT_TRUE(platform::loadImage(game.file(name), page)) << name;
        return page;
    }

    DemoGame game;
    std::unique_ptr<XSession> x;
    pid_t pid = 0;
};

TEST_F(DemoWindow, KeysPlayThePagesOfTheHeadlessPlay) {
    ASSERT_EQ(game.playHeadless(), 0) << game.err;
    const XWindow window = play();
    ASSERT_NE(window.id, 0u);
    EXPECT_EQ(window.width * 1000 + window.height, 640480);
    std::string title;
    EXPECT_TRUE(x->xdotool("getwindowname " + std::to_string(window.id), &title));
    EXPECT_EQ(title, "qRun デモ「猫と草原」\n");
    for (int wait = 1; wait <= int(kPageKeys.size()); ++wait) {
        ASSERT_TRUE(poll([&] { return waitsReached() == wait; })) << "wait " << wait << "\n" << game.read("trace.txt");
        EXPECT_EQ(shows(window, headlessPage(wait)), "") << "wait " << wait;
        x->xdotool("key " + kPageKeys[wait - 1]);
    }
    // Z held runs through the remaining waits to the end command.
    ASSERT_TRUE(poll([&] { return waitsReached() == int(kPageKeys.size()) + 1; }));
    x->xdotool("keydown z");
    EXPECT_EQ(x->exitCode(pid), 0) << game.read("err.txt");
    x->xdotool("keyup z");
    EXPECT_EQ(waitsReached(), 7);
    const std::string trace = game.read("trace.txt");
    EXPECT_EQ(trace.substr(trace.rfind("chapter2")), "chapter2.dat:15: /end\n");
}

TEST_F(DemoWindow, F12StartsAgainFromTheFirstPageAndEscEnds) {
    ASSERT_EQ(game.playHeadless(), 0) << game.err;
    ASSERT_NE(play().id, 0u);
    ASSERT_TRUE(poll([&] { return waitsReached() == 1; }));
    x->xdotool("key space");
    ASSERT_TRUE(poll([&] { return waitsReached() == 2; }));
    x->xdotool("key F12");
    EXPECT_EQ(x->exitCode(pid), 0) << game.read("err.txt");
    std::optional<XWindow> again;
    ASSERT_TRUE(poll([&] {
        for (const XWindow& w : x->windows()) {
            if (w.pid != pid && w.width == 640) again = w;
        }
        return again.has_value();
    }));
    EXPECT_EQ(shows(*again, headlessPage(1)), "");
    x->xdotool("key Escape");
    EXPECT_EQ(x->exitCode(again->pid), 0) << game.read("err.txt");
}

TEST_F(DemoWindow, DragMovesTheWindowAndShiftDragResizesIt) {
    const XWindow before = play();
    ASSERT_NE(before.id, 0u);
    // Holds the button down in the window and keeps the pointer at its goal
    // until the window manager has followed it there.
    auto drag = [&](const XWindow& from, int dx, int dy, auto arrived) {
        const int fromX = from.x + 200, fromY = from.y + 100;
        x->xdotool("mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + " mousedown 1");
        const std::string to = std::to_string(fromX + dx) + " " + std::to_string(fromY + dy);
        const bool ok = poll([&] {
            x->xdotool("mousemove " + to + " mousemove_relative 0 1 mousemove " + to);
            const auto now = x->windowOf(pid, 0);
            return now && arrived(*now);
        });
        x->xdotool("mouseup 1");
        return ok;
    };
    EXPECT_TRUE(drag(before, -150, -90, [&](const XWindow& w) {
        return w.x == before.x - 150 && w.y == before.y - 90 && w.width == 640 && w.height == 480;
    }));
    const XWindow moved = *x->windowOf(pid);
    x->xdotool("keydown shift");
    EXPECT_TRUE(drag(moved, 60, 40, [&](const XWindow& w) {
        return w.x == moved.x && w.y == moved.y && w.width == 700 && w.height == 520;
    }));
    x->xdotool("keyup shift");

    // The picture stays unscaled at the top left, dark grey beyond it.
    const XWindow resized = *x->windowOf(pid);
    platform::Surface shot;
    EXPECT_TRUE(poll([&] {
        return x->grab(resized, shot) && shot.pixel(699, 519) == platform::rgb(64, 64, 64) &&
               shot.pixel(640, 0) == platform::rgb(64, 64, 64) && shot.pixel(0, 480) == platform::rgb(64, 64, 64);
    }));
    x->xdotool("key Escape");
    EXPECT_EQ(x->exitCode(pid), 0) << game.read("err.txt");
}

TEST_F(DemoWindow, ThePlayedScenarioIsKeptFromASecondEngineAndFromQPre) {
    const XWindow first = play();
    ASSERT_NE(first.id, 0u);
    ASSERT_TRUE(poll([&] { return waitsReached() == 1; }));

    const pid_t second = x->start({"./qRun"}, game.path(), "out2.txt", "err2.txt");
    EXPECT_TRUE(poll([&] {
        return game.read("err2.txt").find("errexit(): [二重起動]\nシナリオファイルが開けません\n") != std::string::npos;
    })) << game.read("err2.txt");
    // Its report waits in a message box; OK ends it through its loop.
    EXPECT_TRUE(poll([&] {
        std::string title;
        return x->xdotool("getactivewindow getwindowname", &title) && title == "errexit()\n";
    }));
    x->xdotool("key Return");
    EXPECT_EQ(x->exitCode(second), 0) << game.read("err2.txt");

    const std::string played = game.read("chapter1.dat");
    game.write("chapter1.txt", game.read("chapter1.txt") + utf8ToCp932("　書き足した行。\r\n"));
    EXPECT_EQ(game.convert(), 0);
    EXPECT_EQ(game.out,
              "\n chapter1.txt\t→\tchapter1.dat\r\n...プリプロセス失敗\r\n"
              "\n chapter2.txt\t→\tchapter2.dat\r\n...プリプロセス終了\r\n");
    EXPECT_EQ(game.read("chapter1.dat"), played);

    // The first engine plays on once its window has the focus back.
    EXPECT_TRUE(poll([&] {
        std::string active;
        if (x->xdotool("getactivewindow", &active) && active == std::to_string(first.id) + "\n") return true;
        x->xdotool("windowactivate " + std::to_string(first.id));
        return false;
    }));
    x->xdotool("key space");
    EXPECT_TRUE(poll([&] { return waitsReached() == 2; }));
}

}  // namespace
}  // namespace qt::e2e
