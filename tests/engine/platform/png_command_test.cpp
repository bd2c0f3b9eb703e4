// /e with PNG pictures: told from BMPs by their bytes, see-through where less than half opaque.
#include "engine/engine_test_support.h"
#include "png_file.h"

namespace qt::engine::test {
namespace {

using platform::ColorRef;
constexpr ColorRef G = 0x00FF00, R = 0x0000FF, B = 0xFF0000, W = 0xFFFFFF;

class PngCommandTest : public EngineTest {};

TEST_F(PngCommandTest, SeeThroughPixelsTakeTheClearColour) {
    // White, and white at alpha 0.
    const std::string png =
        qt::test::pngFile({2, 1, PNG_COLOR_TYPE_RGBA, 8, false, {255, 255, 255, 255, 255, 255, 255, 0}});
    folder.write("pic.png", png);
    folder.write("named.bmp", png);
    folder.write("bad.png", png.substr(0, png.size() - 20));
    play(
        "/curid,1,;\r\n/iro,&HFF0000,;\r\n/curid,2,;\r\n/iro,&H0000FF,;\r\n/e,pic.png,0,0,,,-2,;\r\n"
        "/e,named.bmp,2,0,;\r\n/e,bad.png,;\r\n/allblt,;\r\n/@,;\r\n",
        "[honbun]\nlineSpeed=0\ndarkBackRECT=-1,,0,,0,,0,,0\n[screen]\nClearColor=&H00FF00\n");
    EXPECT_EQ(boxes(),
              "エラー　s.dat　LINE:8 | "
              "画像の読み込みに失敗しました。\nファイルパスを間違えていないか確認してください\n> bad.png\n"
              "エラー　s.dat　LINE:8 | 読込失敗 /e\n");
    // An opaque copy writes the clear colour; a transparent one leaves the pixel alone.
    const std::vector<ColorRef> foreground{screen(2).pixel(0, 0), screen(2).pixel(1, 0), screen(2).pixel(2, 0),
                                           screen(2).pixel(3, 0), screen(2).pixel(4, 0)};
    EXPECT_EQ(foreground, std::vector<ColorRef>({W, G, W, R, R}));
    // The clear colour shows the background.
    const std::vector<ColorRef> composed{screen(-1).pixel(0, 0), screen(-1).pixel(1, 0), screen(-1).pixel(3, 0)};
    EXPECT_EQ(composed, std::vector<ColorRef>({W, B, R}));
}

}  // namespace
}  // namespace qt::engine::test
