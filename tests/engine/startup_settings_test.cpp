// Start-up in a temporary folder: window geometry and every settings key.
#include "engine/core/window_geometry.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class StartupTest : public EngineTest {};

TEST(WindowGeometry, CentredFromTheClientSizeWithArithmeticHalving) {
    struct Case {
        int sw, sh, caption, ww, wh, wp, hp;
        int left, top, cw, ch;
    };
    const Case cases[] = {
        {1920, 1080, 23, 640, 480, 0, 0, 640, 294, 640, 480},
        {1920, 1080, 23, 640, 480, 10, 4, 640, 294, 650, 484},
        {1000, 700, 0, 1001, 701, 0, 0, -1, -1, 1001, 701},
        {800, 600, 5, 800, 600, -3, 0, 0, -1, 797, 600},
    };
    for (const Case& c : cases) {
        platform::DisplayMetrics d;
        d.screenWidth = c.sw;
        d.screenHeight = c.sh;
        d.captionHeight = c.caption;
        const platform::WindowSpec s = windowSpecFor(d, c.ww, c.wh, c.wp, c.hp, "t");
        EXPECT_EQ(s.left, c.left);
        EXPECT_EQ(s.top, c.top);
        EXPECT_EQ(s.clientWidth, c.cw);
        EXPECT_EQ(s.clientHeight, c.ch);
        EXPECT_EQ(s.pictureWidth, c.ww);
        EXPECT_EQ(s.pictureHeight, c.wh);
    }
}

TEST_F(StartupTest, WithoutSettingsFileDefaultsAndTheMissingScenarioReport) {
    makeEngine();
    ASSERT_TRUE(startUp(*engine));
    EXPECT_EQ(cp932ToUtf8(backend->windowSpec().titleCp932), "かすみ Ver0.00002");
    EXPECT_EQ(backend->windowSpec().clientWidth, 640);
    EXPECT_EQ(backend->windowSpec().clientHeight, 480);
    EXPECT_EQ(texts(), std::vector<std::string>{"「最初に読み込むシナリオファイル」が存在しません\n"});
    EXPECT_EQ(captions(), std::vector<std::string>{"errexit()"});
    EXPECT_FALSE(backend->windowExists());
    EXPECT_TRUE(exitCodes.empty());
    EXPECT_EQ(screen(1).pixel(0, 0), 0xFF00FFu);
    EXPECT_EQ(screen(0).width(), 640);
    EXPECT_EQ(screen(1).width(), 320);
    EXPECT_EQ(engine->honbun.lineSpeed, 300);
}

TEST_F(StartupTest, ScreenAndMainKeys) {
    ASSERT_TRUE(start(kHeader,
                      "title=My Game\n[screen]\nscreensizeWidth=100\nscreensizeHeight=50\n"
                      "wincsizeWidth=200\nwincsizeHeight=150\nwincsizeWidthP=10\nwincsizeHeightP=6\n"
                      "ClearColor=&H00ff00\nhUserMDC_num=4\n"));
    EXPECT_EQ(cp932ToUtf8(backend->windowSpec().titleCp932), "My Game");
    EXPECT_EQ(backend->windowSpec().clientWidth, 210);
    EXPECT_EQ(backend->windowSpec().clientHeight, 156);
    EXPECT_EQ(screen(0).width(), 200);
    EXPECT_EQ(screen(4).height(), 50);
    EXPECT_EQ(screen(4).pixel(0, 0), 0x00ff00u);
    EXPECT_TRUE(backend->boxes().empty());
}

TEST_F(StartupTest, ClearColorForms) {
    const std::pair<std::string, uint32_t> cases[] = {
        {"", 0xFF00FF}, {"ClearColor=\n", 0xFF00FF}, {"ClearColor=0\n", 0}, {"ClearColor=255\n", 0xFF},
        {"ClearColor=&H123456\n", 0x123456}};
    for (const auto& [ini, color] : cases) {
        ASSERT_TRUE(start(kHeader, "[screen]\n" + ini));
        EXPECT_EQ(engine->screens.getClearColor(), color) << ini;
        EXPECT_EQ(screen(2).pixel(5, 5), color) << ini;
    }
}

