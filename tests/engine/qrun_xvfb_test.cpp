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

// A private Xvfb. The display number is ours, picked from a range that
// servers started with -displayfd (which take the lowest free one) do not
// reach, so parallel tests never meet on one number.
class Xvfb {
public:
    Xvfb() {
        for (int attempt = 0; attempt < 20 && display_.empty(); ++attempt) {
            const int number = 400 + static_cast<int>((::getpid() * 7 + attempt * 13) % 500);
            if (std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) continue;
            const std::string name = ":" + std::to_string(number);
            pid_ = ::fork();
            if (pid_ == 0) {
                const int devnull = ::open("/dev/null", O_WRONLY);
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
                ::execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                         static_cast<char*>(nullptr));
                ::_exit(127);
            }
            for (int i = 0; i < 250; ++i) {
                if (Display* d = XOpenDisplay(name.c_str())) {
                    XCloseDisplay(d);
                    display_ = name;
                    break;
                }
                if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                    pid_ = -1;
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (display_.empty() && pid_ > 0) stop();
        }
    }
    ~Xvfb() { stop(); }
    const std::string& display() const { return display_; }

private:
    void stop() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

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
    auto waitFor = [](auto done, int tries = 500) {
        for (int i = 0; i < tries; ++i) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    };
    std::string info;
    EXPECT_TRUE(waitFor([&] {
        info = capture("xwininfo -display " + x.display() + " -name 'Smoke Test' 2>&1");
        return info.find("IsViewable") != std::string::npos;
    })) << info;
    // Without a window manager the focus may miss a window that is still
    // being mapped; hand it over as a desktop would.
    auto played = [&] { return folder.read("trace.txt").find("/@") != std::string::npos; };
    if (!waitFor([&] { return played(); }, 50)) {
        capture("DISPLAY=" + x.display() + " xdotool search --name 'Smoke Test' windowfocus 2>&1");
    }
    EXPECT_TRUE(waitFor(played));

    const int left = field(info, "Absolute upper-left X:"), top = field(info, "Absolute upper-left Y:");
    EXPECT_EQ(field(info, "Width:"), 640) << info;
    EXPECT_EQ(field(info, "Height:"), 480) << info;

    Display* dpy = XOpenDisplay(x.display().c_str());
    ASSERT_NE(dpy, nullptr);
    ASSERT_GE(left, 0);
    ASSERT_GE(top, 0);
    // Red composed at 320 x 240, darkened by 2 behind the text, scaled 2x.
    // The server may still be drawing the last frames: look again a while.
    std::string firstWrong;
    const bool matches = waitFor([&] {
        XImage* img = XGetImage(dpy, DefaultRootWindow(dpy), left, top, 640, 480, AllPlanes, ZPixmap);
        if (img == nullptr) return false;
        firstWrong.clear();
        for (int y = 0; y < 480 && firstWrong.empty(); ++y) {
            for (int xx = 0; xx < 640; ++xx) {
                const bool textCell = y >= 20 && y < 50 && xx >= 20 && xx < 120;
                const bool prompt = y >= 460 && xx >= 570;
                if (textCell || prompt) continue;
                const bool dark = xx >= 16 && xx <= 625 && y >= 16 && y <= 465;
                const unsigned long expected = dark ? 0x3F0000 : 0xFF0000;  // X: 0xRRGGBB
                const unsigned long got = XGetPixel(img, xx, y) & 0xFFFFFF;
                if (got != expected) {
                    firstWrong = std::to_string(xx) + "," + std::to_string(y) + ": " + std::to_string(got);
                    break;
                }
            }
        }
        XDestroyImage(img);
        return firstWrong.empty();
    });
    EXPECT_TRUE(matches) << firstWrong;
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
