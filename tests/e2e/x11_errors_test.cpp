// A message to a window that has just gone does not end the engine; every
// other error of the window system still does.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/platform/sdl2/x11_errors.h"
#include "support/x_session.h"

// After gtest: Xlib's macros (None, Bool, Status) would clash with it.
#include <X11/Xlib.h>

namespace qt::e2e {
namespace {

// The exit code of a process that opens the display, makes a window,
// destroys it and then sends it a message (or maps it); a child of the test,
// not a built program, as Xlib's own error handler ends the process.
int afterTouchingAClosedWindow(bool message) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        XSetErrorHandler(nullptr);  // Xlib's own, which ends the process
        platform::passOverMessagesToClosedWindows();
        Display* d = XOpenDisplay(nullptr);
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
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(X11Errors, OnlyMessagesToClosedWindowsArePassedOver) {
    if (const std::string tool = test::XSession::missingTool(); !tool.empty()) GTEST_SKIP() << tool << " is not installed";
    test::XSession x;
    ASSERT_TRUE(x.ready());
    ::setenv("DISPLAY", x.display().c_str(), 1);
    EXPECT_EQ(afterTouchingAClosedWindow(true), 0);
    EXPECT_EQ(afterTouchingAClosedWindow(false), 1);
}

}  // namespace
}  // namespace qt::e2e
