#include "engine/platform/pixels/surface.h"

#include <gtest/gtest.h>

#include <cstring>

#include "test_files.h"

namespace qt::platform {
namespace {

using test::picture;
using test::text;

TEST(Surface, CreateRefusesBadSizesPixelBytes) {
    // clang-format off
    const struct { int w, h; bool ok; } cases[] = {
        {1, 1, true}, {Surface::kMaxSide, 1, true}, {0, 5, false}, {5, 0, false}, {-1, 5, false},
        {Surface::kMaxSide + 1, 1, false}, {1, 1 << 30, false}, {INT32_MIN, INT32_MIN, false}};
    // clang-format on
    for (const auto& c : cases) {
        Surface s;
        ASSERT_TRUE(s.create(2, 2, 0));
        EXPECT_EQ(s.create(c.w, c.h, rgb(255, 0, 255)), c.ok) << c.w << "x" << c.h;
        EXPECT_EQ(s.width() * 2 + s.valid(), c.ok ? c.w * 2 + 1 : 0) << c.w << "x" << c.h;
        if (c.ok) {
            EXPECT_EQ(s.pixel(c.w - 1, c.h - 1), rgb(255, 0, 255));
        }
    }
    // Bytes blue, green, red, fourth; nothing outside.
    Surface s = test::picture({".."});
    s.setPixel(1, 0, 0x00332211);
    s.setPixel(2, 0, 0xFFFFFF);
    s.setPixel(-1, 0, 0xFFFFFF);
    s.bits()[7] = 0x99;
    EXPECT_EQ(0, std::memcmp(s.bits(), "\0\0\0\0\x33\x22\x11\x99", 8));
    EXPECT_EQ(s.pixel(1, 0) * 256 + s.fourth(1, 0), 0x33221199u);
    EXPECT_EQ(s.pixel(5, 5), 0u);
}

enum Op { fill, copy, stretch, keyed };
struct Draw {
    Op op;
    int dx, dy, dw, dh, sx, sy, sw, sh;
    const char* expected;
};

void draw(Surface& d, const Surface& s, const Draw& c) {
    switch (c.op) {
        case fill: return fillRect(d, c.dx, c.dy, c.dw, c.dh, rgb(255, 255, 255));
        case copy: return copyBlock(d, c.dx, c.dy, c.dw, c.dh, s, c.sx, c.sy);
        case stretch: return stretchCopy(d, c.dx, c.dy, c.dw, c.dh, s, c.sx, c.sy, c.sw, c.sh);
        case keyed:
            return transparentCopy(d, c.dx, c.dy, c.dw, c.dh, s, c.sx, c.sy, c.sw, c.sh,
                                   rgb(255, 0, 255) | 0xFF000000u);
    }
}

TEST(Surface, DrawingClipsAndScales) {
    Surface src = picture({"AB", "MD"});
    src.bits()[2 * 4 + 3] = 0x7F;  // the key matches whatever the fourth bytes hold
    // clang-format off
    const Draw cases[] = {
        {fill, 1, 1, 2, 1, 0, 0, 0, 0, "....|.DD.|...."}, {fill, -1, -1, 3, 2, 0, 0, 0, 0, "DD..|....|...."},
        {fill, 3, 2, 9, 9, 0, 0, 0, 0, "....|....|...D"}, {fill, 3, 2, -2, -2, 0, 0, 0, 0, "....|....|...."},
        {fill, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0, 0, "....|....|...."},
        {fill, -5, -5, INT32_MAX, INT32_MAX, 0, 0, 0, 0, "DDDD|DDDD|DDDD"},
        {copy, 0, 0, 2, 2, 0, 0, 0, 0, "AB..|MD..|...."}, {copy, 3, 2, 2, 2, 0, 0, 0, 0, "....|....|...A"},
        {copy, -1, -1, 2, 2, 0, 0, 0, 0, "D...|....|...."}, {copy, 0, 0, 3, 3, 1, 1, 0, 0, "D...|....|...."},
        {copy, 0, 0, 3, 3, -1, 0, 0, 0, ".AB.|.MD.|...."}, {copy, 2, 2, -2, -2, 0, 0, 0, 0, "....|....|...."},
        {stretch, 0, 0, 4, 3, 0, 0, 2, 2, "AABB|AABB|MMDD"}, {stretch, 0, 0, 1, 1, 0, 0, 2, 2, "A...|....|...."},
        {stretch, 4, 0, -4, 2, 0, 0, 2, 2, "BBAA|DDMM|...."},  // mirrored target
        {stretch, 0, 0, 2, 2, 2, 0, -2, 2, "BA..|DM..|...."},  // mirrored source
        {stretch, 2, 0, -2, 2, 2, 0, -2, 2, "AB..|MD..|...."},  // both: upright
        {stretch, 0, 3, 2, -3, 0, 0, 2, 2, "MD..|MD..|AB.."}, {stretch, -2, 1, 4, 4, 0, 0, 2, 2, "....|BB..|BB.."},
        {stretch, 0, 0, 4, 2, 1, 0, 2, 2, "BB..|DD..|...."},  // source beyond its surface
        {stretch, 0, 0, 4, 1, -1, 0, 2, 1, "..AA|....|...."}, {stretch, 0, 0, 0, 3, 0, 0, 2, 2, "....|....|...."},
        {stretch, -1000000000, 0, 2000000000, 3, 0, 0, 2, 2, "BBBB|BBBB|DDDD"},
        {keyed, 0, 0, 2, 2, 0, 0, 2, 2, "AB..|.D..|...."}, {keyed, 0, 0, 4, 2, 0, 0, 2, 2, "AABB|..DD|...."},
        {keyed, 3, 2, 2, 2, 0, 0, 2, 2, "....|....|...A"},
        {keyed, 2, 0, -2, 2, 0, 0, 2, 2, "....|....|...."},  // no mirroring here
        {keyed, 0, 0, 2, 2, 2, 0, -2, 2, "....|....|...."},
    };
    // clang-format on
    for (const Draw& c : cases) {
        Surface dst = picture({"....", "....", "...."});
        draw(dst, src, c);
        EXPECT_EQ(text(dst), c.expected) << "op " << c.op << " at " << c.dx << "," << c.dy << " " << c.dw << "x"
                                         << c.dh;
    }
    Surface empty, dst = picture({".."});
    stretchCopy(dst, 0, 0, 2, 1, empty, 0, 0, 2, 1);
    fillRect(empty, 0, 0, 1, 1, 0);
    EXPECT_EQ(text(dst), "..");
    // Overlapping copies within one surface.
    Surface s = picture({"AB..", "MD..", "....", "...."});
    copyBlock(s, 1, 1, 2, 2, s, 0, 0);
    EXPECT_EQ(text(s), "AB..|MAB.|.MD.|....");
    copyBlock(s, 0, 0, 3, 3, s, 1, 1);
    EXPECT_EQ(text(s), "AB..|MD..|....|....");
}

// The fast paths (whole rows, doubling, repeating patterns) against the plain
// rule: target offset i takes source offset i * sourceWidth / width.
TEST(Surface, StretchFollowsThePlainRuleAtEveryScale) {
    Surface src;
    ASSERT_TRUE(src.create(40, 3, 0));
    for (int x = 0; x < 40; ++x) src.setPixel(x, 1, rgb(uint8_t(x), 1, 7));
    // clang-format off
    const struct { int sw, dw, dx; } cases[] = {{40, 40, 0}, {20, 40, 0}, {20, 40, -1}, {16, 24, 0}, {16, 24, -5},
                                                {24, 40, 3}, {12, 36, 2}, {40, 13, 0}, {7, 61, -9}, {20, -40, 45}};
    // clang-format on
    for (const auto& c : cases) {
        for (bool keyedCopy : {false, true}) {
            if (keyedCopy && c.dw < 0) continue;
            Surface dst;
            ASSERT_TRUE(dst.create(50, 3, rgb(9, 9, 9)));
            if (keyedCopy) transparentCopy(dst, c.dx, 0, c.dw, 3, src, 0, 0, c.sw, 3, rgb(5, 1, 7));
            else stretchCopy(dst, c.dx, 0, c.dw, 3, src, 0, 0, c.sw, 3);
            const int w = std::abs(c.dw), left = c.dw < 0 ? c.dx + c.dw : c.dx;
            for (int x = 0; x < 50; ++x) {
                ColorRef expected = rgb(9, 9, 9);
                if (x >= left && x < left + w) {
                    const int j = c.dw < 0 ? c.sw - 1 - (x - left) * c.sw / w : (x - left) * c.sw / w;
                    if (!(keyedCopy && j == 5)) expected = rgb(uint8_t(j), 1, 7);
                }
                ASSERT_EQ(dst.pixel(x, 1), expected) << c.sw << "->" << c.dw << " at " << c.dx << ", x " << x;
            }
        }
    }
}

}  // namespace
}  // namespace qt::platform
