// The image, sound, curid, iro and next commands.
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

using platform::ColorRef;
constexpr ColorRef M = 0xFF00FF, R = 0x0000FF, G = 0x00FF00, B = 0xFF0000, W = 0xFFFFFF, K = 0;

using qt::test::bmp24;

class CommandsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder.write("img.bmp", bmp24(3, 2, {R, M, G, B, W, R}));
        folder.write("a.wav", platform::test::wavFile(100));
    }
    void playBlack(const std::string& body, const std::string& ini = "") {
        play(body, "[honbun]\nlineSpeed=0\n" + ini + "[screen]\nClearColor=&H000000\n");
    }
    std::vector<ColorRef> block(int id, int w, int h) {
        std::vector<ColorRef> out;
        for (int i = 0; i < w * h; ++i) out.push_back(screen(id).pixel(i % w, i / w));
        return out;
    }
};

TEST_F(CommandsTest, ImageForms) {
    // clang-format off
    struct Case { std::string command; int w, h; std::vector<ColorRef> expected; };
    const Case cases[] = {
        {"/e,img.bmp,;", 4, 3, {R, M, G, K, B, W, R, K, K, K, K, K}},
        {"/e,img.bmp,1,1,;", 4, 3, {K, K, K, K, K, R, M, G, K, B, W, R}},
        {"/e,img.bmp,0,0,,,&HFF00FF,;", 4, 2, {R, K, G, K, B, W, R, K}},
        {"/e,img.bmp,0,0,,,-2,;", 4, 2, {R, M, G, K, B, W, R, K}},
        {"/e,img.bmp,0,0,200%,100%,-2,;", 7, 2, {R, R, M, M, G, G, K, B, B, W, W, R, R, K}},
        {"/e,img.bmp,0,0,%,%,-2,;", 2, 1, {K, K}}, {"/e,img.bmp,0,0,50%,50%,-2,;", 2, 1, {R, K}},  // 1.5: cut to 1
        {"/e,img.bmp,3,0,-3,2,-2,;", 4, 2, {G, M, R, K, R, W, B, K}},  // mirrored
        {"/e,img.bmp,3,0,-3,2,,;", 4, 2, {K, K, K, K, K, K, K, K}},     // transparent: nothing
        {"/e,img.bmp,0,0,2,2,-2,1,0,;", 3, 2, {M, G, K, W, R, K}},       // source from (1, 0)
        {"/e,img.bmp,0,0,1,2,-2,2,0,1,2,;", 2, 2, {G, K, R, K}},         // 1 x 2 from (2, 0)
    };
    // clang-format on
    for (const Case& c : cases) {
        playBlack(c.command + "\r\n");
        EXPECT_EQ(boxes(), "") << c.command;
        EXPECT_EQ(block(2, c.w, c.h), c.expected) << c.command;
    }
    // Fitted: both f fill the current screen, f alone takes its width.
    playBlack("/curid,1,;\r\n/e,img.bmp,0,0,f,f,-2,;\r\n/curid,0,;\r\n/e,img.bmp,0,0,f,,-2,;\r\n");
    EXPECT_EQ(std::vector<ColorRef>(
                  {screen(1).pixel(319, 239), screen(1).pixel(160, 0), screen(0).pixel(639, 1), screen(0).pixel(0, 2)}),
              std::vector<ColorRef>({R, M, R, K}));
}

TEST_F(CommandsTest, ImageFailures) {
    playBlack(
        "/e,img.bmp,1,;\r\n/e,img.bmp,1,2,3,;\r\n/e,img.bmp,1,2,3,4,5,6,;\r\n/e,img.bmp,1,2,3,4,5,6,7,8,;\r\n"
        "/e,nothing.bmp,;\r\n/e,;\r\n/e,,;\r\nx\r\n");
    std::string expected;
    const std::string count = " | /eの引数の個数が異常です\n",
                      load = " | 画像の読み込みに失敗しました。\nファイルパスを間違えていないか確認してください\n> ";
    for (const std::string& t :
         std::vector<std::string>{"2" + count, "3" + count, "4" + count, "5" + count, "6" + load + "nothing.bmp\n",
                                  "6 | 読込失敗 /e\n", "7" + count, "8" + load + "\n", "8 | 読込失敗 /e\n"}) {
        expected += "エラー　s.dat　LINE:" + t;
    }
    EXPECT_EQ(boxes(), expected);
    EXPECT_EQ(block(2, 3, 2), std::vector<ColorRef>(6, K));
    EXPECT_TRUE(interpreter->atEnd());
}

