#include "engine/platform/surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "picture.h"

namespace qt::platform {
namespace {

using test::picture;
using test::text;

TEST(SurfaceCreate, SizesAndFill) {
    struct Case {
        int w, h;
        bool ok;
    };
    const Case cases[] = {
        {1, 1, true},     {3, 2, true},     {Surface::kMaxSide, 1, true}, {0, 5, false},
        {5, 0, false},    {-1, 5, false},   {5, -1, false},             {Surface::kMaxSide + 1, 1, false},
        {1, 1 << 30, false}, {INT32_MIN, INT32_MIN, false},
    };
    for (const Case& c : cases) {
        Surface s;
        ASSERT_TRUE(s.create(2, 2, 0));
        EXPECT_EQ(s.create(c.w, c.h, rgb(255, 0, 255)), c.ok) << c.w << "x" << c.h;
        EXPECT_EQ(s.valid(), c.ok);
        if (c.ok) {
            EXPECT_EQ(s.width(), c.w);
            EXPECT_EQ(s.pixel(c.w - 1, c.h - 1), rgb(255, 0, 255));
            EXPECT_EQ(s.fourth(c.w - 1, c.h - 1), 0);
        } else {
            EXPECT_EQ(s.width(), 0);
            EXPECT_EQ(s.height(), 0);
        }
    }
}

TEST(SurfacePixels, ByteOrderAndOutside) {
    Surface s;
    ASSERT_TRUE(s.create(2, 1, 0));
    s.setPixel(1, 0, 0x00332211);  // red 0x11, green 0x22, blue 0x33
    const uint8_t expected[] = {0, 0, 0, 0, 0x33, 0x22, 0x11, 0};
    EXPECT_EQ(0, std::memcmp(s.bits(), expected, 8));
    s.bits()[7] = 0x99;
    EXPECT_EQ(s.pixel(1, 0), 0x00332211u);
    EXPECT_EQ(s.fourth(1, 0), 0x99);
    s.setPixel(2, 0, 0xFFFFFF);
    s.setPixel(-1, 0, 0xFFFFFF);
    s.setPixel(0, 1, 0xFFFFFF);
    EXPECT_EQ(s.pixel(0, 0), 0u);
    EXPECT_EQ(s.pixel(5, 5), 0u);
    EXPECT_EQ(s.pixel(-1, 0), 0u);
}

struct DrawCase {
    const char* name;
    std::function<void(Surface& dst, const Surface& src)> draw;
    std::vector<std::string> expected;
};

void runTable(const std::vector<std::string>& source, const std::vector<std::string>& target,
              const std::vector<DrawCase>& cases) {
    const Surface src = picture(source);
    for (const DrawCase& c : cases) {
        Surface dst = picture(target);
        c.draw(dst, src);
        EXPECT_EQ(text(dst), text(c.expected)) << c.name;
    }
}

TEST(SurfaceDraw, FillRect) {
    const std::vector<std::string> blank = {"....", "....", "...."};
    runTable(blank, blank,
             {
                 {"inside", [](Surface& d, const Surface&) { fillRect(d, 1, 1, 2, 1, test::colorOf('A')); },
                  {"....", ".AA.", "...."}},
                 {"clipped top left", [](Surface& d, const Surface&) { fillRect(d, -1, -1, 3, 2, test::colorOf('B')); },
                  {"BB..", "....", "...."}},
                 {"clipped bottom right", [](Surface& d, const Surface&) { fillRect(d, 3, 2, 9, 9, test::colorOf('C')); },
                  {"....", "....", "...C"}},
                 {"empty", [](Surface& d, const Surface&) { fillRect(d, 1, 1, 0, 5, test::colorOf('C')); },
                  {"....", "....", "...."}},
                 {"negative", [](Surface& d, const Surface&) { fillRect(d, 3, 2, -2, -2, test::colorOf('C')); },
                  {"....", "....", "...."}},
                 {"huge", [](Surface& d, const Surface&) { fillRect(d, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, test::colorOf('D')); },
                  {"....", "....", "...."}},
                 {"whole", [](Surface& d, const Surface&) { fillRect(d, -5, -5, INT32_MAX, INT32_MAX, test::colorOf('D')); },
                  {"DDDD", "DDDD", "DDDD"}},
             });
}

TEST(SurfaceDraw, CopyBlock) {
    runTable({"AB", "CD"}, {"...", "...", "..."},
             {
                 {"at origin", [](Surface& d, const Surface& s) { copyBlock(d, 0, 0, 2, 2, s, 0, 0); },
                  {"AB.", "CD.", "..."}},
                 {"clipped by target", [](Surface& d, const Surface& s) { copyBlock(d, 2, 2, 2, 2, s, 0, 0); },
                  {"...", "...", "..A"}},
                 {"negative target", [](Surface& d, const Surface& s) { copyBlock(d, -1, -1, 2, 2, s, 0, 0); },
                  {"D..", "...", "..."}},
                 {"clipped by source", [](Surface& d, const Surface& s) { copyBlock(d, 0, 0, 3, 3, s, 1, 1); },
                  {"D..", "...", "..."}},
                 {"negative source", [](Surface& d, const Surface& s) { copyBlock(d, 0, 0, 3, 3, s, -1, 0); },
                  {".AB", ".CD", "..."}},
                 {"negative size", [](Surface& d, const Surface& s) { copyBlock(d, 2, 2, -2, -2, s, 0, 0); },
                  {"...", "...", "..."}},
             });
}

TEST(SurfaceDraw, CopyBlockWithinOneSurface) {
    Surface s = picture({"AB..", "CD..", "....", "...."});
    copyBlock(s, 1, 1, 2, 2, s, 0, 0);
    EXPECT_EQ(text(s), text({"AB..", "CAB.", ".CD.", "...."}));
    copyBlock(s, 0, 0, 3, 3, s, 1, 1);
    EXPECT_EQ(text(s), text({"AB..", "CD..", "....", "...."}));
}

TEST(SurfaceDraw, StretchCopy) {
    const std::vector<std::string> blank = {"....", "....", "...."};
    runTable({"AB", "CD"}, blank,
             {
                 {"doubled", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 0, 4, 3, s, 0, 0, 2, 2); },
                  {"AABB", "AABB", "CCDD"}},
                 {"same size", [](Surface& d, const Surface& s) { stretchCopy(d, 1, 1, 2, 2, s, 0, 0, 2, 2); },
                  {"....", ".AB.", ".CD."}},
                 {"shrunk", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 0, 1, 1, s, 0, 0, 2, 2); },
                  {"A...", "....", "...."}},
                 {"mirrored target width", [](Surface& d, const Surface& s) { stretchCopy(d, 4, 0, -4, 2, s, 0, 0, 2, 2); },
                  {"BBAA", "DDCC", "...."}},
                 {"mirrored source width", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 0, 2, 2, s, 2, 0, -2, 2); },
                  {"BA..", "DC..", "...."}},
                 {"both mirrored", [](Surface& d, const Surface& s) { stretchCopy(d, 2, 0, -2, 2, s, 2, 0, -2, 2); },
                  {"AB..", "CD..", "...."}},
                 {"mirrored height", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 3, 2, -3, s, 0, 0, 2, 2); },
                  {"CD..", "CD..", "AB.."}},
                 {"clipped left and bottom", [](Surface& d, const Surface& s) { stretchCopy(d, -2, 1, 4, 4, s, 0, 0, 2, 2); },
                  {"....", "BB..", "BB.."}},
                 {"source beyond its surface", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 0, 4, 2, s, 1, 0, 2, 2); },
                  {"BB..", "DD..", "...."}},
                 {"source left of its surface", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 0, 4, 1, s, -1, 0, 2, 1); },
                  {"..AA", "....", "...."}},
                 {"zero size", [](Surface& d, const Surface& s) { stretchCopy(d, 0, 0, 0, 3, s, 0, 0, 2, 2); },
                  {"....", "....", "...."}},
                 {"huge target", [](Surface& d, const Surface& s) { stretchCopy(d, -1000000000, 0, 2000000000, 3, s, 0, 0, 2, 2); },
                  {"BBBB", "BBBB", "DDDD"}},
             });
}

