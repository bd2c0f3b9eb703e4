// Virtual screens, darkening, compositing and the stretch to the window.
#include <array>

#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

using platform::ColorRef;
constexpr ColorRef M = 0xFF00FF;

class ScreensTest : public EngineTest {};

TEST_F(ScreensTest, UserScreenCountIsCorrected) {
    const std::string fewer = "memoryDCsクラス | ユーザー仮想画面の数が少ない\n2 以上必要\n";
    // clang-format off
    const std::tuple<int32_t, int16_t, std::string> cases[] = {
        {2, 2, ""}, {3, 3, ""}, {1, 2, fewer}, {0, 2, fewer}, {-5, 2, fewer}, {65539, 3, ""}, {40000, 2, fewer}};
    // clang-format on
    for (const auto& [asked, made, box] : cases) {
        makeScreens(4, 3, 8, 6, asked);
        EXPECT_EQ(engine->screens.count(), made) << asked;
        EXPECT_EQ(boxes(), box) << asked;
        for (int id = -2; id <= made; ++id) EXPECT_EQ(screen(id).pixel(id == 0 ? 7 : 3, 2), M) << id;
    }
    EXPECT_EQ(engine->screens.getDC(3), nullptr);
    EXPECT_EQ(engine->screens.getDC(-3), nullptr);
    EXPECT_EQ(
        boxes(),
        fewer + "エラー　　LINE:0 | 仮想画面IDが範囲外です\n> 3\nエラー　　LINE:0 | 仮想画面IDが範囲外です\n> -3\n");
    using Size = std::pair<int32_t, int32_t>;
    EXPECT_EQ(engine->screens.getScreenSize(99), Size(4, 3));
    engine->screens.curID = 0;
    EXPECT_EQ(engine->screens.getScreenSize(kCurrentScreen), Size(8, 6));
}

TEST_F(ScreensTest, ScreensThatCannotBeMadeGoThroughErrexit) {
    // clang-format off
    const std::tuple<int, int, int, std::string> cases[] = {
        {0, 3, 6, "-1 (0x3)"}, {4, 3, 0, "0 (8x0)"}, {2000000000, 2000000000, 6, "-1 (2000000000x2000000000)"},
        {4000, 4000, 6, ""}};  // 32767 screens of 64 MB: more than the machine has
    // clang-format on
    for (const auto& [sw, sh, wh, what] : cases) {
        makeScreens(sw, sh, 8, wh, what.empty() ? 32767 : 2);
        EXPECT_FALSE(engine->screens.built());
        EXPECT_EQ(boxes(), what.empty() ? "errexit() | メモリ確保失敗 [memoryDCsクラス]\n"
                                        : "errexit() | 仮想画面の作成に失敗 [memoryDCsクラス]\n> " + what + "\n");
        EXPECT_EQ(backend->boxes()[0].icon, platform::BoxIcon::stop);
        EXPECT_EQ(backend->tickCount(), 0u);  // answered at once
        EXPECT_FALSE(backend->windowExists());
        EXPECT_EQ(engine->screens.getDC(1), nullptr);
    }
}

TEST_F(ScreensTest, DarkeningShiftsEachColourByteAndClearsTheFourth) {
    // clang-format off
    const std::pair<int32_t, ColorRef> cases[] = {{0, 0x80C0FF}, {1, 0x40607F}, {2, 0x20303F}, {7, 0x010101},
                                                  {8, 0}, {31, 0}, {32, 0x80C0FF}, {33, 0x40607F}, {-31, 0x40607F}};
    // clang-format on
    for (const auto& [shift, expected] : cases) {
        makeScreens(6, 5, 6, 5);
        platform::Surface& comp = screen(-1);
        platform::fillRect(comp, 0, 0, 6, 5, 0x80C0FF);
        comp.bits()[3] = comp.bits()[(2 * 6 + 1) * 4 + 3] = 0x55;  // fourth bytes of (0,0) and (1,2)
        darkHonbun(*engine, 1, 2, 4, 3, shift);
        for (int i = 0; i < 6 * 5; ++i) {
            const int x = i % 6, y = i / 6;
            const bool inside = x >= 1 && x <= 4 && y >= 2 && y <= 3;
            EXPECT_EQ(comp.pixel(x, y), inside ? expected : 0x80C0FFu) << shift << " " << x << "," << y;
        }
        EXPECT_EQ(comp.fourth(1, 2) * 256 + comp.fourth(0, 0), 0x55);
    }
    // Corners inclusive and in order, inside the screen; otherwise a report.
    // clang-format off
    const std::array<int32_t, 5> rects[] = {{0, 0, 5, 4, 1}, {2, 2, 2, 2, 1}, {0, 0, 6, 4, 0}, {0, 0, 5, 5, 0},
                                            {3, 0, 2, 4, 0}, {0, 3, 5, 2, 0}, {0, -1, 5, 4, 0}, {-1, 0, 5, 4, 0}};
    // clang-format on
    for (const auto& r : rects) {
        makeScreens(6, 5, 6, 5);
        darkHonbun(*engine, r[0], r[1], r[2], r[3], 2);
        EXPECT_EQ(screen(-1).pixel(2, 2), r[4] ? 0x3F003Fu : M);
        EXPECT_EQ(boxes(), r[4] ? "" : "エラー　　LINE:0 | 仮想画面.darkHonbun] 範囲が異常です\n");
    }
}

TEST_F(ScreensTest, AllbltLayersWithTheClearColourTransparentAndStretches) {
    makeScreens(3, 2, 6, 4);
    platform::fillRect(screen(1), 0, 0, 3, 2, 0x112233);
    screen(1).setPixel(0, 1, M);  // the background's own magenta is no hole
    screen(2).setPixel(1, 0, 0x445566);
    screen(2).setPixel(2, 1, 0);
    allblt(*engine, true);
    const ColorRef expected[2][3] = {{0x112233, 0x445566, 0x112233}, {M, 0x112233, 0}};
    for (int i = 0; i < 6 * 4; ++i) EXPECT_EQ(screen(0).pixel(i % 6, i / 6), expected[i / 12][i % 6 / 2]) << i;
    // Darkened through the composition; the direct form keeps that for the next page.
    engine->honbun.dark = {0, 0, 2, 1, 1};
    allblt(*engine, true);
    EXPECT_EQ(screen(0).pixel(0, 0), 0x081119u);
    allblt(*engine, false);
    EXPECT_EQ(screen(0).pixel(0, 0), 0x112233u);
    restorePresentation(*engine);
    EXPECT_EQ(screen(0).pixel(5, 3), 0u);
    EXPECT_EQ(screen(0).pixel(0, 0), 0x081119u);
}

}  // namespace
}  // namespace qt::engine::test