TEST_F(StartupTest, IntegerKeysAreDecimalOnly) {
    ASSERT_TRUE(start(kHeader, "[screen]\nscreensizeWidth=&H140\n"));
    EXPECT_EQ(engine->screenWidth, 0);
    EXPECT_EQ(texts(), std::vector<std::string>{"仮想画面の作成に失敗 [memoryDCsクラス]\n> -1 (0x240)"});
    EXPECT_FALSE(backend->windowExists());
}

TEST_F(StartupTest, MalformedKeyWaitSettingEndsAtOnceWithCodeOne) {
    ASSERT_FALSE(start(kHeader, "[keywait]\nOnColorOffColor=1\n"));
    EXPECT_EQ(exitCodes, std::vector<int>{1});
    EXPECT_FALSE(engine->hasWindow);
    EXPECT_EQ(texts(), std::vector<std::string>{"INI [keywait]\nOnColorOffColorが異常です"});
}

struct HonbunCase {
    std::string ini;
    std::string message;  // empty: accepted
    int32_t baseX = 24, baseY = 24;
    std::string face = "ＭＳ Ｐゴシック";
    int height = 20, weight = 0;
    bool italic = false, underline = false, strikeOut = false, antialiased = false;
    int32_t pitch = 40;
    uint32_t text = 0xffffff, shadow = 0xff0000;
    bool opaque = false;
    uint32_t background = 0;
    int32_t lineSpeed = 300;
    DarkRect dark = {8, 8, 312, 232, 2};
};

