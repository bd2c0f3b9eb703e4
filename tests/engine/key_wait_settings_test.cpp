#include "engine/core/key_wait_settings.h"

#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class KeyWaitSettingsTest : public EngineTest {};

TEST_F(KeyWaitSettingsTest, ValuesAndChecks) {
    struct Case {
        std::string ini;
        bool ok;
        std::string message;  // box text when malformed
        std::string viewstr;
        int dx, dy, mask;
        uint32_t on, off;
    };
    const std::string xyBad = "INI [keywait]\nviewstrXY_flasherが異常です";
    const std::string colorBad = "INI [keywait]\nOnColorOffColorが異常です";
    const Case cases[] = {
        {"", true, "", "KEYWAIT", -64, -16, 128, 0x00ffff, 0},
        {"viewstr=PRESS KEY\n", true, "", "PRESS K", -64, -16, 128, 0x00ffff, 0},
        {"viewstrXY_flasher=-64,,-16,,8\n", true, "", "KEYWAIT", -64, -16, 0, 0x00ffff, 0},
        {"viewstrXY_flasher=10,,20,,0,,99\n", true, "", "KEYWAIT", 10, 20, 1, 0x00ffff, 0},
        {"viewstrXY_flasher=65535,,&H18000,,33\n", true, "", "KEYWAIT", -1, -32768, 2, 0x00ffff, 0},
        {"viewstrXY_flasher=-8.9,,7.9,,39\n", true, "", "KEYWAIT", -8, 7, 128, 0x00ffff, 0},
        {"viewstrXY_flasher=-64,,-16\n", false, xyBad, "", 0, 0, 0, 0, 0},
        {"viewstrXY_flasher=1,,2,,3,,4,,5\n", false, xyBad, "", 0, 0, 0, 0, 0},
        {"viewstrXY_flasher=\n", false, xyBad, "", 0, 0, 0, 0, 0},
        {"OnColorOffColor=&H0000ff,,&H00ff00\n", true, "", "KEYWAIT", -64, -16, 128, 0xff, 0xff00},
        {"OnColorOffColor=&H0000ff,,&H00ff00,,1,,2,,3\n", false, colorBad, "", 0, 0, 0, 0, 0},
        {"OnColorOffColor=&H0000ff\n", false, colorBad, "", 0, 0, 0, 0, 0},
        // The position is checked first.
        {"viewstrXY_flasher=1\nOnColorOffColor=1\n", false, xyBad, "", 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        writeIni("[keywait]\n" + c.ini);
        makeEngine();
        EXPECT_EQ(readKeyWaitSettings(*engine), c.ok) << c.ini;
        if (!c.ok) {
            EXPECT_EQ(texts(), std::vector<std::string>{c.message}) << c.ini;
            EXPECT_EQ(captions(), std::vector<std::string>{"エラー　　LINE:0"});
            continue;
        }
        EXPECT_TRUE(backend->boxes().empty()) << c.ini;
        const KeyWaitSettings& s = engine->keyWait;
        EXPECT_STREQ(s.viewstr, c.viewstr.c_str()) << c.ini;
        EXPECT_EQ(s.dx, c.dx) << c.ini;
        EXPECT_EQ(s.dy, c.dy) << c.ini;
        EXPECT_EQ(s.flashMask, c.mask) << c.ini;
        EXPECT_EQ(s.onColor, c.on) << c.ini;
        EXPECT_EQ(s.offColor, c.off) << c.ini;
    }
}

}  // namespace
}  // namespace qt::engine::test
