// The built qRun on any screen: scaled pictures, fullscreen and the mouse and
// controller, headless, compared pixel for pixel.
#include <gtest/gtest.h>

#include <string>

#include "common/cp932.h"
#include "common/scenario_format.h"
#include "engine/platform/pixels/image.h"
#include "support/bmp_file.h"
#include "support/program.h"

namespace qt::engine::test {
namespace {

using platform::ColorRef;
using platform::Surface;

constexpr ColorRef kGrey = platform::rgb(64, 64, 64);

// A background of stripes and a two-line page, then a wait.
const std::string kPage =
    "/curid,1,;\r\n/e,back.bmp,0,0,;\r\n/allblt,;\r\n吾輩は猫である。\r\n名前はまだ無い。\r\n/@,;\r\n";

std::string ini(const std::string& screen, const std::string& honbun = "basePos=24,,24\nfontSizeStyle=20,,7000,,1\n",
                const std::string& keywait = "") {
    return "[screen]\n" + screen +
           "\n[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=0\ndarkBackRECT=8,,8,,200,,100,,2\n" + honbun +
           "[keywait]\n" + keywait + "\n";
}

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<ColorRef> px;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) px.push_back(platform::rgb(x * 7 % 256, y * 5 % 256, (x ^ y) & 0xFF));
        q.write("back.bmp", qt::test::bmp24(320, 240, px));
    }
    // The picture at the first wait of a run with these settings.
    Surface shot(const std::string& iniUtf8, const std::string& options = "", const std::string& input = "",
                 const std::string& name = "wait-0001.png", const std::string& body = kPage) {
        q.ini(utf8ToCp932(iniUtf8));
        q.write("s.dat", scenario::kHeaderLine + utf8ToCp932(body));
        q.write("input.txt", input);
        std::filesystem::remove_all(q / "caps");
        EXPECT_EQ(q.run("./qRun --headless --capture caps --until 20000 --input input.txt " + options), 0) << q.err;
        Surface s;
        EXPECT_TRUE(platform::loadImage(q / ("caps/" + name), s)) << name;
        return s;
    }
    // "code|trace" of a run with these settings and input.
    std::string trace(const std::string& iniUtf8, const std::string& input, const std::string& body) {
        q.ini(utf8ToCp932(iniUtf8));
        q.write("s.dat", scenario::kHeaderLine + utf8ToCp932(body));
        q.write("input.txt", input);
        const int code = q.run("./qRun --headless --trace trace.txt --until 20000 --input input.txt");
        return std::to_string(code) + "|" + q.read("trace.txt");
    }
    qt::test::ProgramFolder q{{"qRun"}};
};

bool same(const Surface& a, const Surface& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::equal(a.bits(), a.bits() + size_t(a.width()) * a.height() * 4, b.bits());
}

TEST_F(ScreenTest, FitTwiceEnlargesThePictureAndDrawsTheTextAtTheOutputSize) {
    const Surface small = shot(ini("scaleMode=1"));
    ASSERT_EQ(small.width() * 10000 + small.height(), 6400480);
    const Surface big = shot(ini("scaleMode=1"), "--output 1280x960");
    ASSERT_EQ(big.width() * 10000 + big.height(), 12800960);
    // Rows 40 to 180 hold the two lines (cells at 48 and 128, 40 high, and their shadows).
    int textDiffers = 0;
    for (int y = 0; y < 960; ++y) {
        for (int x = 0; x < 1280; ++x) {
            const bool same = big.pixel(x, y) == small.pixel(x / 2, y / 2);
            if (y < 40 || y >= 180) ASSERT_TRUE(same) << x << "," << y;
            else textDiffers += !same;
        }
    }
    EXPECT_GT(textDiffers, 1000);
    // The same as a window of that size with every text setting doubled.
    EXPECT_TRUE(
        same(big, shot(ini("wincsizeWidth=1280\nwincsizeHeight=960", "basePos=48,,48\nfontSizeStyle=40,,7000,,1\n"))));
    // Mode 0 (and no mode at all) keeps the window-size picture whatever the drawable area.
    EXPECT_TRUE(same(small, shot(ini("scaleMode=0"), "--output 1280x960")));
    EXPECT_TRUE(same(small, shot(ini(""), "--output 1000x700")));
}

TEST_F(ScreenTest, AnImageDrawnOnScreenZeroTakesTheTextBeforeItAlong) {
    // The line is drawn into screen 0 at window size first, so the whole
    // picture is the window-size one enlarged.
    const std::string body =
        "/curid,1,;\r\n/e,back.bmp,0,0,;\r\n/allblt,;\r\n吾輩は猫である。\r\n/curid,0,;\r\n"
        "/e,back.bmp,100,10,50,20,;\r\n\r\n/@,;\r\n";  // an empty line shows it
    const Surface small = shot(ini("scaleMode=1"), "", "", "wait-0001.png", body);
    const Surface big = shot(ini("scaleMode=1"), "--output 1280x960", "", "wait-0001.png", body);
    ASSERT_EQ(big.width(), 1280);
    for (int y = 0; y < 960; ++y)
        for (int x = 0; x < 1280; ++x) ASSERT_EQ(big.pixel(x, y), small.pixel(x / 2, y / 2)) << x << "," << y;
}

