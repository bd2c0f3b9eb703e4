// qRun on the SDL backend in a private X server: the window appears with its
// client size and title, shows the composed picture, and Esc closes it.
#include <chrono>
#include <future>
#include <thread>

#include "engine_test_support.h"
#include "platform/xvfb.h"

namespace qt::engine::test {
namespace {

template <typename Done>
bool waitFor(Done done, int tries = 500) {
    for (int i = 0; i < tries; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        if (done()) return true;
    }
    return false;
}

int field(const std::string& info, const std::string& name) {
    const size_t at = info.find(name);
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + name.size());
}

TEST(QRunXvfb, WindowShowsThePictureAndEscClosesIt) {
    if (!platform::test::Xvfb::installed() || std::system("command -v xwininfo xdotool >/dev/null") != 0)
        GTEST_SKIP() << "Xvfb, xwininfo or xdotool is missing";
    platform::test::Xvfb x;
    ASSERT_FALSE(x.display().empty());
    QRunFolder q;
    q.write("qRun.ini", "[main]\nFirstScenario=s.dat\ntitle=Smoke Test\n[honbun]\nlineSpeed=0\n");
    q.write("s.dat", kHeader + "/curid,1,;\r\n/iro,&H0000FF,;\r\n/allblt,;\r\nabc\r\n/@,;\r\n");
    // Ends at Esc below, or when the server goes with the test.
    auto code = std::async(std::launch::async, [&] {
        return q.run("--trace trace.txt", "DISPLAY=" + x.display() + " SDL_VIDEODRIVER=x11");
    });

    std::string info;
    EXPECT_TRUE(waitFor([&] {
        info = x.run("xwininfo -name 'Smoke Test'");
        return info.find("IsViewable") != std::string::npos;
    })) << info;
    EXPECT_EQ(field(info, "Width:") * 1000 + field(info, "Height:"), 640480) << info;
    // Without a window manager the focus may miss a window still being mapped.
    auto played = [&] { return q.read("trace.txt").find("/@") != std::string::npos; };
    if (!waitFor(played, 50)) x.run("xdotool search --name 'Smoke Test' windowfocus");
    EXPECT_TRUE(waitFor(played));

    // Red composed at 320 x 240, darkened by 2 behind the text, scaled 2x;
    // the server may still be drawing the last frames.
    const int left = field(info, "Absolute upper-left X:"), top = field(info, "Absolute upper-left Y:");
    std::string wrong;
    EXPECT_TRUE(waitFor([&] {
        platform::Surface shown;
        wrong = x.grab(left, top, 640, 480, shown) ? "" : "no image";
        for (int i = 0; wrong.empty() && i < 640 * 480; ++i) {
            const int px = i % 640, py = i / 640;
            if ((py >= 20 && py < 50 && px >= 20 && px < 120) || (py >= 460 && px >= 570)) continue;  // text, prompt
            const bool dark = px >= 16 && px <= 625 && py >= 16 && py <= 465;
            if (shown.pixel(px, py) != (dark ? 0x00003Fu : 0x0000FFu)) wrong = std::to_string(i);
        }
        return wrong.empty();
    })) << "first wrong pixel " << wrong;

    x.run("xdotool key Escape");
    EXPECT_EQ(code.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(code.get(), 0) << q.err;
}

}  // namespace
}  // namespace qt::engine::test