// The fast paths (block rows, doubling, repeating patterns) against the
// plain rule: target offset i takes source offset i * sourceWidth / width.
TEST(SurfaceDraw, StretchAgreesWithThePlainRuleAtEveryScale) {
    Surface src;
    ASSERT_TRUE(src.create(40, 3, 0));
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 3; ++y) src.setPixel(x, y, rgb(uint8_t(x), uint8_t(y), 7));
    const struct {
        int sw, dw, dx;
    } cases[] = {{40, 40, 0}, {20, 40, 0},  {20, 40, -1}, {16, 24, 0}, {16, 24, -5}, {24, 40, 3},
                 {32, 40, 0}, {12, 36, 2},  {40, 13, 0},  {40, 20, 1}, {7, 61, -9},  {20, -40, 45}};
    for (const auto& c : cases) {
        for (bool transparent : {false, true}) {
            Surface dst;
            ASSERT_TRUE(dst.create(50, 3, rgb(9, 9, 9)));
            if (transparent)
                transparentCopy(dst, c.dx, 0, c.dw, 3, src, 0, 0, c.sw, 3, rgb(5, 1, 7));
            else
                stretchCopy(dst, c.dx, 0, c.dw, 3, src, 0, 0, c.sw, 3);
            if (transparent && c.dw < 0) continue;
            const int w = c.dw < 0 ? -c.dw : c.dw, left = c.dw < 0 ? c.dx + c.dw : c.dx;
            for (int x = 0; x < 50; ++x) {
                ColorRef expected = rgb(9, 9, 9);
                if (x >= left && x < left + w) {
                    int j = (x - left) * c.sw / w;
                    if (c.dw < 0) j = c.sw - 1 - j;
                    if (!(transparent && j == 5)) expected = rgb(uint8_t(j), 1, 7);
                }
                EXPECT_EQ(dst.pixel(x, 1), expected) << c.sw << "->" << c.dw << " at " << c.dx << " x=" << x;
            }
        }
    }
}

