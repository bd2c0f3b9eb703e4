// The message queue's order, whatever backend fills it.
#include "engine/core/event_queue.h"

#include <gtest/gtest.h>

#include <sstream>

namespace qt::engine {
namespace {

// Plays "word word ..." against a queue and takes every message as
// "name[key/data] ". Words: create show destroy inv val quit:N focus+ focus-
// press:HEX release:HEX click:X,Y shiftclick:X,Y move:X,Y lup:X,Y rup:X,Y
// wheel:N close expose size full+ full-.
std::string played(const std::string& script) {
    EventQueue q;
    std::istringstream words(script);
    for (std::string w; words >> w;) {
        const std::string arg = w.substr(w.find(':') + 1);
        const uint32_t hex = static_cast<uint32_t>(std::strtoul(arg.c_str(), nullptr, 16));
        const int x = std::atoi(arg.c_str()), y = std::atoi(arg.c_str() + arg.find(',') + 1);
        if (w == "create") q.windowCreated();
        else if (w == "show") q.windowShown();
        else if (w == "destroy") q.windowDestroyed();
        else if (w == "inv") q.invalidate();
        else if (w == "val") q.validate();
        else if (w.starts_with("quit:")) q.postQuit(x);
        else if (w == "focus+" || w == "focus-") q.focusChanged(w == "focus+");
        else if (w.starts_with("press:")) q.keyPressed(hex);
        else if (w.starts_with("release:")) q.keyReleased(hex);
        else if (w.starts_with("click:") || w.starts_with("shiftclick:")) q.leftButtonPressed(x, y, w[0] == 's');
        else if (w == "close") q.closeRequested();
        else if (w == "expose") q.exposed();
        else if (w == "size") q.sizeChanged(800, 600);
        else if (w.starts_with("move:")) q.pointerMoved(x, y);
        else if (w.starts_with("lup:")) q.leftButtonReleased(x, y);
        else if (w.starts_with("rup:")) q.rightButtonReleased(x, y);
        else if (w.starts_with("wheel:")) q.wheelTurned(x);
        else if (w == "full+" || w == "full-") q.fullscreenChanged(w == "full+");
        else ADD_FAILURE() << "unknown word " << w;
    }
    static const char* names[] = {"paint", "click", "down", "up",  "close", "destroy",
                                  "quit",  "move",  "lup",  "rup", "wheel"};
    std::ostringstream out;
    out << std::hex;
    while (q.peek()) {
        const Event e = q.next();
        out << (e.shift ? "shift-" : "") << names[int(e.type)];
        if (e.type == EventType::keyDown || e.type == EventType::keyUp) out << e.key << '/' << e.keyData;
        if (e.type == EventType::keyDown && e.alt) out << "+alt";
        if (e.type >= EventType::pointerMove && e.type != EventType::wheel)
            out << '(' << std::dec << e.x << ',' << e.y << ')' << std::hex;
        if (e.type == EventType::wheel) out << std::dec << e.steps << std::hex;
        if (e.type == EventType::leftButtonDown) out << '(' << std::dec << e.x << ',' << e.y << ')' << std::hex;
        if (e.type == EventType::quit) out << e.code;
        out << ' ';
    }
    return out.str();
}

TEST(EventQueue, Order) {
    // clang-format off
    const struct { const char* script; const char* messages; } cases[] = {
        {"create show inv inv", "paint "},                      // one paint for every invalidation
        {"create inv val", ""},                                  // painted directly: nothing pending
        {"inv create", ""},                                      // nothing to paint before the window
        {"create expose", "paint "}, {"create size", "paint "},  // uncovered or resized: painted again
        {"create focus+ inv press:20 quit:3 press:20 release:20", "down20/1 down20/40000001 up20/c0000001 quit3 paint "},
        {"create focus+ press:41 release:41 press:41", "down41/1 up41/c0000001 down41/1 "},
        {"create focus+ release:d", "upd/c0000001 "},                       // a release never pressed
        {"create press:20 focus+ press:20", "down20/40000001 "},           // pressed without the focus: still down
        {"focus+ press:20 create release:20 press:20", "up20/c0000001 down20/1 "},
        {"create focus+ press:20 focus- release:20 focus+ press:20", "down20/1 down20/1 "},
        {"create focus- click:3,4 shiftclick:-1,7 close", "click(3,4) shift-click(-1,7) close "},  // no focus needed
        {"create focus+ show press:20 close destroy quit:0", "destroy quit0 "},  // destroy drops what waits
        {"create show destroy inv press:20 click:1,1 close expose quit:0", "destroy quit0 "},
        {"destroy quit:1", "quit1 "},  // no window: no destroy message
        {"create focus+ press:12 press:d release:d release:12 press:d", "down12/1+alt downd/1+alt upd/c0000001 up12/c0000001 downd/1 "},
        {"create focus- click:1,2 move:5,6 lup:5,6 rup:7,8 wheel:-1", "click(1,2) move(5,6) lup(5,6) rup(7,8) wheel-1 "},
        {"move:1,1 lup:1,1 wheel:1 create", ""},                              // no window, no mouse
        {"create full+ full- size", "paint "},  // a new size or state: painted again
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(played(c.script), c.messages) << c.script;
}

}  // namespace
}  // namespace qt::engine
