#pragma once
// A private X server for tests of the real window: Xvfb, openbox unless asked
// not to (it honours a window's move and resize requests), and the programs
// started on it. All of them, and what they start in turn, end with the session.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/platform/pixels/surface.h"
#include "support/program.h"

namespace qt::test {

// A top-level window: its id, its process, its client area on the screen.
struct XWindow {
    unsigned long id = 0;
    pid_t pid = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

class XSession {
public:
    // The tools this needs, or empty when all are installed.
    static std::string missingTool();

    // `screen` is the display's size, "WIDTHxHEIGHT".
    explicit XSession(bool windowManager = true, const std::string& screen = "1280x1024");
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // False when the server or the window manager did not come up.
    bool ready() const { return ready_; }
    // ":N".
    const std::string& display() const { return name_; }

    // Starts argv in `dir` on this display, output into `dir`/`outName` and
    // `dir`/`errName`; the test drives the program while it runs.
    pid_t start(const std::vector<std::string>& argv, const std::string& dir, const std::string& outName = "out.txt",
                const std::string& errName = "err.txt");
    // Starts argv as start() does and waits up to `ms` for its main window.
    // A window manager just started, on a loaded machine, has been seen to
    // leave a first window unmapped for good (the program waits in SDL for
    // the map): that manager's fault, so the program gets one more start.
    std::optional<XWindow> startMapped(pid_t& pid, const std::vector<std::string>& argv, const std::string& dir,
                                       int ms = 30000);
    // The exit code once `pid` (a child, or one a child left) ends within `ms`; -1 otherwise.
    int exitCode(pid_t pid, int ms = 20000);

    // Viewable windows of programs (not the window manager's).
    std::vector<XWindow> windows() const;
    // The viewable main window of `pid`, waited for.
    std::optional<XWindow> windowOf(pid_t pid, int ms = 20000) const;
    // What the window shows; with no id, that rectangle of the screen.
    bool grab(const XWindow& window, platform::Surface& out) const;

    // Runs a shell command on this display, its output added to `out`; true on success.
    bool run(const std::string& command, std::string* out = nullptr) const;
    bool xdotool(const std::string& args, std::string* out = nullptr) const { return run("xdotool " + args, out); }

private:
    bool ready_ = false;
    void* display_ = nullptr;  // Display*, kept out of the tests' sight
    std::string name_;
    std::vector<pid_t> servers_;
};

}  // namespace qt::test