TEST(SurfaceDraw, TransparentCopy) {
    runTable({"AM", "xD"}, {"CCCC", "CCCC", "CCCC"},
             {
                 {"magenta left out", [](Surface& d, const Surface& s) { transparentCopy(d, 0, 0, 2, 2, s, 0, 0, 2, 2, rgb(255, 0, 255)); },
                  {"ACCC", "xDCC", "CCCC"}},
                 {"stretched", [](Surface& d, const Surface& s) { transparentCopy(d, 0, 0, 4, 2, s, 0, 0, 2, 2, rgb(255, 0, 255)); },
                  {"AACC", "xxDD", "CCCC"}},
                 {"other colour", [](Surface& d, const Surface& s) { transparentCopy(d, 1, 1, 2, 2, s, 0, 0, 2, 2, rgb(1, 2, 3)); },
                  {"CCCC", "CAMC", "CCDC"}},
                 {"clipped", [](Surface& d, const Surface& s) { transparentCopy(d, 3, 2, 2, 2, s, 0, 0, 2, 2, 0); },
                  {"CCCC", "CCCC", "CCCA"}},
                 {"negative width draws nothing", [](Surface& d, const Surface& s) { transparentCopy(d, 2, 0, -2, 2, s, 0, 0, 2, 2, 0); },
                  {"CCCC", "CCCC", "CCCC"}},
                 {"negative source draws nothing", [](Surface& d, const Surface& s) { transparentCopy(d, 0, 0, 2, 2, s, 2, 0, -2, 2, 0); },
                  {"CCCC", "CCCC", "CCCC"}},
             });
}

TEST(SurfaceDraw, TransparentColourIgnoresFourthByte) {
    Surface src = picture({"MA"});
    src.bits()[3] = 0x7F;  // magenta with a fourth byte set is still transparent
    Surface dst = picture({"CC"});
    transparentCopy(dst, 0, 0, 2, 1, src, 0, 0, 2, 1, rgb(255, 0, 255) | 0xFF000000u);
    EXPECT_EQ(text(dst), text({"CA"}));
}

TEST(SurfaceDraw, InvalidSurfacesAreIgnored) {
    Surface empty;
    Surface dst = picture({"CC"});
    stretchCopy(dst, 0, 0, 2, 1, empty, 0, 0, 2, 1);
    copyBlock(empty, 0, 0, 2, 1, dst, 0, 0);
    fillRect(empty, 0, 0, 1, 1, 0);
    EXPECT_EQ(text(dst), text({"CC"}));
}

}  // namespace
}  // namespace qt::platform
