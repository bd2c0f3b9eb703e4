// The demo game as scripts/demo ships it: its conversion with qPre in
// file-list mode and its headless play against what is committed beside it;
// then its real window on a private X server, played with keys, started again
// with F12, moved and resized under the mouse, and its scenario kept from a
// second engine.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/pixels/image.h"
#include "engine/platform/sdl2/x11_errors.h"
#include "support/program.h"
#include "support/x_session.h"

// After gtest: Xlib's macros (None, Bool, Status) would clash with it.
#include <X11/Xlib.h>

namespace qt::e2e {
namespace {

namespace fs = std::filesystem;
using namespace qt::test;

// The key pressed at each wait, in xdotool's names; after the last of them Z
// is held down, which runs through the remaining waits to the end command.
const std::vector<std::string> kPageKeys = {"space", "Return", "space", "Return", "space"};

// The built qRun and qPre beside the sources, settings, pictures and sounds.
struct DemoGame : ProgramFolder {
    DemoGame() : ProgramFolder({"qRun", "qPre"}) {
        for (const auto& entry : fs::directory_iterator(QT_DEMO_DIR)) {
            const std::string ext = entry.path().extension();
            if (ext == ".txt" || ext == ".ini") fs::copy_file(entry.path(), file(entry.path().filename()));
        }
        runBuilt("make_assets", ".");
    }
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
const std::pair<const char*, const char*> kPages[] = {
    {"wait-0001.png", kDay}, {"wait-0002.png", kDay},     {"wait-0003.png", kDay},     {"wait-0004.png", kDay},
    {"wait-0005.png", kDay}, {"wait-0006.png", kEvening}, {"wait-0007.png", kEvening}, {"end.png", kEvening},
};

TEST(Demo, ConvertsAndPlaysHeadlessAsCommitted) {
    DemoGame game;
    ASSERT_EQ(game.convert(), 0) << game.err;
    EXPECT_EQ(game.out,
              "\n chapter1.txt\t→\tchapter1.dat\r\n"
              "\n chapter2.txt\t→\tchapter2.dat\r\n"
              "...プリプロセス終了\r\n");
    EXPECT_EQ(game.err, "");
    for (const char* name : {"chapter1.dat", "chapter2.dat"}) {
        EXPECT_EQ(game.read(name), readFile(std::string(QT_DEMO_DIR) + "/expected/" + name)) << name;
    }

    // The play-through of kPageKeys, two seconds a page.
    std::string script;
    int ms = 0;
    for (const std::string& key : kPageKeys) script += std::to_string(ms += 2000) + " key " + (key == "Return" ? "enter" : key) + "\n";
    game.write("input.txt", script + std::to_string(ms + 2000) + " down z\n");
    fs::create_directory(game / "pages");
    ASSERT_EQ(game.run("./qRun --headless --input input.txt --capture pages --trace trace.txt --until 60000"), 0) << game.err;
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
    // Polls until the window shows the committed picture of the wait outside
    // the text cells.
    bool showsPage(const XWindow& window, int wait) {
        platform::Surface shot;
        return poll([&] { return x->grab(window, shot) && checksumOutsideText(shot) == kPages[wait - 1].second; });
    }

    DemoGame game;
    std::unique_ptr<XSession> x;
    pid_t pid = 0;
};

TEST_F(DemoWindow, KeysPlayTheCommittedPages) {
    const XWindow window = play();
    ASSERT_NE(window.id, 0u);
    EXPECT_EQ(window.width * 1000 + window.height, 640480);
    std::string title;
    EXPECT_TRUE(x->xdotool("getwindowname " + std::to_string(window.id), &title));
    EXPECT_EQ(title, "qRun デモ「猫と草原」\n");
    for (int wait = 1; wait <= int(kPageKeys.size()); ++wait) {
        ASSERT_TRUE(poll([&] { return waitsReached() == wait; })) << "wait " << wait << "\n" << game.read("trace.txt");
        EXPECT_TRUE(showsPage(window, wait)) << "wait " << wait;
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

// The played scenario is kept from a second engine (qPre's side of the lock
// is in its own tests); the window moves and resizes under the mouse; F12
// starts again from the first page and Esc ends.
TEST_F(DemoWindow, ScenarioKeptWindowDraggedAndResizedF12StartsAgain) {
    const XWindow first = play();
    ASSERT_NE(first.id, 0u);
    ASSERT_TRUE(poll([&] { return waitsReached() == 1; }));

    const pid_t second = x->start({"./qRun"}, game.path(), "out2.txt", "err2.txt");
    EXPECT_TRUE(poll([&] {
        return game.read("err2.txt").find("errexit(): [二重起動]\nシナリオファイルが開けません\n") != std::string::npos;
    })) << game.read("err2.txt");
    // Its report waits in a message box; OK ends it through its loop, a fatal end.
    EXPECT_TRUE(poll([&] {
        std::string title;
        return x->xdotool("getactivewindow getwindowname", &title) && title == "errexit()\n";
    }));
    x->xdotool("key Return");
    EXPECT_EQ(x->exitCode(second), 1) << game.read("err2.txt");

    // The first engine plays on once its window has the focus back.
    EXPECT_TRUE(poll([&] {
        std::string active;
        if (x->xdotool("getactivewindow", &active) && active == std::to_string(first.id) + "\n") return true;
        x->xdotool("windowactivate " + std::to_string(first.id));
        return false;
    }));
    x->xdotool("key space");
    EXPECT_TRUE(poll([&] { return waitsReached() == 2; }));

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
    x->xdotool("key F12");
    std::optional<XWindow> again;
    ASSERT_TRUE(poll([&] {
        for (const XWindow& w : x->windows()) {
            if (w.pid == pid && w.width == 640) again = w;
        }
        return again.has_value();
    }));
    EXPECT_TRUE(showsPage(*again, 1));
    x->xdotool("key Escape");
    EXPECT_EQ(x->exitCode(pid), 0) << game.read("err.txt");
}

// A message to a window that has just gone does not end the engine; every
// other error of the window system still does. In a child of the test, not a
// built program, as Xlib's own error handler ends the process.
TEST_F(DemoWindow, OnlyMessagesToClosedWindowsArePassedOver) {
    for (const bool message : {true, false}) {
        const pid_t child = ::fork();
        if (child == 0) {
            XSetErrorHandler(nullptr);  // Xlib's own, which ends the process
            platform::passOverMessagesToClosedWindows();
            Display* d = XOpenDisplay(x->display().c_str());
            if (d == nullptr) ::_exit(3);
            const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
            XDestroyWindow(d, w);
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = w;
            e.xclient.format = 32;
            if (message) XSendEvent(d, w, False, NoEventMask, &e); else XMapWindow(d, w);
            XSync(d, False);
            ::_exit(0);
        }
        EXPECT_EQ(x->exitCode(child), message ? 0 : 1) << (message ? "message" : "map");
    }
}

}  // namespace
}  // namespace qt::e2e
