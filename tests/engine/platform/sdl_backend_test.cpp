#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>

#include "common/cp932.h"
#include "engine/core/event_queue.h"
#include "engine/platform/sdl2/sdl_backend.h"
#include "engine/platform/sdl2/sdl_keys.h"
#include "engine/platform/sdl2/x11_errors.h"
#include "support/x_session.h"

#include <SDL.h>

// After gtest: Xlib's macros (None, Bool, Status) would clash with it.
#include <X11/Xlib.h>

namespace qt::platform {
namespace {

using Clock = std::chrono::steady_clock;
using engine::Event;
using engine::EventType;
using engine::kKeyRepeatBit;

TEST(SdlKeys, VirtualKeyNumbers) {
    // SDL key codes: printable keys are their characters, the others 0x40000000 + scancode.
    // clang-format off
    const std::pair<int32_t, uint32_t> cases[] = {
        {' ', 0x20}, {'\r', 0x0D}, {0x40000058, 0x0D} /* keypad Enter */, {0x1B, 0x1B}, {0x40000045, 0x7B} /* F12 */,
        {'a', 'A'}, {'z', 'Z'}, {'0', '0'}, {'9', '9'}, {0x40000085, 0x6C} /* keypad comma */,
        {0x4000009F, 0x6C} /* separator */, {0x40000063, 0x6E} /* keypad period */, {0x40000050, 0x25},
        {0x4000004F, 0x27}, {0x40000052, 0x26}, {0x40000051, 0x28}, {0x40000062, 0x60}, {'`', 0}, {0x4000007F, 0}};
    // clang-format on
    for (const auto& [sdl, vk] : cases) EXPECT_EQ(virtualKey(sdl), vk) << std::hex << sdl;
}

// One window in a private X server through its whole life.
TEST(SdlUnderXvfb, WindowKeysFocusErrorsAndClosing) {
    if (const std::string tool = test::XSession::missingTool(); !tool.empty())
        GTEST_SKIP() << tool << " is not installed";
    test::XSession x(false);  // no window manager: the window lies where it asks to
    ASSERT_TRUE(x.ready());
    // A message to a window that has just gone does not end the engine; every
    // other error of the window system still does. In a child, as Xlib's own
    // error handler ends the process.
    for (const bool message : {true, false}) {
        const pid_t child = ::fork();
        if (child == 0) {
            XSetErrorHandler(nullptr);  // Xlib's own
            passOverMessagesToClosedWindows();
            ::Display* d = XOpenDisplay(x.display().c_str());
            if (d == nullptr) ::_exit(3);
            const ::Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 10, 10, 0, 0, 0);
            XDestroyWindow(d, w);
            XEvent e{};
            e.xclient.type = ClientMessage;
            e.xclient.window = w;
            e.xclient.format = 32;
            if (message) XSendEvent(d, w, False, NoEventMask, &e);
            else XMapWindow(d, w);
            XSync(d, False);
            ::_exit(0);
        }
        EXPECT_EQ(x.exitCode(child), message ? 0 : 1) << (message ? "message" : "map");
    }
    auto run = [&](const std::string& command) {
        std::string out;
        x.run(command, &out);
        return out;
    };
    setenv("DISPLAY", x.display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    std::string error;
    auto backend = createSdlBackend(SdlOptions{false}, error);  // nobody is there to press OK
    ASSERT_TRUE(backend) << error;
    engine::EventQueue events(backend.get());
    // Takes events for up to `seconds`, until `done` says so.
    auto collect = [&](double seconds, const std::function<bool(const std::vector<Event>&)>& done) {
        std::vector<Event> taken;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end && !done(taken)) {
            while (events.peek()) taken.push_back(events.next());
            events.waitIdle(backend->tickCount() + 20);
        }
        return taken;
    };
    auto endsWith = [](EventType type) {
        return [type](const auto& e) { return !e.empty() && e.back().type == type; };
    };

    // A 200 x 150 client area showing a 160 x 120 picture, frame at (100, 50).
    ASSERT_TRUE(backend->createWindow(WindowSpec{utf8ToCp932("テスト窓"), 100, 50, 200, 150, 160, 120}));
    events.windowCreated();
    backend->showWindow();
    events.windowShown();
    ASSERT_TRUE(endsWith(EventType::paint)(
        collect(5, [&](const auto& e) { return endsWith(EventType::paint)(e) && events.hasFocus(); })));
    EXPECT_EQ(backend->metrics().screenWidth * 10000 + backend->metrics().screenHeight, 12801024);
    Surface picture;
    ASSERT_TRUE(picture.create(160, 120, rgb(255, 0, 0)));
    picture.setPixel(0, 0, rgb(0, 0, 255));
    picture.setPixel(159, 119, rgb(0, 255, 0));
    backend->present(picture);
    std::string id = run("xdotool search --classname platform_window_tests");
    ASSERT_FALSE(id.empty());
    id.pop_back();
    EXPECT_EQ(run("xprop -id " + id + " _NET_WM_NAME"), "_NET_WM_NAME(UTF8_STRING) = \"テスト窓\"\n");
    const std::string geometry = run("xdotool getwindowgeometry " + id);
    // The client area lies inside the frame and caption placed at (100, 50).
    EXPECT_NE(geometry.find("Position: 104,77"), std::string::npos) << geometry;
    EXPECT_NE(geometry.find("Geometry: 200x150"), std::string::npos) << geometry;
    Surface shown;
    ASSERT_TRUE(x.grab(test::XWindow{0, 0, 104, 77, 200, 150}, shown));
    // clang-format off
    const std::pair<std::pair<int, int>, ColorRef> expected[] = {
        {{0, 0}, rgb(0, 0, 255)},     {{1, 0}, rgb(255, 0, 0)},    {{159, 119}, rgb(0, 255, 0)},
        {{160, 0}, rgb(64, 64, 64)}, {{0, 120}, rgb(64, 64, 64)}, {{199, 149}, rgb(64, 64, 64)}};
    // clang-format on
    for (const auto& [at, colour] : expected)
        EXPECT_EQ(shown.pixel(at.first, at.second), colour) << at.first << "," << at.second;

