#include "engine/core/compositing.h"

#include "engine/core/window_geometry.h"
#include "engine_test_support.h"

namespace qt::engine::test {
namespace {

using platform::ColorRef;

constexpr ColorRef kMagenta = 0xFF00FF;

class CompositingTest : public EngineTest {
protected:
    // Screens of sw x sh composed onto a window of ww x wh, without text.
    void makeScreens(int sw, int sh, int ww, int wh, ColorRef clear = kMagenta) {
        makeEngine();
        engine->screenWidth = sw;
        engine->screenHeight = sh;
        engine->windowWidth = ww;
        engine->windowHeight = wh;
        ASSERT_TRUE(backend->createWindow(windowSpecFor(backend->metrics(), ww, wh, 0, 0, "t")));
        engine->hasWindow = true;
        engine->screens.create(*engine, 2, clear);
        ASSERT_TRUE(engine->screens.built());
        engine->honbun.dark = {-1, 0, 0, 0, 2};
    }
};

TEST_F(CompositingTest, DarkeningShiftsEachColourByteAndClearsTheFourth) {
    struct Case {
        int32_t shift;
        ColorRef expected;
    };
    const Case cases[] = {{0, 0x80C0FF}, {1, 0x40607F}, {2, 0x20303F}, {7, 0x010101},
                          {8, 0x000000}, {31, 0x000000}, {32, 0x80C0FF}, {33, 0x40607F},
                          {-31, 0x40607F}};
    for (const Case& c : cases) {
        makeScreens(6, 5, 6, 5);
        platform::Surface& comp = screen(-1);
        platform::fillRect(comp, 0, 0, 6, 5, 0x80C0FF);
        comp.bits()[3] = 0x55;  // fourth byte of (0, 0), outside
        comp.bits()[(2 * 6 + 1) * 4 + 3] = 0x77;  // fourth byte of (1, 2), inside
        darkHonbun(*engine, 1, 2, 4, 3, c.shift);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 6; ++x) {
                const bool inside = x >= 1 && x <= 4 && y >= 2 && y <= 3;
                EXPECT_EQ(comp.pixel(x, y), inside ? c.expected : 0x80C0FFu)
                    << "shift " << c.shift << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(comp.fourth(1, 2), 0);
        EXPECT_EQ(comp.fourth(0, 0), 0x55);
        EXPECT_TRUE(backend->boxes().empty());
    }
}

TEST_F(CompositingTest, DarkRectangleOutsideTheScreenIsReportedAndChangesNothing) {
    struct Rect {
        int32_t x1, y1, x2, y2;
        bool ok;
    };
    const Rect rects[] = {
        {0, 0, 5, 4, true},  {0, 0, 6, 4, false}, {0, 0, 5, 5, false}, {3, 0, 2, 4, false},
        {0, 3, 5, 2, false}, {0, -1, 5, 4, false}, {-1, 0, 5, 4, false}, {2, 2, 2, 2, true},
    };
    for (const Rect& r : rects) {
        makeScreens(6, 5, 6, 5);
        darkHonbun(*engine, r.x1, r.y1, r.x2, r.y2, 2);
        const ColorRef corner = screen(-1).pixel(2, 2);
        if (r.ok) {
            EXPECT_EQ(corner, 0x3F003Fu);
            EXPECT_TRUE(backend->boxes().empty());
        } else {
            EXPECT_EQ(corner, kMagenta);
            EXPECT_EQ(texts(), std::vector<std::string>{"仮想画面.darkHonbun] 範囲が異常です"});
        }
    }
}

TEST_F(CompositingTest, AllbltLayersWithClearColourTransparentAndStretches) {
    makeScreens(3, 2, 6, 4);
    platform::fillRect(screen(1), 0, 0, 3, 2, 0x112233);
    platform::Surface& front = screen(2);
    front.setPixel(1, 0, 0x445566);
    front.setPixel(2, 1, 0x000000);
    // The background's own magenta is no hole.
    screen(1).setPixel(0, 1, kMagenta);
    allblt(*engine, true);

    const ColorRef expected[2][3] = {{0x112233, 0x445566, 0x112233}, {kMagenta, 0x112233, 0}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(screen(0).pixel(x, y), expected[y / 2][x / 2]) << x << "," << y;
        }
    }
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) EXPECT_EQ(screen(-1).pixel(x, y), expected[y][x]);
    }
}

TEST_F(CompositingTest, AllbltDarkensTheTextRectangle) {
    makeScreens(4, 4, 4, 4);
    engine->honbun.dark = {1, 1, 2, 2, 2};
    allblt(*engine, true);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool inside = x >= 1 && x <= 2 && y >= 1 && y <= 2;
            EXPECT_EQ(screen(0).pixel(x, y), inside ? 0x3F003Fu : kMagenta);
        }
    }
}

TEST_F(CompositingTest, DirectAllbltLeavesTheCompositionForTheNextPage) {
    makeScreens(2, 2, 4, 4);
    engine->honbun.dark = {0, 0, 1, 1, 1};
    platform::fillRect(screen(1), 0, 0, 2, 2, 0x808080);
    allblt(*engine, true);
    EXPECT_EQ(screen(0).pixel(0, 0), 0x404040u);
    platform::fillRect(screen(1), 0, 0, 2, 2, 0x202020);
    allblt(*engine, false);
    EXPECT_EQ(screen(0).pixel(3, 3), 0x202020u);  // undarkened, current layers
    restorePresentation(*engine);
    EXPECT_EQ(screen(0).pixel(3, 3), 0x404040u);  // the older composition
}

TEST_F(CompositingTest, StretchToTheWindowTakesEachPixelFromOneSourcePixel) {
    makeScreens(2, 2, 5, 3);
    platform::Surface& comp = screen(-1);
    comp.setPixel(0, 0, 0x000001);
    comp.setPixel(1, 0, 0x000002);
    comp.setPixel(0, 1, 0x000003);
    comp.setPixel(1, 1, 0x000004);
    restorePresentation(*engine);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const ColorRef p = screen(0).pixel(x, y);
            EXPECT_TRUE(p >= 1 && p <= 4) << x << "," << y;  // never blended
        }
    }
    EXPECT_EQ(screen(0).pixel(0, 0), 1u);
    EXPECT_EQ(screen(0).pixel(4, 0), 2u);
    EXPECT_EQ(screen(0).pixel(0, 2), 3u);
    EXPECT_EQ(screen(0).pixel(4, 2), 4u);
}

TEST_F(CompositingTest, RepaintCopiesThePresentationAtOnceAndNewPageDoesNot) {
    makeScreens(2, 2, 4, 4);
    platform::fillRect(screen(0), 0, 0, 4, 4, 0x010203);
    repaintWindow(*engine);
    EXPECT_EQ(backend->clientPicture().pixel(3, 3), 0x010203u);
    EXPECT_FALSE(backend->peekEvent());  // no paint left pending
    engine->honbun.curY = 100;
    engine->honbun.newPage(*engine);
    EXPECT_EQ(engine->honbun.curY, engine->honbun.baseY);
    EXPECT_EQ(screen(0).pixel(3, 3), kMagenta);
    EXPECT_EQ(backend->clientPicture().pixel(3, 3), 0x010203u);
}

}  // namespace
}  // namespace qt::engine::test
