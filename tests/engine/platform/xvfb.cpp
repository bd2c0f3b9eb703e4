#include "xvfb.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace qt::platform::test {

bool Xvfb::installed() { return std::system("command -v Xvfb >/dev/null 2>&1") == 0; }

Xvfb::Xvfb() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        const std::string fd = std::to_string(fds[1]);
        // Without -noreset the server resets when its last client leaves,
        // and a connection made meanwhile fails.
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number when it is ready for clients.
    FILE* number = fdopen(fds[0], "r");
    int n = -1;
    char name[24];
    if (number && std::fscanf(number, "%d", &n) == 1 && n >= 0 && std::snprintf(name, sizeof name, ":%d", n) > 0)
        display_ = name;
    if (number) std::fclose(number);
}

Xvfb::~Xvfb() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

std::string Xvfb::run(const std::string& command) const {
    std::string out;
    if (FILE* p = popen(("DISPLAY=" + display_ + " " + command + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

bool Xvfb::grab(int x, int y, int w, int h, Surface& out) const {
    Display* d = XOpenDisplay(display_.c_str());
    if (!d) return false;
    XImage* image = XGetImage(d, DefaultRootWindow(d), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    const bool ok = image && out.create(w, h, 0);
    for (int row = 0; ok && row < h; ++row)
        for (int col = 0; col < w; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            out.setPixel(col, row, rgb(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)));
        }
    if (image) XDestroyImage(image);
    XCloseDisplay(d);
    return ok;
}

}  // namespace qt::platform::test
