// The image, sound, curid, next, iro and end commands over small scenarios.
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

using platform::ColorRef;

// A bottom-up 24-bit BMP of the given pixels (0x00BBGGRR, rows top first).
std::string bmp24(int w, int h, const std::vector<ColorRef>& pixels) {
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(stride * h);
    std::string b = "BM";
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(w));
    u32(static_cast<uint32_t>(h));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const ColorRef c = pixels[static_cast<size_t>(y * w + x)];
            b += static_cast<char>((c >> 16) & 0xFF);
            b += static_cast<char>((c >> 8) & 0xFF);
            b += static_cast<char>(c & 0xFF);
        }
        b.append(static_cast<size_t>(stride - w * 3), '\0');
    }
    return b;
}

// A short silent 8-bit mono WAV.
std::string wav() {
    std::string w = "RIFF";
    const uint32_t samples = 800;
    auto u32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) w += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](uint16_t v) {
        w += static_cast<char>(v & 0xFF);
        w += static_cast<char>(v >> 8);
    };
    u32(36 + samples);
    w += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(8000);
    u32(8000);
    u16(1);
    u16(8);
    w += "data";
    u32(samples);
    w.append(samples, static_cast<char>(0x80));
    return w;
}

constexpr ColorRef M = 0xFF00FF, R = 0x0000FF, G = 0x00FF00, B = 0xFF0000, W = 0xFFFFFF;

class CommandsTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        // 3 x 2: red, magenta, green / blue, white, red
        folder.write("img.bmp", bmp24(3, 2, {R, M, G, B, W, R}));
    }

    // Runs `body` (UTF-8, stored CP932) until the end or a wait.
    void play(const std::string& body, const std::string& ini = "") {
        ASSERT_TRUE(start(kHeader + utf8ToCp932(body),
                          "[honbun]\nlineSpeed=0\n[screen]\nClearColor=&H000000\n" + ini));
        for (int i = 0; i < 100 && engine->runState == kRunning && backend->windowExists() &&
                        !interpreter->atEnd();
             ++i) {
            interpreter->step();
        }
    }

    // The top-left w x h pixels of a screen, rows joined.
    std::vector<ColorRef> block(int id, int w, int h) {
        std::vector<ColorRef> out;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) out.push_back(screen(id).pixel(x, y));
        }
        return out;
    }
};

constexpr ColorRef K = 0x000000;  // the clear colour of these tests

TEST_F(CommandsTest, ImageForms) {
    struct Case {
        std::string command;
        int w, h;
        std::vector<ColorRef> expected;
    };
    const Case cases[] = {
        {"/e,img.bmp,;", 4, 3, {R, M, G, K, B, W, R, K, K, K, K, K}},
        {"/e,img.bmp,1,1,;", 4, 3, {K, K, K, K, K, R, M, G, K, B, W, R}},
        {"/e,img.bmp,0,0,,,&HFF00FF,;", 4, 3, {R, K, G, K, B, W, R, K, K, K, K, K}},
        {"/e,img.bmp,0,0,,,&H0000FF,;", 4, 3, {K, M, G, K, B, W, K, K, K, K, K, K}},
        {"/e,img.bmp,0,0,,,-2,;", 4, 3, {R, M, G, K, B, W, R, K, K, K, K, K}},
        {"/e,img.bmp,0,0,200%,100%,-2,;", 7, 2, {R, R, M, M, G, G, K, B, B, W, W, R, R, K}},
        {"/e,img.bmp,0,0,6,,-2,;", 7, 2, {R, R, M, M, G, G, K, B, B, W, W, R, R, K}},
        {"/e,img.bmp,0,0,%,%,-2,;", 2, 1, {K, K}},
        {"/e,img.bmp,0,0,-3,2,-2,;", 1, 1, {K}},
        // Part of the image: from (1, 0), and 1 x 2 from (2, 0).
        {"/e,img.bmp,0,0,2,2,-2,1,0,;", 3, 2, {M, G, K, W, R, K}},
        {"/e,img.bmp,0,0,1,2,-2,2,0,1,2,;", 2, 2, {G, K, R, K}},
    };
    for (const Case& c : cases) {
        play(c.command + "\r\n");
        EXPECT_TRUE(backend->boxes().empty()) << c.command;
        EXPECT_EQ(block(2, c.w, c.h), c.expected) << c.command;
    }
}

TEST_F(CommandsTest, OpaqueCopyWithNegativeWidthMirrors) {
    play("/e,img.bmp,3,0,-3,2,-2,;\r\n");
    EXPECT_EQ(block(2, 4, 2), (std::vector<ColorRef>{G, M, R, K, R, W, B, K}));
}

TEST_F(CommandsTest, ImageFitsTheCurrentScreen) {
    play("/curid,1,;\r\n/e,img.bmp,0,0,f,f,-2,;\r\n/curid,0,;\r\n/e,img.bmp,0,0,f,,-2,;\r\n");
    EXPECT_EQ(screen(1).pixel(0, 0), R);
    EXPECT_EQ(screen(1).pixel(319, 239), R);
    EXPECT_EQ(screen(1).pixel(160, 0), M);
    EXPECT_EQ(screen(0).pixel(639, 1), R);  // window width, image height
    EXPECT_EQ(screen(0).pixel(0, 2), engine->screens.getClearColor());
}

