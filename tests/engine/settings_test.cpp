// qRun.ini: list syntax, every key with its default, conversion and check.
#include <cstdio>

#include "engine/rules/split_list.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

TEST(SplitList, Table) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {  // text, fields joined by "|"
        {"", "1:"}, {"24,,24", "2:24|24"}, {"a,,b,,", "3:a|b|"}, {",,,b", "2:|,b"}, {"a,b", "1:a,b"},
        {"1,,2,,3,,4,,5,,6,,7,,8", "8:1|2|3|4|5|6|7|8"}, {"1,,2,,3,,4,,5,,6,,7,,8,,9", "-8:"},
        // A comma after an odd run of lead bytes is the second byte of a character.
        {"\x81,,,x", "2:\x81,|x"}, {"\x81\x81,,x", "2:\x81\x81|x"}, {"\x81\x81\x81,,,x", "2:\x81\x81\x81,|x"}};
    // clang-format on
    for (const auto& [text, expected] : cases) {
        std::string buffer = text;
        char* fields[8] = {};
        const int n = splitList(buffer.data(), 8, fields);
        std::string got = std::to_string(n) + ":";
        for (int i = 0; i < n; ++i) got += std::string(i ? "|" : "") + fields[i];
        EXPECT_EQ(got, expected) << text;
    }
}

TEST(WindowGeometry, CentredFromTheClientSizeWithArithmeticHalving) {
    // clang-format off
    struct Case { int sw, sh, caption, ww, wh, wp, hp, left, top, cw, ch; };
    const Case cases[] = {{1920, 1080, 23, 640, 480, 0, 0, 640, 294, 640, 480},
                          {1920, 1080, 23, 640, 480, 10, 4, 640, 294, 650, 484},
                          {1000, 700, 0, 1001, 701, 0, 0, -1, -1, 1001, 701}};
    // clang-format on
    for (const Case& c : cases) {
        const platform::WindowSpec s = windowSpecFor({c.sw, c.sh, 0, 0, c.caption}, c.ww, c.wh, c.wp, c.hp, "t");
        EXPECT_EQ(std::vector<int>({s.left, s.top, s.clientWidth, s.clientHeight, s.pictureWidth}),
                  std::vector<int>({c.left, c.top, c.cw, c.ch, c.ww}));
    }
}

class SettingsTest : public EngineTest {
protected:
    // The values start-up read, or the reports it made.
    std::string outcome(const std::string& ini) {
        const bool started = start(kHeader, ini);
        if (!backend->boxes().empty()) return boxes() + (started ? "" : "exit 1");
        const HonbunWriter& h = engine->honbun;
        const KeyWaitSettings& k = engine->keyWait;
        const platform::FontRequest& f = h.fontRequest;
        char s[400];
        std::snprintf(s, sizeof s, "%s %d %d %u %x %x|%d,%d %s %d w%d %d%d%d%d %d|%x %x %s|%d|%d,%d,%d,%d,%d|%x",
                      k.viewstr, k.dx, k.dy, k.flashMask, k.onColor, k.offColor, h.baseX, h.baseY,
                      cp932ToUtf8(f.face).c_str(), f.height, f.weight, f.italic, f.underline, f.strikeOut,
                      f.antialiased, h.linePitch, h.textColor, h.shadowColor,
                      h.opaque ? std::to_string(h.backgroundColor).c_str() : "-", h.lineSpeed, h.dark.x1, h.dark.y1,
                      h.dark.x2, h.dark.y2, h.dark.shift, engine->screens.getClearColor());
        return s;
    }
};