TEST_F(StartupTest, HonbunKeys) {
    HonbunCase c;
    std::vector<HonbunCase> cases;
    cases.push_back(c);
    auto with = [&](std::string ini, auto change) {
        HonbunCase x;
        x.ini = std::move(ini);
        change(x);
        cases.push_back(x);
    };
    auto bad = [&](std::string ini, std::string message) {
        HonbunCase x;
        x.ini = std::move(ini);
        x.message = std::move(message);
        cases.push_back(x);
    };
    bad("basePos=24\n", "INI] basePosが異常です");
    bad("basePos=\n", "INI] basePosが異常です");
    bad("basePos=1,,2,,3,,4,,5,,6,,7,,8,,9\n", "INI] basePosが異常です");
    bad("basePos=24\nfontColors=1\n", "INI] basePosが異常です");
    bad("fontSizeStyle=20,,0000\n", "INI] fontSizeStyleが異常です");
    bad("fontColors=1,,2\n", "INI] fontColorsが異常です");
    bad("darkBackRECT=1,,2,,3,,4\n", "INI] darkBackRECTが異常です");
    with("basePos=24,,24,,99\n", [](HonbunCase&) {});
    with("basePos=&H18,,&H10\n", [](HonbunCase& x) {
        x.baseY = 16;
        x.dark.y1 = 0;
    });
    with("basePos=24.9,,-3.9\n", [](HonbunCase& x) {
        x.baseY = -3;
        x.dark.y1 = -19;
    });
    with("basePos=10,,10\n", [](HonbunCase& x) {
        x.baseX = x.baseY = 10;
        x.dark.x1 = x.dark.y1 = -6;
    });
    with("fontFamily=ＭＳ 明朝\n", [](HonbunCase& x) { x.face = "ＭＳ 明朝"; });
    with("fontSizeStyle=20,,7000,,1\n", [](HonbunCase& x) {
        x.weight = 700;
        x.antialiased = true;
    });
    with("fontSizeStyle=16,,7100,,2\n", [](HonbunCase& x) {
        x.height = 16;
        x.pitch = 32;
        x.weight = 700;
        x.italic = true;
    });
    with("fontSizeStyle=12,,0011,,3\n", [](HonbunCase& x) {
        x.height = 12;
        x.pitch = 24;
        x.underline = x.strikeOut = x.antialiased = true;
    });
    // A short style: the missing digits count as 0.
    with("fontSizeStyle=20,,61,,0\n", [](HonbunCase& x) {
        x.weight = 600;
        x.italic = true;
    });
    with("fontSizeStyle=20,,,,0\n", [](HonbunCase&) {});
    with("fontColors=&H000000,,&H80000000,,&Hffffff\n", [](HonbunCase& x) {
        x.text = 0;
        x.shadow = 0x80000000;
        x.opaque = true;
        x.background = 0xffffff;
    });
    with("fontColors=&Hffffff,,&H000000,,&H202020\n", [](HonbunCase& x) {
        x.shadow = 0;
        x.opaque = true;
        x.background = 0x202020;
    });
    with("lineSpeed=0\n", [](HonbunCase& x) { x.lineSpeed = 0; });
    with("darkBackRECT=\n", [](HonbunCase&) {});
    with("darkBackRECT=1,,2,,3,,4,,5\n", [](HonbunCase& x) { x.dark = {1, 2, 3, 4, 5}; });

    for (const HonbunCase& k : cases) {
        ASSERT_TRUE(start(kHeader, "[honbun]\n" + k.ini));
        const HonbunWriter& h = engine->honbun;
        if (!k.message.empty()) {
            EXPECT_EQ(texts(), std::vector<std::string>{k.message}) << k.ini;
            EXPECT_EQ(captions(), std::vector<std::string>{"エラー　　LINE:0"}) << k.ini;
            EXPECT_FALSE(backend->windowExists()) << k.ini;
            EXPECT_TRUE(exitCodes.empty());
            continue;
        }
        EXPECT_TRUE(backend->boxes().empty()) << k.ini;
        EXPECT_TRUE(backend->windowExists()) << k.ini;
        EXPECT_EQ(h.baseX, k.baseX) << k.ini;
        EXPECT_EQ(h.baseY, k.baseY) << k.ini;
        EXPECT_EQ(h.curY, k.baseY) << k.ini;
        EXPECT_EQ(cp932ToUtf8(h.fontRequest.face), k.face) << k.ini;
        EXPECT_EQ(h.fontRequest.height, k.height) << k.ini;
        EXPECT_EQ(h.fontRequest.weight, k.weight) << k.ini;
        EXPECT_EQ(h.fontRequest.italic, k.italic) << k.ini;
        EXPECT_EQ(h.fontRequest.underline, k.underline) << k.ini;
        EXPECT_EQ(h.fontRequest.strikeOut, k.strikeOut) << k.ini;
        EXPECT_EQ(h.fontRequest.antialiased, k.antialiased) << k.ini;
        EXPECT_EQ(h.linePitch, k.pitch) << k.ini;
        EXPECT_EQ(h.textColor, k.text) << k.ini;
        EXPECT_EQ(h.shadowColor, k.shadow) << k.ini;
        EXPECT_EQ(h.opaque, k.opaque) << k.ini;
        if (k.opaque) {
            EXPECT_EQ(h.backgroundColor, k.background) << k.ini;
        }
        EXPECT_EQ(h.lineSpeed, k.lineSpeed) << k.ini;
        EXPECT_EQ(h.dark.x1, k.dark.x1) << k.ini;
        EXPECT_EQ(h.dark.y1, k.dark.y1) << k.ini;
        EXPECT_EQ(h.dark.x2, k.dark.x2) << k.ini;
        EXPECT_EQ(h.dark.y2, k.dark.y2) << k.ini;
        EXPECT_EQ(h.dark.shift, k.dark.shift) << k.ini;
    }
}

}  // namespace
}  // namespace qt::engine::test