TEST_F(CommandsTest, ImageFailures) {
    play("/e,img.bmp,1,;\r\n/e,img.bmp,1,2,3,;\r\n/e,img.bmp,1,2,3,4,5,6,;\r\n"
         "/e,img.bmp,1,2,3,4,5,6,7,8,;\r\n/e,nothing.bmp,;\r\n/e,;\r\n/e,,;\r\nx\r\n");
    const std::string count = "/eの引数の個数が異常です";
    const std::string load = "画像の読み込みに失敗しました。\nファイルパスを間違えていないか確認してください\n> ";
    EXPECT_EQ(texts(), (std::vector<std::string>{count, count, count, count, load + "nothing.bmp",
                                                 "読込失敗 /e", count, load, "読込失敗 /e"}));
    EXPECT_EQ(captions()[4], "エラー　s.dat　LINE:6");
    EXPECT_EQ(block(2, 3, 2), std::vector<ColorRef>(6, K));
    EXPECT_TRUE(interpreter->atEnd());
}

TEST_F(CommandsTest, IroAndAllbltShowTheBackgroundThroughTheClearColour) {
    play("/curid,1,;\r\n/iro,&HFF0000,;\r\n/curid,2,;\r\n/e,img.bmp,;\r\n/allblt,;\r\n",
         "[honbun]\ndarkBackRECT=-1,,0,,0,,0,,0\n");
    EXPECT_EQ(screen(0).pixel(0, 0), R);
    EXPECT_EQ(screen(0).pixel(2, 0), M);  // magenta is an ordinary colour here
    EXPECT_EQ(screen(0).pixel(6, 0), B);  // the clear colour shows the background
    EXPECT_EQ(screen(0).pixel(639, 479), B);
}

TEST_F(CommandsTest, SoundChannels) {
    folder.write("a.wav", wav());
    folder.write("b.wav", wav());
    play("/bgm,a.wav,;\r\n/se,b.wav,;\r\n/@,;\r\n");
    ASSERT_NE(interpreter->music(), nullptr);
    EXPECT_TRUE(interpreter->music()->isPlaying());
    EXPECT_TRUE(interpreter->effect()->isPlaying());
    EXPECT_TRUE(backend->boxes().empty());

    play("/bgm,a.wav,;\r\n/bgm,:stop,;\r\n/se,b.wav,1,;\r\n/se,:stop,;\r\n/se,:play,;\r\n/@,;\r\n");
    EXPECT_TRUE(interpreter->music()->isOpen());
    EXPECT_FALSE(interpreter->music()->isPlaying());
    EXPECT_TRUE(interpreter->effect()->isPlaying());

    play("/bgm,a.wav,;\r\n/bgm,:STOP,;\r\n/bgm,:pause,;\r\n/se,b.wav,;\r\n/se,stop,;\r\n/se,:play,;\r\n"
         "/bgm,nothing.ogg,;\r\n/se,;\r\n/@,;\r\n");
    const std::string bad = "コマンドが異常です。[音関連命令";
    const std::string open = "ファイルが開けません [音関連命令\n> ";
    EXPECT_EQ(texts(), (std::vector<std::string>{bad, bad, open + "stop", open + "nothing.ogg", open}));
    EXPECT_FALSE(interpreter->music()->isOpen());
    EXPECT_FALSE(interpreter->effect()->isOpen());
}

TEST_F(CommandsTest, UnreadableSoundFileLeavesTheChannelClosed) {
    folder.write("a.wav", wav());
    folder.write("broken.ogg", "OggS not really");
    play("/bgm,a.wav,;\r\n/bgm,broken.ogg,;\r\n/@,;\r\n");
    EXPECT_EQ(texts(), std::vector<std::string>{"ファイルが開けません [音関連命令\n> broken.ogg"});
    EXPECT_FALSE(interpreter->music()->isOpen());
}

TEST_F(CommandsTest, NextKeepsTheTextPositionAndTheMusic) {
    folder.write("a.wav", wav());
    std::filesystem::create_directory(folder.file("sub"));
    folder.write("sub/b.dat", kHeader + "b\r\n/@,;\r\n");
    play("/bgm,a.wav,;\r\na\r\n/curid,1,;\r\n/next,sub\\b.dat,;\r\n");
    EXPECT_STREQ(interpreter->fileName(), "sub\\b.dat");
    EXPECT_EQ(interpreter->lineNumber(), 4);
    EXPECT_EQ(engine->honbun.curY, 24 + 2 * 40);
    EXPECT_EQ(engine->screens.curID, 1);
    EXPECT_TRUE(interpreter->music()->isPlaying());
}

TEST_F(CommandsTest, NextToAFolderEndsTheScenario) {
    std::filesystem::create_directory(folder.file("dir"));
    play("/next,dir,;\r\nnot reached\r\n");
    EXPECT_TRUE(interpreter->atEnd());
    EXPECT_EQ(texts(), std::vector<std::string>{"プリプロセッサ済みシナリオファイルでは無いようです"});
    EXPECT_EQ(captions()[0], "エラー　dir　LINE:1");
}

}  // namespace
}  // namespace qt::engine::test
