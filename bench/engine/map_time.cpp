// Starts a program and says how long it took, from just before the fork to
// the X server's MapNotify of its first top-level window, in milliseconds,
// then its process id: "MS PID". The program keeps running (its output goes
// to /dev/null). Polling with xwininfo or xdotool adds several milliseconds
// a try; the server's own event does not.
// Usage: qrun_map_time PROGRAM [ARGS...]
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qrun_map_time PROGRAM [ARGS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "qrun_map_time: no display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[1], argv + 1);
        _exit(127);
    }
    if (child < 0) return 1;
    pollfd server{ConnectionNumber(display), POLLIN, 0};
    for (;;) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type != MapNotify) continue;
            const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            std::printf("%.1f %d\n", took.count(), static_cast<int>(child));
            return 0;
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "qrun_map_time: the program ended without a window\n");
            return 1;
        }
        if (poll(&server, 1, 10000) == 0) {
            std::fprintf(stderr, "qrun_map_time: no window within 10 s\n");
            return 1;
        }
    }
}