TEST_F(CommandsTest, CuridIroAndComposition) {
    playBlack(
        "/curid,3,;\r\n/curid,1.9,;\r\n/iro,&HFF0000,;\r\n/iro,1,2,;\r\n/curid,2,;\r\n/e,img.bmp,;\r\n"
        "/allblt,;\r\n/curid,-2,;\r\n/iro,&H00FF00,;\r\n/curid,;\r\n/iro,&HFFFFFF,;\r\n/@,;\r\n",
        "darkBackRECT=-1,,0,,0,,0,,0\n");
    EXPECT_EQ(boxes(),
              "エラー　s.dat　LINE:2 | ID指定が異常です /curID\nエラー　s.dat　LINE:5 | 引数の個数が異常です\t/iro\n");
    EXPECT_EQ(engine->screens.curID, 0);
    EXPECT_EQ(screen(1).pixel(319, 239), B);
    EXPECT_EQ(screen(-1).pixel(1, 0), M);  // magenta is an ordinary colour here
    EXPECT_EQ(screen(-1).pixel(6, 0), B);  // the clear colour shows the background
    EXPECT_EQ(screen(-2).pixel(319, 239), G);
    EXPECT_EQ(screen(0).pixel(639, 479), W);  // the window size on the presentation screen
}

TEST_F(CommandsTest, SoundChannels) {
    playBlack("/bgm,a.wav,;\r\n/se,a.wav,;\r\n/@,;\r\n");
    EXPECT_TRUE(interpreter->music()->isPlaying() && interpreter->effect()->isPlaying());
    playBlack("/bgm,a.wav,;\r\n/bgm,:stop,;\r\n/se,a.wav,1,;\r\n/se,:stop,;\r\n/se,:play,;\r\n/@,;\r\n");
    EXPECT_TRUE(interpreter->music()->isOpen() && !interpreter->music()->isPlaying());
    EXPECT_TRUE(interpreter->effect()->isPlaying());
    folder.write("broken.ogg", "OggS not really");
    playBlack(
        "/bgm,a.wav,;\r\n/bgm,:STOP,;\r\n/bgm,:pause,;\r\n/se,a.wav,;\r\n/se,stop,;\r\n/se,:play,;\r\n"
        "/bgm,broken.ogg,;\r\n/se,;\r\n/@,;\r\n");
    std::string expected;
    for (const char* t :
         {"3 | コマンドが異常です。[音関連命令", "4 | コマンドが異常です。[音関連命令",
          "6 | ファイルが開けません [音関連命令\n> stop", "8 | ファイルが開けません [音関連命令\n> broken.ogg",
          "9 | ファイルが開けません [音関連命令\n> "}) {
        expected += std::string("エラー　s.dat　LINE:") + t + "\n";
    }
    EXPECT_EQ(boxes(), expected);
    EXPECT_FALSE(interpreter->music()->isOpen() || interpreter->effect()->isOpen());
}

TEST_F(CommandsTest, NextKeepsTextPositionScreenAndMusic) {
    std::filesystem::create_directory(folder.file("sub"));
    std::filesystem::create_directory(folder.file("dir"));
    folder.write("sub/b.dat", kHeader + "b\r\n/next,dir,;\r\nnot reached\r\n");
    playBlack("/bgm,a.wav,;\r\na\r\n/curid,1,;\r\n/next,nothing.dat,;\r\n/next,sub\\b.dat,;\r\n");
    EXPECT_EQ(trace(),
              "s.dat:2: /bgm\ns.dat:3: a\ns.dat:4: /curid\ns.dat:5: /next\ns.dat:6: /next\n"
              "sub\\b.dat:2: b\nsub\\b.dat:3: /next\n");
    EXPECT_EQ(boxes(),
              "エラー　s.dat　LINE:5 | 指定のファイルパスは無効です\t/next\n"
              "エラー　dir　LINE:1 | プリプロセッサ済みシナリオファイルでは無いようです\n");
    EXPECT_EQ(engine->honbun.curY, 24 + 2 * 40);
    EXPECT_EQ(engine->screens.curID, 1);
    EXPECT_TRUE(interpreter->music()->isPlaying());
    EXPECT_TRUE(interpreter->atEnd());
}

}  // namespace
}  // namespace qt::engine::test
