// The demo game as scripts/demo ships it: converted and played headless against
// what is committed beside it, then in its real window on a private X server.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/pixels/image.h"
#include "support/program.h"
#include "support/x_session.h"

namespace qt::e2e {
namespace {

namespace fs = std::filesystem;
using namespace qt::test;

// The key pressed at each wait, in xdotool's names; then Z held runs to the end (headless).
const std::vector<std::string> kPageKeys = {"space", "Return", "space", "Return", "space"};

// The built qRun and qPre beside the sources, settings, pictures and sounds.
struct DemoGame : ProgramFolder {
    DemoGame() : ProgramFolder({"qRun", "qPre"}) { copyDemo(QT_DEMO_DIR); }
    int convert() { return run("./qPre"); }
};

// Text cells: basePos 32,300 with a line pitch of 40 for the 20-pixel font
// (glyphs reach a pixel above the cell, the shadow one below it), at most four
// lines a page; the prompt 80 left of and 24 above the lower right corner.
bool inTextCells(int x, int y) {
    return (x >= 30 && y >= 298 && y < 442 && (y - 298) % 40 < 24) || (x >= 556 && y >= 452);
}

// FNV-1a of the colour of every pixel outside the text cells, in hex.
std::string checksumOutsideText(const platform::Surface& picture) {
    uint64_t h = 14695981039346656037ull;
    for (int i = 0; i < picture.width() * picture.height(); ++i) {
        if (inTextCells(i % picture.width(), i / picture.width())) continue;
        const platform::ColorRef c = picture.pixel(i % picture.width(), i / picture.width());
        for (int shift : {0, 8, 16}) h = (h ^ ((c >> shift) & 0xFF)) * 1099511628211ull;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return hex;
}

// Sums checked by eye when committed: the day meadow with the sun, a cloud and
// the cat over the darkened text box; then the evening with the cat at half
// size. Pages differ only in their text.
const char kDay[] = "a9ebda30fb8ae1ad", kEvening[] = "eb5f012f4cad3da9";
// clang-format off
const std::pair<const char*, const char*> kPages[] = {
    {"wait-0001.png", kDay}, {"wait-0002.png", kDay},     {"wait-0003.png", kDay},     {"wait-0004.png", kDay},
    {"wait-0005.png", kDay}, {"wait-0006.png", kEvening}, {"wait-0007.png", kEvening}, {"end.png", kEvening},
};
// clang-format on

TEST(Demo, ConvertsAndPlaysHeadlessAsCommitted) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0) << game.err;
    EXPECT_EQ(game.err, "");
    for (const char* name : {"chapter1.dat", "chapter2.dat"})
        EXPECT_EQ(game.read(name), readFile(std::string(QT_DEMO_DIR) + "/expected/" + name)) << name;

    // The play-through of kPageKeys, two seconds a page.
    std::string script;
    int ms = 0;
    for (const std::string& key : kPageKeys)
        script += std::to_string(ms += 2000) + " key " + (key == "Return" ? "enter" : key) + "\n";
    game.write("input.txt", script + std::to_string(ms + 2000) + " down z\n");
    fs::create_directory(game / "pages");
    ASSERT_EQ(game.run("./qRun --headless --input input.txt --capture pages --trace trace.txt --until 60000"), 0)
        << game.err;
    EXPECT_EQ(game.err, "");  // every box would be written here
    const std::string trace = game.read("trace.txt");
    EXPECT_EQ(trace.substr(trace.rfind("chapter2")), "chapter2.dat:15: /end\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(game / "pages"), {}), std::ssize(kPages));
    for (const auto& [capture, sum] : kPages) {
        platform::Surface picture;
        ASSERT_TRUE(platform::loadImage(game / "pages/" + capture, picture)) << capture;
        EXPECT_EQ(checksumOutsideText(picture), sum) << capture;
    }
}

class DemoWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string tool = XSession::missingTool(); !tool.empty())
            GTEST_SKIP() << tool << " is not installed";
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
    // Polls until the window shows the wait's committed picture outside the text.
    bool showsPage(const XWindow& window, int wait) {
        platform::Surface shot;
        return poll([&] { return x->grab(window, shot) && checksumOutsideText(shot) == kPages[wait - 1].second; });
    }

    DemoGame game;
    std::unique_ptr<XSession> x;
    pid_t pid = 0;
};

// Keys play the committed pages; the window moves and resizes under the
// mouse; F12 starts again; the played scenario is kept from a second engine
// (qPre's side of the lock is in its own tests).
TEST_F(DemoWindow, KeysPlayWindowDraggedAndResizedF12StartsAgainScenarioKept) {
    const XWindow first = play();
    ASSERT_NE(first.id, 0u);
    EXPECT_EQ(first.width * 1000 + first.height, 640480);
    std::string title;
    EXPECT_TRUE(x->xdotool("getwindowname " + std::to_string(first.id), &title));
    EXPECT_EQ(title, "qRun デモ「猫と草原」\n");
    for (int wait = 1; wait <= int(kPageKeys.size()); ++wait) {
        ASSERT_TRUE(poll([&] { return waitsReached() == wait; })) << "wait " << wait << "\n" << game.read("trace.txt");
        EXPECT_TRUE(showsPage(first, wait)) << "wait " << wait;
        x->xdotool("key " + kPageKeys[wait - 1]);
    }
    ASSERT_TRUE(poll([&] { return waitsReached() == int(kPageKeys.size()) + 1; }));

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
    EXPECT_TRUE(drag(first, -150, -90, [&](const XWindow& w) {
        return w.x == first.x - 150 && w.y == first.y - 90 && w.width == 640 && w.height == 480;
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
    // F12 starts again in the same process, in a new window of the first size.
    // F12 starts again in the same process, in a new window of the first size.
    x->xdotool("key F12");
    std::optional<XWindow> again;
    ASSERT_TRUE(poll([&] {
        for (const XWindow& w : x->windows())
            if (w.pid == pid && w.width == 640) again = w;
        return again.has_value();
    }));
    EXPECT_TRUE(showsPage(*again, 1));

    const pid_t second = x->start({"./qRun"}, game.path(), "out2.txt", "err2.txt");
    EXPECT_TRUE(poll([&] {
        return game.read("err2.txt").find("errexit(): [二重起動]\nシナリオファイルが開けません\n") != std::string::npos;
    })) << game.read("err2.txt");
    // Its report waits in a message box; OK ends it through its loop, a fatal end.
    EXPECT_TRUE(poll([&] {
        std::string t;
        return x->xdotool("getactivewindow getwindowname", &t) && t == "errexit()\n";
    }));
    x->xdotool("key Return");
    EXPECT_EQ(x->exitCode(second), 1) << game.read("err2.txt");
}

}  // namespace
}  // namespace qt::e2e
