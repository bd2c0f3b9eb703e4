#include "support/x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/program.h"

namespace qt::test {

namespace {

Display* dpy(void* d) { return static_cast<Display*>(d); }

// Windows vanish between listing and asking about them.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

unsigned long cardinal(Display* d, Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0, value = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1, False, AnyPropertyType, &type, &format, &count,
                           &left, &data) == Success &&
        data != nullptr && count == 1 && format == 32)
        value = *reinterpret_cast<unsigned long*>(data);
    if (data != nullptr) XFree(data);
    return value;
}

void collect(Display* d, Window w, std::vector<XWindow>& out) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, w, &a) == 0 || a.map_state != IsViewable) return;
    if (const unsigned long pid = cardinal(d, w, "_NET_WM_PID"); pid != 0 && a.c_class == InputOutput) {
        XWindow found{w, static_cast<pid_t>(pid), 0, 0, a.width, a.height};
        Window child = 0;
        XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &found.x, &found.y, &child);
        out.push_back(found);
        return;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (XQueryTree(d, w, &root, &parent, &children, &n) == 0) return;
    for (unsigned int i = 0; i < n; ++i) collect(d, children[i], out);
    if (children != nullptr) XFree(children);
}

// Our child processes, as /proc lists them.
std::vector<pid_t> children() {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        if (std::atoi(entry.path().filename().c_str()) <= 0) continue;
        const std::string stat = readFile(entry.path() / "stat");
        const size_t end = stat.rfind(')');
        if (end != std::string::npos && std::atoi(stat.c_str() + end + 4) == ::getpid())
            found.push_back(std::atoi(entry.path().filename().c_str()));
    }
    return found;
}

}  // namespace

std::string XSession::missingTool() {
    for (const char* tool : {"Xvfb", "openbox", "xdotool"})
        if (std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) != 0) return tool;
    return "";
}

XSession::XSession(bool windowManager, const std::string& screen) {
    // Programs that qRun starts again outlive it; they become ours to end.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    int fds[2];
    if (::pipe(fds) != 0) return;
    servers_.push_back(
        spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen + "x24", "-nolisten", "tcp"}, "/",
              {}, "/dev/null", "/dev/null", "/dev/null", fds[1]));
    ::close(fds[1]);
    // Read to the end: after a single read the server may not yet take clients.
    char number[16] = {};
    size_t got = 0;
    for (ssize_t n; got < sizeof number - 1 && (n = ::read(fds[0], number + got, sizeof number - 1 - got)) > 0;)
        got += static_cast<size_t>(n);
    ::close(fds[0]);
    if (got == 0) return;
    name_ = std::to_string(std::atoi(number));
    name_.insert(name_.begin(), ':');
    XSetErrorHandler(ignoreErrors);
    display_ = XOpenDisplay(name_.c_str());
    if (display_ == nullptr) return;
    if (windowManager)
        servers_.push_back(
            spawn({"openbox", "--sm-disable"}, "/", {"DISPLAY=" + name_}, "/dev/null", "/dev/null", "/dev/null"));
    Display* d = dpy(display_);
    ready_ = !windowManager || poll([&] { return cardinal(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK") != 0; });
}

XSession::~XSession() {
    // The programs first (also those qRun started again), then the window
    // manager and the server.
    for (pid_t pid : children())
        if (std::find(servers_.begin(), servers_.end(), pid) == servers_.end()) ::kill(pid, SIGKILL);
    if (display_ != nullptr) XCloseDisplay(dpy(display_));
    for (pid_t pid : servers_) ::kill(pid, SIGTERM);
    if (!poll([] { return ::waitpid(-1, nullptr, WNOHANG) < 0; }, 5000)) {
        for (pid_t pid : children()) ::kill(pid, SIGKILL);
        while (::waitpid(-1, nullptr, 0) > 0) continue;
    }
}

pid_t XSession::start(const std::vector<std::string>& argv, const std::string& dir, const std::string& outName,
                      const std::string& errName) {
    return spawn(argv, dir, {"DISPLAY=" + name_}, "/dev/null", dir + "/" + outName, dir + "/" + errName);
}

std::optional<XWindow> XSession::startMapped(pid_t& pid, const std::vector<std::string>& argv, const std::string& dir,
                                             int ms) {
    std::optional<XWindow> window;
    for (int attempt = 0; attempt < 2 && !window; ++attempt) {
        if (attempt > 0) {
            ::kill(pid, SIGKILL);
            exitCode(pid);
        }
        pid = start(argv, dir);
        window = windowOf(pid, ms);
    }
    return window;
}

int XSession::exitCode(pid_t pid, int ms) {
    int status = 0;
    if (!poll([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, ms)) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<XWindow> XSession::windows() const {
    std::vector<XWindow> found;
    if (display_ != nullptr) {
        XSync(dpy(display_), False);
        collect(dpy(display_), DefaultRootWindow(dpy(display_)), found);
    }
    return found;
}

std::optional<XWindow> XSession::windowOf(pid_t pid, int ms) const {
    std::optional<XWindow> main;
    const auto found = [&] {
        for (const XWindow& w : windows())
            if (w.pid == pid && (!main || w.width * w.height > main->width * main->height)) main = w;
        return main.has_value();
    };
    poll(found, ms);
    return main;
}

bool XSession::grab(const XWindow& window, platform::Surface& out) const {
    const bool screen = window.id == 0;
    XImage* image = XGetImage(dpy(display_), screen ? DefaultRootWindow(dpy(display_)) : window.id,
                              screen ? window.x : 0, screen ? window.y : 0, static_cast<unsigned>(window.width),
                              static_cast<unsigned>(window.height), AllPlanes, ZPixmap);
    const bool ok = image != nullptr && out.create(window.width, window.height, 0);
    for (int i = 0; ok && i < window.width * window.height; ++i) {
        const unsigned long p = XGetPixel(image, i % window.width, i / window.width);
        out.setPixel(i % window.width, i / window.width, platform::rgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)));
    }
    if (image != nullptr) XDestroyImage(image);
    return ok;
}

bool XSession::run(const std::string& command, std::string* out) const {
    std::FILE* p = ::popen(("DISPLAY=" + name_ + " " + command + " 2>/dev/null").c_str(), "r");
    if (p == nullptr) return false;
    char buf[256];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        if (out != nullptr) out->append(buf, n);
    return ::pclose(p) == 0;
}

}  // namespace qt::test
