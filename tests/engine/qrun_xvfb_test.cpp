// qRun on the SDL backend in a private X server: the window appears with its
// client size and title, shows the composed picture, and Esc closes it.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>

#include <chrono>
#include <thread>

#include "engine_test_support.h"

// After gtest: Xlib's macros (None, Bool, Status) would clash with it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace qt::engine::test {
namespace {

std::string capture(const std::string& cmd) {
    std::string out(65536, '\0');
    std::FILE* p = ::popen(cmd.c_str(), "r");
    out.resize(p != nullptr ? std::fread(out.data(), 1, out.size(), p) : 0);
    if (p != nullptr) ::pclose(p);
    return out;
}

template <typename Done>
bool waitFor(Done done, int tries = 500) {
    for (int i = 0; i < tries; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        if (done()) return true;
    }
    return false;
}

// Starts `argv` in `dir` on `display`; returns its process id.
pid_t spawn(const std::vector<const char*>& argv, const std::string& dir, const std::string& display) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive the test
        if (argv[0][0] == 'X') ::dup2(::open("/dev/null", O_WRONLY), 2);
        ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("LSAN_OPTIONS", "print_suppressions=0", 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        if (::chdir(dir.c_str()) == 0) ::execvp(argv[0], const_cast<char* const*>(argv.data()));
        ::_exit(127);
    }
    return pid;
}

// Ends the processes it holds when the test leaves, also after a failed assertion.
struct Processes {
    std::vector<pid_t> pids;
    ~Processes() {
        for (auto it = pids.rbegin(); it != pids.rend(); ++it) {
            ::kill(*it, SIGKILL);
            ::waitpid(*it, nullptr, 0);
        }
    }
};

int field(const std::string& info, const std::string& name) {
    const size_t at = info.find(name);
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + name.size());
}

TEST(QRunXvfb, WindowShowsThePictureAndEscClosesIt) {
    for (const char* tool : {"Xvfb", "xwininfo", "xdotool"}) {
        if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) != 0) GTEST_SKIP() << tool;
    }
    // A display number of our own, above those that -displayfd servers take.
    std::string display;
    Processes running;
    for (int attempt = 0; attempt < 5 && display.empty(); ++attempt) {
        const std::string name = ":" + std::to_string(400 + (::getpid() * 7 + attempt * 13) % 500);
        if (std::filesystem::exists("/tmp/.X" + name.substr(1) + "-lock")) continue;
        const pid_t xvfb = spawn({"Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset", nullptr}, "/", name);
        running.pids.push_back(xvfb);
        Display* d = nullptr;
        waitFor([&] { return (d = XOpenDisplay(name.c_str())) != nullptr || ::waitpid(xvfb, nullptr, WNOHANG) != 0; });
        // Ours only if our server is still the one running there.
        if (d != nullptr) XCloseDisplay(d);
        if (d != nullptr && ::waitpid(xvfb, nullptr, WNOHANG) == 0) display = name;
    }
    ASSERT_FALSE(display.empty());
    QRunFolder q;
    q.write("qRun.ini", "[main]\nFirstScenario=s.dat\ntitle=Smoke Test\n[honbun]\nlineSpeed=0\n");
    q.write("s.dat", kHeader + "/curid,1,;\r\n/iro,&H0000FF,;\r\n/allblt,;\r\nabc\r\n/@,;\r\n");
    const pid_t pid = spawn({"./qRun", "--trace", "trace.txt", nullptr}, q.path(), display);
    running.pids.push_back(pid);

    std::string info;
    EXPECT_TRUE(waitFor([&] {
        info = capture("xwininfo -display " + display + " -name 'Smoke Test' 2>&1");
        return info.find("IsViewable") != std::string::npos;
    })) << info;
    EXPECT_EQ(field(info, "Width:") * 1000 + field(info, "Height:"), 640480) << info;
    // Without a window manager the focus may miss a window still being mapped.
    auto played = [&] { return q.read("trace.txt").find("/@") != std::string::npos; };
    if (!waitFor(played, 50)) capture("DISPLAY=" + display + " xdotool search --name 'Smoke Test' windowfocus");
    EXPECT_TRUE(waitFor(played));

    // Red composed at 320 x 240, darkened by 2 behind the text, scaled 2x;
    // the server may still be drawing the last frames.
    Display* dpy = XOpenDisplay(display.c_str());
    ASSERT_NE(dpy, nullptr);
    const int left = field(info, "Absolute upper-left X:"), top = field(info, "Absolute upper-left Y:");
    std::string wrong;
    EXPECT_TRUE(waitFor([&] {
        XImage* img = XGetImage(dpy, DefaultRootWindow(dpy), left, top, 640, 480, AllPlanes, ZPixmap);
        wrong = img == nullptr ? "no image" : "";
        for (int i = 0; img != nullptr && wrong.empty() && i < 640 * 480; ++i) {
            const int x = i % 640, y = i / 640;
            if ((y >= 20 && y < 50 && x >= 20 && x < 120) || (y >= 460 && x >= 570)) continue;  // text, prompt
            const bool dark = x >= 16 && x <= 625 && y >= 16 && y <= 465;
            if ((XGetPixel(img, x, y) & 0xFFFFFF) != (dark ? 0x3F0000u : 0xFF0000u)) wrong = std::to_string(i);
        }
        if (img != nullptr) XDestroyImage(img);
        return wrong.empty();
    })) << "first wrong pixel " << wrong;
    XCloseDisplay(dpy);

    capture("DISPLAY=" + display + " xdotool key Escape");
    int status = -1;
    EXPECT_TRUE(waitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }));
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace qt::engine::test