    run("xdotool key space Return KP_Enter z Escape F12 a 7 Left");
    std::vector<uint32_t> downs;
    for (const Event& e : collect(5, [](const auto& e) {
             return std::count_if(e.begin(), e.end(), [](const Event& x) { return x.type == EventType::keyUp; }) >= 9;
         })) {
        if (e.type == EventType::keyDown) downs.push_back(e.key);
        if (e.type == EventType::keyDown || e.type == EventType::keyUp) {
            EXPECT_EQ((e.keyData & kKeyRepeatBit) != 0, e.type == EventType::keyUp);
        }
    }
    EXPECT_EQ(downs, (std::vector<uint32_t>{0x20, 0x0D, 0x0D, 'Z', 0x1B, 0x7B, 'A', '7', 0x25}));
    run("xdotool keydown z sleep 1.2 keyup z");  // the server's auto-repeat
    const auto held = collect(5, endsWith(EventType::keyUp));
    ASSERT_GE(held.size(), 3u);
    EXPECT_EQ(held.front().keyData & kKeyRepeatBit, 0u);
    EXPECT_NE(held[held.size() - 2].keyData & kKeyRepeatBit, 0u);

    const auto start = Clock::now();  // an idle wait sleeps to its deadline
    backend->waitIdle(backend->tickCount() + 300);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));

    run("xdotool search --classname platform_window_tests windowunmap --sync");
    collect(1, [&](const auto&) { return !events.hasFocus(); });
    EXPECT_FALSE(events.hasFocus());
    std::raise(SIGINT);  // ends the engine as if the window were closed
    EXPECT_TRUE(endsWith(EventType::close)(collect(3, endsWith(EventType::close))));
    backend->destroyWindow();
    EXPECT_EQ(run("xdotool search --classname platform_window_tests"), "");
}

// A controller plugged in while the window is open: SDL's virtual joystick.
TEST(SdlUnderXvfb, GameControllerButtonsAreKeys) {
    if (const std::string tool = test::XSession::missingTool(); !tool.empty())
        GTEST_SKIP() << tool << " is not installed";
    test::XSession x(false);
    ASSERT_TRUE(x.ready());
    setenv("DISPLAY", x.display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    std::string error;
    auto backend = createSdlBackend(SdlOptions{false}, error);
    ASSERT_TRUE(backend) << error;
    engine::EventQueue events(backend.get());
    ASSERT_TRUE(backend->createWindow(WindowSpec{"pad", 10, 10, 64, 48, 64, 48}));
    events.windowCreated();
    backend->showWindow();
    auto keys = [&](double seconds, size_t atLeast) {
        std::vector<std::pair<EventType, uint32_t>> taken;
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < end && taken.size() < atLeast) {
            while (events.peek()) {
                const Event e = events.next();
                if (e.type == EventType::keyDown || e.type == EventType::keyUp)
                    taken.emplace_back(e.type, e.key | (e.keyData & kKeyRepeatBit));
            }
            events.waitIdle(backend->tickCount() + 10);
        }
        return taken;
    };
    ASSERT_TRUE(test::poll([&] { return events.peek() || events.hasFocus(); }, 5000));

    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    keys(0.3, 1);  // the backend opens it
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    const auto press = [&](SDL_GameControllerButton b, bool down) { SDL_JoystickSetVirtualButton(pad, b, down); };
    press(SDL_CONTROLLER_BUTTON_A, true);
    press(SDL_CONTROLLER_BUTTON_X, true);  // not one of ours
    EXPECT_EQ(keys(2, 1), (std::vector<std::pair<EventType, uint32_t>>{{EventType::keyDown, vk::padA}}));
    press(SDL_CONTROLLER_BUTTON_A, false);
    press(SDL_CONTROLLER_BUTTON_BACK, true);  // a virtual button changes at the next update
    EXPECT_EQ(keys(2, 2), (std::vector<std::pair<EventType, uint32_t>>{{EventType::keyUp, vk::padA | kKeyRepeatBit},
                                                                       {EventType::keyDown, vk::padBack}}));
    press(SDL_CONTROLLER_BUTTON_BACK, false);
    EXPECT_EQ(keys(2, 1),
              (std::vector<std::pair<EventType, uint32_t>>{{EventType::keyUp, vk::padBack | kKeyRepeatBit}}));
    // Held, B repeats as a held key does: after half a second, then often.
    press(SDL_CONTROLLER_BUTTON_B, true);
    const auto start = Clock::now();
    const auto held = keys(3, 4);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(500));
    ASSERT_EQ(held.size(), 4u);
    EXPECT_EQ(held[0].second, vk::padB);
    EXPECT_EQ(held[3].second, vk::padB | kKeyRepeatBit);
    press(SDL_CONTROLLER_BUTTON_B, false);
    SDL_JoystickClose(pad);
    EXPECT_EQ(SDL_JoystickDetachVirtual(index), 0);
    keys(0.2, 1);
    backend->destroyWindow();
}

}  // namespace
}  // namespace qt::platform
