// Settings and files that must not bring the engine down: extreme values,
// a settings file that is a folder or a pipe, pipes where files are
// expected, and the record of message boxes in a long headless run.
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>

#include "common/ini_file.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

class HardeningTest : public EngineTest {};

// Every position is computed wide and drawn clamped; the values read stay.
TEST_F(HardeningTest, ExtremeSettingsDrawWithoutOverflow) {
    const std::string page = "a\r\nb\r\n/allblt,;\r\n/@,;\r\nc\r\n";
    // The dark rectangle's x1 and x2, the pitch, and the position after two lines.
    // clang-format off
    const struct { const char* ini; int32_t x1, x2, pitch; int64_t curY; } cases[] = {
        {"[screen]\nscreensizeWidth=-2147483648\n", 8, INT32_MIN, 40, 24},  // no screens: nothing drawn
        {"[honbun]\nbasePos=-2147483648,,24\n", INT32_MIN, 312, 40, 104},
        {"[honbun]\nbasePos=24,,2147483647\n", 8, 312, 40, INT32_MAX + 80ll},
        {"[honbun]\nbasePos=2147483647,,-2147483648\nfontColors=1,,2,,3\n", INT32_MAX - 16, 312, 40, INT32_MIN + 80ll},
        {"[honbun]\nfontSizeStyle=1073741824,,0000,,0\n", 8, 312, INT32_MAX, 24 + 2ll * INT32_MAX},
        {"[honbun]\nfontSizeStyle=-2147483648,,9999,,255\n", 8, 312, INT32_MIN, 24 + 2ll * INT32_MIN},
        {"[keywait]\nviewstrXY_flasher=32767,,32767,,0\n[screen]\nwincsizeWidth=16384\nwincsizeHeight=1\n", 8, 312, 40, 104},
    };
    // clang-format on
    for (const auto& c : cases) {
        play(page, std::string(c.ini) + "[honbun]\nlineSpeed=0\n");
        const HonbunWriter& h = engine->honbun;
        EXPECT_EQ(std::vector<int64_t>({h.dark.x1, h.dark.x2, h.linePitch, h.curY}),
                  std::vector<int64_t>({c.x1, c.x2, c.pitch, c.curY}))
            << c.ini;
        if (engine->runState == kWaitingForKey) interpreter->keyWait(0, 0, 0);  // the prompt, drawn
        for (int i = 0; i < 100; ++i) engine->honbun.nextLine();                // endless pages at any pitch
    }
}

// A settings file that is a folder or a pipe reads like a missing one.
TEST_F(HardeningTest, SettingsFileThatIsNoFileGivesTheDefaults) {
    for (const bool pipe : {false, true}) {
        std::filesystem::remove_all(folder.file("qRun.ini"));
        ASSERT_EQ(
            pipe ? ::mkfifo(folder.file("qRun.ini").c_str(), 0600) : ::mkdir(folder.file("qRun.ini").c_str(), 0700), 0);
        char value[8];
        readIniString("main", "title", "def", value, sizeof value, "qRun.ini");
        EXPECT_STREQ(value, "def");
        EXPECT_EQ(readIniInt("screen", "wincsizeWidth", 640, "qRun.ini"), 640);
        makeEngine();
        EXPECT_TRUE(startUp(*engine));
        EXPECT_EQ(backend->windowSpec().clientWidth * 1000 + backend->windowSpec().clientHeight, 640480);
        EXPECT_EQ(boxes(), "errexit() | 「最初に読み込むシナリオファイル」が存在しません\n\n");
        EXPECT_TRUE(engine->fatal);
    }
}

// Pipes where an image, a sound or a scenario is expected are files that
// cannot be opened: the command's usual report, and the engine goes on.
TEST_F(HardeningTest, PipesAreNotWaitedOn) {
    for (const char* name : {"p.bmp", "p.wav", "p.dat"}) ASSERT_EQ(::mkfifo(folder.file(name).c_str(), 0600), 0);
    play("/e,p.bmp,;\r\n/se,p.wav,;\r\n/bgm,p.wav,;\r\n/next,p.dat,;\r\n");
    EXPECT_EQ(boxes(),
              "エラー　s.dat　LINE:2 | "
              "画像の読み込みに失敗しました。\nファイルパスを間違えていないか確認してください\n> p.bmp\n"
              "エラー　s.dat　LINE:2 | 読込失敗 /e\n"
              "エラー　s.dat　LINE:3 | ファイルが開けません [音関連命令\n> p.wav\n"
              "エラー　s.dat　LINE:4 | ファイルが開けません [音関連命令\n> p.wav\n"
              "エラー　p.dat　LINE:1 | プリプロセッサ済みシナリオファイルでは無いようです\n");
    EXPECT_TRUE(backend->windowExists());
}

// A scenario that goes to itself with an error each round: the boxes are
// counted, and only the first are kept.
TEST_F(HardeningTest, EndlessErrorsKeepABoundedRecord) {
    testing::internal::CaptureStderr();
    ASSERT_TRUE(start(kHeader + "/nosuch,;\r\n/next,s.dat,;\r\n", "[honbun]\nlineSpeed=0\n"));
    for (int i = 0; i < 20000; ++i) interpreter->step();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(backend->boxes().size(), platform::HeadlessBackend::kKeptBoxes);
    EXPECT_EQ(backend->boxCount(), 10000u);
    EXPECT_EQ(cp932ToUtf8(backend->boxes().back().textCp932), "存在しない命令があります\n/nosuch");
}

}  // namespace
}  // namespace qt::engine::test