TEST_F(ScreenTest, WholeMultiplesAndBars) {
    const Surface small = shot(ini(""));
    // clang-format off
    const struct { const char* output; int left, top; int factor; } cases[] = {
        {"1000x700", 180, 110, 1}, {"1300x1000", 10, 20, 2}, {"2000x1000", 360, 20, 2}, {"600x400", 0, 0, 1}};
    // clang-format on
    for (const auto& c : cases) {
        const Surface s = shot(ini("scaleMode=2"), std::string("--output ") + c.output);
        const int w = 640 * c.factor, h = 480 * c.factor;
        for (int y = 0; y < s.height(); y += 3) {
            for (int x = 0; x < s.width(); x += 3) {
                const bool inside = x >= c.left && x < c.left + w && y >= c.top && y < c.top + h;
                const ColorRef expected = inside ? small.pixel((x - c.left) / c.factor, (y - c.top) / c.factor) : kGrey;
                if (y >= c.top + 20 * c.factor && y < c.top + 90 * c.factor) continue;  // the text
                ASSERT_EQ(s.pixel(x, y), expected) << c.output << " " << x << "," << y;
            }
        }
        // The bars end exactly where the picture begins.
        if (c.left > 0) {
            EXPECT_EQ(s.pixel(c.left - 1, c.top + h - 1), kGrey) << c.output;
            EXPECT_NE(s.pixel(c.left, c.top + h - 1), kGrey) << c.output;
            EXPECT_NE(s.pixel(c.left + w - 1, c.top + h - 1), kGrey) << c.output;
            EXPECT_EQ(s.pixel(c.left + w, c.top + h - 1), kGrey) << c.output;
        }
    }
}

TEST_F(ScreenTest, FullscreenBothWaysKeepsThePage) {
    const Surface window = shot(ini(""));
    const std::string body = kPage + "猫\r\n/@,;\r\n犬\r\n/@,;\r\n";
    const std::string toggled = "1000 key alt+enter\n2000 key space\n3000 key f11\n4000 key space\n";
    const std::string plain = "2000 key space\n4000 key space\n";
    // The toggle does not pass the wait, the page stays, and fullscreen fits
    // the picture by default; the prompt goes with the next line.
    const auto run = [&](const std::string& mode, const std::string& input, const char* name) {
        return shot(ini(mode), "--output 1280x960", input, name, body);
    };
    EXPECT_TRUE(same(run("", toggled, "wait-0002.png"), run("scaleMode=1", plain, "wait-0002.png")));
    EXPECT_TRUE(same(run("", toggled, "wait-0003.png"), run("", plain, "wait-0003.png")));
    // Started fullscreen on the 1920 x 1080 display: centred with bars left and right.
    const Surface started = shot(ini("fullscreen=1"));
    ASSERT_EQ(started.width() * 10000 + started.height(), 19201080);
    EXPECT_EQ(started.pixel(239, 1079), kGrey);
    EXPECT_EQ(started.pixel(240, 1079), window.pixel(0, 479));
    EXPECT_TRUE(same(started, shot(ini(""), "--fullscreen")));
    // Switched while the text runs (a line every 300 ms): the lines so far are drawn again at the new size.
    const std::string slow = "[main]\nFirstScenario=s.dat\n[honbun]\nlineSpeed=300\n[screen]\n";
    EXPECT_TRUE(
        same(shot(slow, "--output 1280x960", "150 key alt+enter\n"), shot(slow, "--output 1280x960 --fullscreen")));
    // Esc still ends the engine in fullscreen, while waiting.
    EXPECT_EQ(trace(ini("fullscreen=1"), "500 key esc\n", "/@,;\r\na\r\n"), "0|s.dat:2: /@\n");
    // --output belongs to headless runs and takes a size.
    for (const char* options : {"--headless --output 640", "--headless --output 0x480", "--output 640x480"}) {
        EXPECT_EQ(q.run(std::string("./qRun ") + options), 2) << options;
        EXPECT_NE(q.err.find("--output"), std::string::npos) << q.err;
    }
}

TEST_F(ScreenTest, MouseAndControllerPassWaits) {
    const std::string body = "/@,;\r\na\r\n/@,;\r\nb\r\n/@,;\r\nc\r\n";
    const std::string one = "0|s.dat:2: /@\ns.dat:3: a\ns.dat:4: /@\n", none = "0|s.dat:2: /@\n";
    const std::string two = one + "s.dat:5: b\ns.dat:6: /@\n";
    const std::string all = "0|s.dat:2: /@\ns.dat:3: a\ns.dat:4: /@\ns.dat:5: b\ns.dat:6: /@\ns.dat:7: c\n";
    // clang-format off
    const struct { const char* keywait; const char* input; const std::string& expected; } cases[] = {
        {"", "100 click 5 5\n200 wheel down\n", none},                       // not asked for: clicks drag
        {"mouseAdvance=1", "100 click 5 5\n", one},
        {"mouseAdvance=1", "100 drag 5 5 10 10\n200 drag 5 5 10 5\n", none},      // moved: a drag, not a click
        {"mouseAdvance=1", "100 drag 5 5 9 1\n", one},                         // within 4 pixels
        {"mouseAdvance=1", "100 wheel up\n200 wheel down\n", one},
        {"mouseAdvance=1", "100 right-click 5 5\n200 key esc\n", none},       // Esc ends it; the right button did not
        {"mouseAdvance=2", "100 right-click 5 5\n200 click 5 5\n", none},
        {"mouseAdvance=3", "100 click 5 5\n", none},
        {"", "100 pad a\n200 pad b\n", two},                                     // B is Z too
        {"", "100 down pad-b\n", all},                                           // held: runs through
        {"", "100 down pad-a\n", one},                                           // A is Space: no repeats
        {"", "100 pad back\n200 pad a\n", none},
        {"", "100 key f11\n200 key alt+enter\n300 key enter\n", one},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(trace(ini("", "", c.keywait), c.input, body), c.expected) << c.keywait << "\n" << c.input;
    }
}

}  // namespace
}  // namespace qt::engine::test