TEST_F(SettingsTest, EveryKey) {
    const std::string kw = "KEYWAIT -64 -16 128 ffff 0|";
    const std::string font = "ＭＳ Ｐゴシック 20 w0 0000 40|ffffff ff0000 -|300|";
    const std::string line0 = "エラー　　LINE:0 | ";
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"", kw + "24,24 " + font + "8,8,312,232,2|ff00ff"},
        {"[keywait]\nviewstr=PRESS KEY\nviewstrXY_flasher=65535,,&H18000,,33\nOnColorOffColor=&Hff,,1.9\n",
         "PRESS K -1 -32768 2 ff 1|24,24 " + font + "8,8,312,232,2|ff00ff"},
        {"[keywait]\nviewstrXY_flasher=-8.9,,7.9,,8,,99\n", "KEYWAIT -8 7 0 ffff 0|24,24 " + font + "8,8,312,232,2|ff00ff"},
        {"[keywait]\nviewstrXY_flasher=-64,,-16\n", line0 + "INI [keywait]\nviewstrXY_flasherが異常です\nexit 1"},
        {"[keywait]\nviewstrXY_flasher=\nOnColorOffColor=1\n", line0 + "INI [keywait]\nviewstrXY_flasherが異常です\nexit 1"},
        {"[keywait]\nOnColorOffColor=1,,2,,3,,4,,5\n", line0 + "INI [keywait]\nOnColorOffColorが異常です\nexit 1"},
        {"[screen]\nClearColor=\n", kw + "24,24 " + font + "8,8,312,232,2|ff00ff"},
        {"[screen]\nClearColor=0\n", kw + "24,24 " + font + "8,8,312,232,2|0"},
        {"[screen]\nClearColor=&H123456\nscreensizeWidth=100\nscreensizeHeight=50\n",
         kw + "24,24 " + font + "8,8,92,42,2|123456"},
        {"[honbun]\nbasePos=24,,24,,99\n", kw + "24,24 " + font + "8,8,312,232,2|ff00ff"},
        {"[honbun]\nbasePos=24.9,,-3.9\n", kw + "24,-3 " + font + "8,-19,312,232,2|ff00ff"},
        {"[honbun]\nbasePos=&H0a,,10\n", kw + "10,10 " + font + "-6,-6,312,232,2|ff00ff"},
        {"[honbun]\nbasePos=24\nfontColors=1\n", line0 + "INI] basePosが異常です\n"},
        {"[honbun]\nbasePos=\n", line0 + "INI] basePosが異常です\n"},
        {"[honbun]\nbasePos=1,,2,,3,,4,,5,,6,,7,,8,,9\n", line0 + "INI] basePosが異常です\n"},
        {"[honbun]\nfontFamily=ＭＳ 明朝\nfontSizeStyle=16,,7100,,2\n",
         kw + "24,24 ＭＳ 明朝 16 w700 1000 32|ffffff ff0000 -|300|8,8,312,232,2|ff00ff"},
        {"[honbun]\nfontSizeStyle=12,,0011,,3\n", kw + "24,24 ＭＳ Ｐゴシック 12 w0 0111 24|ffffff ff0000 -|300|8,8,312,232,2|ff00ff"},
        // A short style: the missing digits count as 0.
        {"[honbun]\nfontSizeStyle=20,,61,,0\n", kw + "24,24 ＭＳ Ｐゴシック 20 w600 1000 40|ffffff ff0000 -|300|8,8,312,232,2|ff00ff"},
        {"[honbun]\nfontSizeStyle=20,,,,1\n", kw + "24,24 ＭＳ Ｐゴシック 20 w0 0001 40|ffffff ff0000 -|300|8,8,312,232,2|ff00ff"},
        {"[honbun]\nfontSizeStyle=20,,0000\n", line0 + "INI] fontSizeStyleが異常です\n"},
        {"[honbun]\nfontColors=&H000000,,&H80000000,,&Hffffff\n",
         kw + "24,24 ＭＳ Ｐゴシック 20 w0 0000 40|0 80000000 16777215|300|8,8,312,232,2|ff00ff"},
        {"[honbun]\nfontColors=1,,2\n", line0 + "INI] fontColorsが異常です\n"},
        {"[honbun]\nlineSpeed=0\ndarkBackRECT=\n", kw + "24,24 " + font.substr(0, font.size() - 4) + "0|8,8,312,232,2|ff00ff"},
        {"[honbun]\ndarkBackRECT=1,,2,,3,,4,,5\n", kw + "24,24 " + font + "1,2,3,4,5|ff00ff"},
        {"[honbun]\ndarkBackRECT=1,,2,,3,,4\n", line0 + "INI] darkBackRECTが異常です\n"},
    };
    // clang-format on
    for (const auto& [ini, expected] : cases) {
        EXPECT_EQ(outcome(ini), expected) << ini;
        if (expected.find("INI]") != std::string::npos) {
            EXPECT_FALSE(backend->windowExists()) << ini;
        }
    }
}

TEST_F(SettingsTest, ScreenKeys) {
    ASSERT_TRUE(start(kHeader,
                      "title=My Game\n[screen]\nwincsizeWidth=200\nwincsizeHeight=150\n"
                      "wincsizeWidthP=10\nwincsizeHeightP=6\nhUserMDC_num=4\n"));
    EXPECT_EQ(cp932ToUtf8(backend->windowSpec().titleCp932), "My Game");
    EXPECT_EQ(backend->windowSpec().clientWidth * 1000 + backend->windowSpec().clientHeight, 210156);
    EXPECT_EQ(screen(0).width() * 1000 + screen(4).width(), 200320);
    // Integers are decimal only: a width of 0 cannot be made.
    ASSERT_TRUE(start(kHeader, "[screen]\nscreensizeWidth=&H140\n"));
    EXPECT_EQ(boxes(), "errexit() | 仮想画面の作成に失敗 [memoryDCsクラス]\n> -1 (0x240)\n");
}

}  // namespace
}  // namespace qt::engine::test
