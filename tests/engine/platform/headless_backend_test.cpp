#include "engine/platform/headless/headless_backend.h"

#include "engine/core/event_queue.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qt::platform {
namespace {

std::string parsed(const std::string& script) {
    std::vector<ScriptedInput> in;
    int line = 0;
    std::string error;
    if (!parseInputScript(script, in, line, error)) return "line " + std::to_string(line) + ": " + error;
    std::ostringstream out;
    for (const auto& i : in) {
        out << i.atMs << ':' << int(i.kind) << ':' << std::hex << i.key << std::dec << ':' << i.x << ',' << i.y;
        if (i.alt) out << "+alt";
        if (i.steps != 0) out << '~' << i.steps;
        if (i.kind == ScriptedInput::Kind::drag) out << '>' << i.x2 << ',' << i.y2;
        out << ' ';
    }
    return out.str();
}

TEST(InputScript, Lines) {
    // clang-format off
    const struct { const char* script; const char* result; } cases[] = {
        {"# comment\n\n10 key space\r\n  20   down Z\n30 up z\n", "10:0:20:0,0 20:1:5a:0,0 30:2:5a:0,0 "},
        {"1 key enter\n2 key esc\n3 key F12\n4 key separator\n", "1:0:d:0,0 2:0:1b:0,0 3:0:7b:0,0 4:0:6c:0,0 "},
        {"1 key left\n2 key right\n3 key up\n4 key down\n5 key a\n6 key 7\n", "1:0:25:0,0 2:0:27:0,0 3:0:26:0,0 4:0:28:0,0 5:0:41:0,0 6:0:37:0,0 "},
        {"50 focus out\n60 focus in\n70 click 5 -6\n80 shift-click 100 200\n", "50:3:0:0,0 60:4:0:0,0 70:5:0:5,-6 80:6:0:100,200 "},
        {"4294967295 key x", "4294967295:0:58:0,0 "},
        {"5 key z\nkey space", "line 2: the line does not begin with a time in milliseconds: key space"},
        {"4294967296 key space", "line 1: the line does not begin with a time in milliseconds: 4294967296 key space"},
        {"#\n10", "line 2: unknown event (expected key, down, up, focus, click, shift-click, right-click, drag, wheel or pad): 10"},
        {"10 press space", "line 1: unknown event (expected key, down, up, focus, click, shift-click, right-click, drag, wheel or pad): 10 press space"},
        {"1 key alt+enter\n2 key F11\n3 pad a\n4 down pad-b\n5 up pad-b\n6 pad back\n7 key Alt+pad-a",
         "1:0:d:0,0+alt 2:0:7a:0,0 3:0:c3:0,0 4:1:c4:0,0 5:2:c4:0,0 6:0:d0:0,0 7:0:c3:0,0+alt "},
        {"1 wheel down\n2 wheel UP\n3 right-click 4 5\n6 drag 1 2 -30 40", "1:9:0:0,0~1 2:9:0:0,0~-1 3:7:0:4,5 6:8:0:1,2>-30,40 "},
        {"1 down alt+enter", "line 1: unknown key name: 1 down alt+enter"}, {"1 pad x", "line 1: unknown key name: 1 pad x"},
        {"1 wheel", "line 1: wheel must be followed by up or down: 1 wheel"},
        {"1 drag 1 2 3", "line 1: a drag needs four whole numbers X1 Y1 X2 Y2: 1 drag 1 2 3"},
        {"10 key tab", "line 1: unknown key name: 10 key tab"},
        {"10 focus", "line 1: focus must be followed by in or out: 10 focus"},
        {"10 click 5 y", "line 1: a click needs two whole numbers X Y: 10 click 5 y"},
        {"10 key space space", "line 1: unexpected text after the event: 10 key space space"},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(parsed(c.script), c.result) << c.script;
}

using engine::EventQueue;
using engine::EventType;

// A backend with its window made and a queue taking its input.
struct Played {
    explicit Played(const std::string& script, uint32_t untilMs = 600000) : backend(options(script, untilMs)) {
        EXPECT_TRUE(backend.createWindow(WindowSpec{}));
        events.setSource(&backend);
        events.windowCreated();
    }
    static HeadlessOptions options(const std::string& script, uint32_t untilMs) {
        HeadlessOptions o;
        int line = 0;
        std::string error;
        EXPECT_TRUE(parseInputScript(script, o.input, line, error)) << error;
        o.untilMs = untilMs;
        return o;
    }
    HeadlessBackend backend;
    EventQueue events;
};

// Runs the clock to `untilMs` through idle waits; every message as "T:message ".
std::string drain(Played& p, uint32_t untilMs) {
    static const char* names[] = {"paint", "click", "down",    "up",    "close", "destroy",
                                  "quit",  "move",  "release", "right", "wheel"};
    std::ostringstream out;
    for (;;) {
        while (p.events.peek()) {
            const engine::Event e = p.events.next();
            out << p.backend.tickCount() << ':' << (e.type == EventType::leftButtonDown && e.shift ? "shift-" : "")
                << names[int(e.type)];
            if (e.type == EventType::keyDown || e.type == EventType::keyUp) out << std::hex << e.key << std::dec;
            if (e.keyData & engine::kKeyRepeatBit && e.type == EventType::keyDown) out << 'r';
            if (e.type >= EventType::pointerMove || e.type == EventType::leftButtonDown)
                out << '(' << e.x << ',' << e.y << ')';
            if (e.type == EventType::wheel) out << e.steps;
            if (e.type == EventType::keyDown && e.alt) out << "+alt";
            out << ' ';
        }
        if (p.backend.tickCount() >= untilMs) return out.str();
        p.events.waitIdle(untilMs);
    }
}

TEST(HeadlessBackend, ScriptedInput) {
    // clang-format off
    const struct { const char* script; uint32_t until; const char* events; } cases[] = {
        {"3 key space", 6, "3:down20 4:up20 "},
        {"0 down z\n600 up z", 700, "0:down5a 500:down5ar 533:down5ar 566:down5ar 599:down5ar 600:up5a "},
        {"0 down z\n510 key a", 520, "0:down5a 500:down5ar 510:down41 511:up41 "},  // another key ends the repeat
        {"0 down space\n1 down space", 2, "0:down20 1:down20r "},
        {"1 focus out\n2 key space\n3 focus in\n4 key enter", 6, "4:downd 5:upd "},  // keys go to the focus
        {"1 focus out\n2 down z\n3 focus in\n4 key z", 6, "4:down5ar 5:up5a "},  // held while away
        {"1 focus out\n2 click 3 4\n3 key space", 5, "2:click(3,4) 2:release(3,4) 3:down20 4:up20 "},  // a click takes it
        {"2 shift-click -1 7", 3, "2:shift-click(-1,7) 2:release(-1,7) "}, {"", 10, "10:close "},
        {"1 key alt+enter\n3 pad a\n4 pad back", 6, "1:down12+alt 1:downd+alt 2:upd 2:up12 3:downc3 4:upc3 4:downd0 5:upd0 "},
        {"1 drag 1 2 30 40\n2 right-click 5 6\n3 wheel down\n4 wheel up", 5,
         "1:click(1,2) 1:move(30,40) 1:release(30,40) 2:right(5,6) 3:wheel(0,0)1 4:wheel(0,0)-1 "},
    };
    // clang-format on
    for (const auto& c : cases) {
        Played p(c.script, c.until == 10 ? 10 : 600000);
        EXPECT_EQ(drain(p, c.until), c.events) << c.script;
    }
    Played p("5 key space\n8 key z");
    p.backend.sleep(300);  // what came during a sleep waits for the next message turn, in order
    EXPECT_EQ(drain(p, 300), "300:down20 300:up20 300:down5a 300:up5a ");
}

TEST(HeadlessBackend, IdleWaitGoesToTheNextThingThatCanHappen) {
    // clang-format off
    const struct { const char* script; uint32_t until, slept, deadline, expected; } cases[] = {
        {"", 600000, 0, 100, 100},     {"", 600000, 10, 5, 11},          {"", 600000, 10, 10, 11},
        {"50 key z", 600000, 0, 1000, 50}, {"50 focus out", 600000, 0, 1000, 50}, {"", 30, 0, 1000, 30},
        {"", 600000, 0, 3600000, 600000}, {"5 key z", 600000, 6, 1000, 7},  // a message waits: 1 ms
    };
    // clang-format on
    for (const auto& c : cases) {
        Played p(c.script, c.until);
        p.backend.sleep(c.slept);
        p.events.waitIdle(c.deadline);
        EXPECT_EQ(p.backend.tickCount(), c.expected) << c.script << " " << c.deadline;
    }
    // The focus as last reported, asked afresh each time; none without the window.
    Played p("1 focus out");
    EXPECT_TRUE(p.events.hasFocus());
    p.backend.sleep(1);
    EXPECT_FALSE(p.events.hasFocus());
    p.events.focusChanged(true);
    p.events.windowDestroyed();
    EXPECT_FALSE(p.events.hasFocus());
}

}  // namespace
}  // namespace qt::platform
