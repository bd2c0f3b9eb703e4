// qRun on the SDL backend in a private X server: the window appears with its
// client size and title, shows the composed picture, and Esc closes it.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "qrun_test_support.h"

// After gtest: Xlib's macros (None, Bool, Status) would clash with it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace qt::engine::test {
namespace {

bool commandExists(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string capture(const std::string& cmd) {
    std::string out;
    if (std::FILE* p = ::popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        ::pclose(p);
    }
    return out;
}

// A private Xvfb on a display number of its own choosing.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, 1);
            ::dup2(devnull, 2);
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
                     "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        char buf[16] = {};
        const ssize_t n = ::read(fds[0], buf, sizeof buf - 1);
        ::close(fds[0]);
        if (n > 0) display_ = ":" + std::to_string(std::atoi(buf));
    }
    ~Xvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

int field(const std::string& info, const std::string& name) {
    const size_t at = info.find(name);
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + name.size());
}

TEST(QRunXvfb, WindowShowsThePictureAndEscClosesIt) {
    for (const char* tool : {"Xvfb", "xwininfo", "xdotool"}) {
        if (!commandExists(tool)) GTEST_SKIP() << tool << " is missing";
    }
    Xvfb x;
    ASSERT_FALSE(x.display().empty());
    QRunFolder folder;
    folder.write("qRun.ini", "[main]\nFirstScenario=s.dat\ntitle=Smoke Test\n[honbun]\nlineSpeed=0\n");
    folder.write("s.dat", kHeader + "/curid,1,;\r\n/iro,&H0000FF,;\r\n/allblt,;\r\nabc\r\n/@,;\r\n");

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("DISPLAY", x.display().c_str(), 1);
        ::setenv("LSAN_OPTIONS", "print_suppressions=0", 1);
        if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
        ::execl("./qRun", "./qRun", "--trace", "trace.txt", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    auto waitFor = [](auto done) {
        for (int i = 0; i < 500; ++i) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };
    EXPECT_TRUE(waitFor([&] { return folder.read("trace.txt").find("/@") != std::string::npos; }));

    const std::string info = capture("xwininfo -display " + x.display() + " -name 'Smoke Test' 2>&1");
    const int left = field(info, "Absolute upper-left X:"), top = field(info, "Absolute upper-left Y:");
    EXPECT_EQ(field(info, "Width:"), 640) << info;
    EXPECT_EQ(field(info, "Height:"), 480) << info;

    Display* dpy = XOpenDisplay(x.display().c_str());
    ASSERT_NE(dpy, nullptr);
    XImage* img = nullptr;
    if (left >= 0 && top >= 0) {
        img = XGetImage(dpy, DefaultRootWindow(dpy), left, top, 640, 480, AllPlanes, ZPixmap);
    }
    ASSERT_NE(img, nullptr);
    // Red composed at 320 x 240, darkened by 2 behind the text, scaled 2x.
    int wrong = 0;
    for (int y = 0; y < 480; ++y) {
        for (int xx = 0; xx < 640; ++xx) {
            const bool textCell = y >= 20 && y < 50 && xx >= 20 && xx < 120;
            const bool prompt = y >= 460 && xx >= 570;
            if (textCell || prompt) continue;
            const bool dark = xx >= 16 && xx <= 625 && y >= 16 && y <= 465;
            const unsigned long expected = dark ? 0x3F0000 : 0xFF0000;  // X: 0xRRGGBB
            if ((XGetPixel(img, xx, y) & 0xFFFFFF) != expected && ++wrong < 5) {
                ADD_FAILURE() << "pixel " << xx << "," << y << " is " << std::hex << XGetPixel(img, xx, y);
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    XDestroyImage(img);
    XCloseDisplay(dpy);

    capture("DISPLAY=" + x.display() + " xdotool key Escape 2>&1");
    int status = -1;
    const bool ended = waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(ended);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace qt::engine::test
