#include "engine/platform/headless_backend.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/cp932.h"

namespace qt::platform {
namespace {

TEST(InputScript, Parses) {
    const std::string script =
        "# comment\n"
        "\n"
        "10 key space\r\n"
        "  20   down Z\n"
        "30 up z\n"
        "40 key enter\n"
        "41 key esc\n"
        "42 key F12\n"
        "43 key separator\n"
        "44 key left\n"
        "45 key right\n"
        "46 key up\n"
        "47 key down\n"
        "48 key a\n"
        "49 key 7\n"
        "50 focus out\n"
        "60 focus in\n"
        "70 click 5 -6\n"
        "80 shift-click 100 200\n"
        "4294967295 key x\n";
    std::vector<ScriptedInput> in;
    int line = -1;
    std::string error;
    ASSERT_TRUE(parseInputScript(script, in, line, error)) << error;
    using K = ScriptedInput::Kind;
    const struct {
        uint32_t at;
        K kind;
        uint32_t key;
        int x, y;
    } expected[] = {
        {10, K::key, vk::space, 0, 0},     {20, K::down, 'Z', 0, 0},         {30, K::up, 'Z', 0, 0},
        {40, K::key, vk::enter, 0, 0},     {41, K::key, vk::escape, 0, 0},   {42, K::key, vk::f12, 0, 0},
        {43, K::key, vk::separator, 0, 0}, {44, K::key, vk::left, 0, 0},     {45, K::key, vk::right, 0, 0},
        {46, K::key, vk::up, 0, 0},        {47, K::key, vk::down, 0, 0},     {48, K::key, 'A', 0, 0},
        {49, K::key, '7', 0, 0},           {50, K::focusOut, 0, 0, 0},       {60, K::focusIn, 0, 0, 0},
        {70, K::click, 0, 5, -6},          {80, K::shiftClick, 0, 100, 200}, {4294967295u, K::key, 'X', 0, 0},
    };
    ASSERT_EQ(in.size(), std::size(expected));
    for (size_t i = 0; i < in.size(); ++i) {
        EXPECT_EQ(in[i].atMs, expected[i].at) << i;
        EXPECT_EQ(in[i].kind, expected[i].kind) << i;
        EXPECT_EQ(in[i].key, expected[i].key) << i;
        EXPECT_EQ(in[i].x, expected[i].x) << i;
        EXPECT_EQ(in[i].y, expected[i].y) << i;
    }
}

TEST(InputScript, RejectsMalformedLines) {
    const struct {
        const char* line;
        const char* error;
    } cases[] = {
        {"key space", "the line does not begin with a time in milliseconds: key space"},
        {"-5 key space", "the line does not begin with a time in milliseconds: -5 key space"},
        {"4294967296 key space", "the line does not begin with a time in milliseconds: 4294967296 key space"},
        {"10ms key space", "the line does not begin with a time in milliseconds: 10ms key space"},
        {"10", "unknown event (expected key, down, up, focus, click or shift-click): 10"},
        {"10 press space", "unknown event (expected key, down, up, focus, click or shift-click): 10 press space"},
        {"10 key", "unknown key name: 10 key"},
        {"10 key tab", "unknown key name: 10 key tab"},
        {"10 key ab", "unknown key name: 10 key ab"},
        {"10 focus", "focus must be followed by in or out: 10 focus"},
        {"10 click 5", "a click needs two whole numbers X Y: 10 click 5"},
        {"10 click 5 y", "a click needs two whole numbers X Y: 10 click 5 y"},
        {"10 key space space", "unexpected text after the event: 10 key space space"},
    };
    for (const auto& c : cases) {
        std::vector<ScriptedInput> in;
        int line = 0;
        std::string error;
        EXPECT_FALSE(parseInputScript("# first\n5 key z\n" + std::string(c.line) + "\n", in, line, error))
            << c.line;
        EXPECT_EQ(line, 3) << c.line;
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(in.empty());
    }
}

std::unique_ptr<HeadlessBackend> makeBackend(const std::string& script, uint32_t untilMs = 600000,
                                             uint32_t startMs = 0) {
    HeadlessOptions options;
    int line = 0;
    std::string error;
    EXPECT_TRUE(parseInputScript(script, options.input, line, error)) << error;
    options.untilMs = untilMs;
    options.startMs = startMs;
    auto backend = std::make_unique<HeadlessBackend>(options);
    WindowSpec spec;
    spec.pictureWidth = spec.clientWidth = 8;
    spec.pictureHeight = spec.clientHeight = 6;
    EXPECT_TRUE(backend->createWindow(spec));
    return backend;
}

// Runs the clock to `untilMs` in 1 ms turns and writes every event with its
// time, as "T:event", separated by blanks.
std::string drain(Backend& b, uint32_t untilMs) {
    std::ostringstream out;
    for (;;) {
        while (b.peekEvent()) {
            const Event e = b.nextEvent();
            out << b.tickCount() << ':';
            switch (e.type) {
                case EventType::paint: out << "paint"; break;
                case EventType::leftButtonDown: out << (e.shift ? "shift-click" : "click") << '(' << e.x << ',' << e.y << ')'; break;
                case EventType::keyDown: out << "down" << std::hex << e.key << std::dec << ((e.keyData & kKeyRepeatBit) ? "r" : ""); break;
                case EventType::keyUp: out << "up" << std::hex << e.key << std::dec; break;
                case EventType::close: out << "close"; break;
                case EventType::destroy: out << "destroy"; break;
                case EventType::quit: out << "quit" << e.code; break;
            }
            out << ' ';
        }
        if (b.tickCount() >= untilMs) break;
        b.waitIdle(untilMs);
    }
    return out.str();
}

TEST(HeadlessBackend, VirtualClock) {
    auto b = makeBackend("");
    EXPECT_EQ(b->tickCount(), 0u);
    b->sleep(300);
    EXPECT_EQ(b->tickCount(), 300u);
    auto later = makeBackend("", 600000, 5000);
    EXPECT_EQ(later->tickCount(), 5000u);
}

TEST(HeadlessBackend, IdleWaitGoesToTheNextThingThatCanHappen) {
    const struct {
        const char* script;
        uint32_t until, sleepFirst, deadline, expected;
    } cases[] = {
        {"", 600000, 0, 100, 100},            // the deadline
        {"", 600000, 10, 5, 11},              // a deadline passed: 1 ms
        {"", 600000, 10, 10, 11},
        {"50 key z", 600000, 0, 1000, 50},    // the next scripted item
        {"50 focus out", 600000, 0, 1000, 50},
        {"", 30, 0, 1000, 30},                // the end of the run
        {"", 600000, 0, 3600000, 600000},
        {"5 key z", 600000, 5, 1000, 6},      // an event waits: 1 ms
    };
    for (const auto& c : cases) {
        auto b = makeBackend(c.script, c.until);
        b->sleep(c.sleepFirst);
        b->waitIdle(c.deadline);
        EXPECT_EQ(b->tickCount(), c.expected) << c.script << " " << c.deadline;
    }
    // After a press, its release is the next thing.
    auto b = makeBackend("10 key z");
    b->sleep(10);
    while (b->peekEvent()) b->nextEvent();
    b->waitIdle(1000);
    EXPECT_EQ(b->tickCount(), 11u);
}

TEST(HeadlessBackend, PictureOutlivesTheWindow) {
    auto b = makeBackend("");
    b->clientPicture().setPixel(1, 1, rgb(1, 2, 3));
    b->destroyWindow();
    EXPECT_EQ(b->clientPicture().pixel(1, 1), rgb(1, 2, 3));
}

TEST(HeadlessBackend, ScriptedEvents) {
    const struct {
        const char* script;
        uint32_t until;
        const char* events;
    } cases[] = {
        {"3 key space", 6, "3:down20 4:up20 "},
        {"0 down z\n600 up z", 700, "0:down5a 500:down5ar 533:down5ar 566:down5ar 599:down5ar 600:up5a "},
        {"0 down z\n510 key a", 520, "0:down5a 500:down5ar 510:down41 511:up41 "},
        {"1 focus out\n2 key space\n3 focus in\n4 key enter", 6, "4:downd 5:upd "},
        {"1 focus out\n2 click 3 4\n3 key space", 5, "2:click(3,4) 3:down20 4:up20 "},
        {"2 shift-click -1 7", 3, "2:shift-click(-1,7) "},
        {"0 down space\n1 down space", 2, "0:down20 1:down20r "},
    };
    for (const auto& c : cases) {
        auto b = makeBackend(c.script);
        EXPECT_EQ(drain(*b, c.until), c.events) << c.script;
    }
}

TEST(HeadlessBackend, EventsDuringASleepComeAfterIt) {
    auto b = makeBackend("5 key space\n8 key z");
    b->sleep(300);
    EXPECT_EQ(drain(*b, 300), "300:down20 300:up20 300:down5a 300:up5a ");
}

TEST(HeadlessBackend, UntilClosesOnce) {
    auto b = makeBackend("", 10);
    EXPECT_EQ(drain(*b, 20), "10:close ");
}

TEST(HeadlessBackend, FocusFollowsScript) {
    auto b = makeBackend("2 focus out\n4 focus in");
    EXPECT_TRUE(b->hasFocus());
    b->sleep(2);
    EXPECT_FALSE(b->hasFocus());
    b->sleep(2);
    EXPECT_TRUE(b->hasFocus());
    b->destroyWindow();
    EXPECT_FALSE(b->hasFocus());
}

TEST(HeadlessBackend, PaintsAfterQueuedInputOncePerInvalidation) {
    auto b = makeBackend("0 key space");
    b->showWindow();
    b->invalidate();
    b->invalidate();
    EXPECT_EQ(drain(*b, 1), "0:down20 0:paint 1:up20 ");
    b->invalidate();
    b->validate();
    EXPECT_FALSE(b->peekEvent());
}

TEST(HeadlessBackend, DestroyThenQuit) {
    auto b = makeBackend("5 key space");
    b->invalidate();
    b->sleep(5);
    b->destroyWindow();
    EXPECT_FALSE(b->windowExists());
    b->invalidate();
    EXPECT_EQ(drain(*b, 10), "5:destroy ");
    b->postQuit(3);
    EXPECT_EQ(drain(*b, 10), "10:quit3 ");
}

TEST(HeadlessBackend, WindowSizes) {
    HeadlessBackend b{HeadlessOptions{}};
    WindowSpec spec;
    spec.pictureWidth = 0;
    spec.pictureHeight = 480;
    EXPECT_FALSE(b.createWindow(spec));
    EXPECT_FALSE(b.windowExists());
    spec.pictureWidth = 640;
    ASSERT_TRUE(b.createWindow(spec));
    EXPECT_EQ(b.clientPicture().width(), 640);
    EXPECT_EQ(b.clientPicture().height(), 480);
    EXPECT_EQ(b.metrics().screenWidth, 1920);
}

TEST(HeadlessBackend, MessageBoxesGoToStandardError) {
    auto b = makeBackend("");
    testing::internal::CaptureStderr();
    b->messageBox(utf8ToCp932("errexit()"), utf8ToCp932("「最初に読み込むシナリオファイル」が存在しません\n"),
                  BoxIcon::stop);
    b->messageBox(utf8ToCp932("エラー　　LINE:0"), utf8ToCp932("a\nb"), BoxIcon::exclamation);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "errexit(): 「最初に読み込むシナリオファイル」が存在しません\n\n"
              "エラー　　LINE:0: a\nb\n");
    ASSERT_EQ(b->boxes().size(), 2u);
    EXPECT_EQ(b->boxes()[0].icon, BoxIcon::stop);
    EXPECT_EQ(b->boxes()[1].textCp932, "a\nb");
    EXPECT_EQ(b->tickCount(), 0u);
}

TEST(HeadlessBackend, DragsAreRecorded) {
    auto b = makeBackend("");
    b->beginDrag(false);
    b->beginDrag(true);
    EXPECT_EQ(b->drags(), (std::vector<bool>{false, true}));
}

}  // namespace
}  // namespace qt::platform
