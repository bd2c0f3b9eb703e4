#include "engine/platform/pixels/image.h"

#include <gtest/gtest.h>

#include <array>

#include "test_files.h"

namespace qt::platform {
namespace {

using test::bmp;
using test::bytes;
using test::le;

// Every variant shows the same 3 x 2 picture: red green blue / white black magenta.
const char* kPicture = "ABC|D.M";
const std::string kPalette =
    bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0});
const std::string kBottomRow24 = bytes({255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0});
const std::string kTopRow24 = bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});

// A 124-byte header with bit fields red, green, blue and alpha; one row.
std::string withV5Header(int w, int bpp, const std::array<uint32_t, 4>& fields, const std::string& row) {
    std::string info = le(124, 4) + le(uint32_t(w), 4) + le(1, 4) + le(1, 2) + le(uint32_t(bpp), 2) + le(3, 4) +
                       std::string(20, '\0');
    for (uint32_t f : fields) info += le(f, 4);
    info.resize(124, '\0');
    return "BM" + le(uint32_t(138 + row.size()), 4) + le(0, 4) + le(138, 4) + info + row;
}

TEST(LoadBmp, VariantsAndChannelsOtherThanEightBitsWide) {
    // clang-format off
    const struct { const char* name; std::string file; const char* expected; } cases[] = {
        {"24-bit, padded rows", bmp(3, 2, 24, 0, "", kBottomRow24 + kTopRow24), kPicture},
        {"24-bit top-down", bmp(3, -2, 24, 0, "", kTopRow24 + kBottomRow24), kPicture},
        {"32-bit", bmp(3, 2, 32, 0, "", bytes({255, 255, 255, 9, 0, 0, 0, 9, 255, 0, 255, 9, 0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9})), kPicture},
        {"8-bit palette", bmp(3, 2, 8, 0, kPalette, bytes({3, 4, 5, 0, 0, 1, 2, 0})), kPicture},
        {"4-bit palette", bmp(3, 2, 4, 0, kPalette, bytes({0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0})), kPicture},
        {"1-bit palette", bmp(3, 1, 1, 0, bytes({0, 0, 0, 0, 255, 255, 255, 0}), bytes({0xA0, 0, 0, 0})), "D.D"},
        {"1 x 1", bmp(1, 1, 24, 0, "", bytes({255, 0, 255, 0})), "M"},
        {"24-bit, wide", bmp(9, 1, 24, 0, "", kBottomRow24.substr(0, 9) + kTopRow24.substr(0, 9) + kBottomRow24.substr(0, 9) + std::string(1, 0)), "D.MABCD.M"},
        {"core header", bmp(3, 2, 24, 0, "", kBottomRow24 + kTopRow24, true), kPicture},
        {"8-bit run-length", bmp(3, 2, 8, 1, kPalette, bytes({1, 3, 1, 4, 1, 5, 0, 0, 1, 0, 1, 1, 1, 2, 0, 1})), kPicture},
        {"16-bit fields", bmp(2, 1, 16, 3, le(0xF800, 4) + le(0x07E0, 4) + le(0x001F, 4), bytes({0, 0xF8, 0x1F, 0})), "AC"},
        {"core header, 3-byte palette entries", bmp(3, 2, 8, 0, bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 255, 0, 255}), bytes({3, 4, 5, 0, 0, 1, 2, 0}), true), kPicture},
        // raw run; end of row; move right, leaving a pixel at index 0; run
        {"4-bit run-length", bmp(3, 2, 4, 2, kPalette, bytes({0, 3, 0x34, 0x50, 0, 0, 0, 2, 1, 0, 2, 0x12, 0, 1})), kPicture},
        // a raw run of 3 padded to 4 bytes; index 9 lies past the palette
        {"8-bit raw run", bmp(3, 2, 8, 1, kPalette, bytes({0, 3, 3, 9, 5, 0, 0, 0, 0, 3, 0, 1, 2, 0, 0, 1})), kPicture},
    };
    // clang-format on
    test::TempFolder dir;
    Surface s;
    for (const auto& c : cases) {
        ASSERT_TRUE(loadBmp(dir.write("a.bmp", c.file), s)) << c.name;
        EXPECT_EQ(test::text(s), c.expected) << c.name;
        EXPECT_EQ(s.fourth(0, 0), 0) << c.name;
    }
    // clang-format off
    const struct { const char* name; std::string file; ColorRef first, second; } channels[] = {
        {"5-5-5", bmp(2, 1, 16, 0, "", le(0x7FFF, 2) + le(0x4025, 2)), rgb(255, 255, 255), rgb(131, 8, 41)},
        // green through the old 5-6-5 table: 169 for 42, 254 for 63
        {"5-6-5", bmp(2, 1, 16, 3, le(0xF800, 4) + le(0x07E0, 4) + le(0x001F, 4), le(0x0D5E, 2) + le(0xFFFF, 2)),
         rgb(8, 169, 246), rgb(255, 254, 255)},
        {"4-4-4-4", withV5Header(2, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, le(0xF123, 2) + le(0x0FED, 2)),
         rgb(17, 34, 51), rgb(255, 238, 221)},
        {"2-10-10-10", withV5Header(2, 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000}, le(0x3FF800FF, 4) + le(0x004FF003, 4)),
         rgb(255, 128, 63), rgb(1, 255, 0)},
    };
    // clang-format on
    for (const auto& c : channels) {
        ASSERT_TRUE(loadBmp(dir.write("a.bmp", c.file), s)) << c.name;
        EXPECT_EQ(std::pair(s.pixel(0, 0), s.pixel(1, 0)), std::pair(c.first, c.second)) << c.name;
    }
}

TEST(LoadBmp, RefusesBrokenFilesWithoutReadingPastThem) {
    const std::string good = bmp(3, 2, 24, 0, "", std::string(24, '\x10'));
    auto patched = [&](size_t at, const std::string& with) { return std::string(good).replace(at, with.size(), with); };
    // clang-format off
    const struct { const char* name; std::string file; } cases[] = {
        {"empty", ""}, {"not a bitmap", "GIF89a" + std::string(60, '\0')}, {"header only", good.substr(0, 30)},
        {"truncated pixels", good.substr(0, good.size() - 13)},
        {"huge width", patched(18, le(100000, 4)) + std::string(64, '\0')},
        {"most negative height", patched(22, le(0x80000000u, 4))}, {"negative width", patched(18, le(0xFFFFFFFDu, 4))},
        {"7 bits a pixel", patched(28, le(7, 2))}, {"pixels beyond the file", patched(10, le(1000, 4))},
        {"unknown header size", patched(14, le(20, 4))}, {"jpeg inside", patched(30, le(4, 4))},
        {"vast run-length picture", bmp(16000, 16000, 8, 1, std::string(8, '\0'), bytes({0, 1}))},
        {"last row without its padding", good.substr(0, good.size() - 1)},
        {"index past the palette", bmp(3, 2, 8, 0, kPalette, bytes({3, 4, 6, 0, 0, 1, 2, 0}))},
        {"4-4-4-4 fields without the alpha field", bmp(1, 1, 16, 3, le(0x0F00, 4) + le(0x00F0, 4) + le(0x000F, 4), le(0, 4))},
    };
    // clang-format on
    test::TempFolder dir;
    for (const auto& c : cases) {
        Surface s;
        s.create(2, 2, 0);
        EXPECT_FALSE(loadBmp(dir.write("bad.bmp", c.file), s)) << c.name;
        EXPECT_FALSE(s.valid()) << c.name;
    }
    Surface s;
    loadBmp(dir.write("rle.bmp", bmp(40, 40, 8, 1, std::string(8, '\0'), bytes({0, 2, 255, 255, 0, 2, 255, 255, 9}))),
            s);
    EXPECT_FALSE(loadBmp(dir.file("missing.bmp"), s));
    EXPECT_FALSE(loadBmp(dir.file(""), s));  // a folder
}

TEST(SavePng, RoundTrip) {
    test::TempFolder dir;
    Surface s = test::picture({"ABC", "D.M"}), back;
    s.bits()[3] = 0x55;  // not part of the picture
    ASSERT_TRUE(savePng(s, dir.file("out.png")));
    const std::string head = dir.read("out.png").substr(0, 24);
    EXPECT_EQ(head.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(head.substr(16, 8), bytes({0, 0, 0, 3, 0, 0, 0, 2}));
    ASSERT_TRUE(loadImage(dir.file("out.png"), back));
    EXPECT_EQ(test::text(back), kPicture);
    EXPECT_FALSE(savePng(Surface(), dir.file("empty.png")));
    EXPECT_FALSE(savePng(s, dir.file("no/such/folder.png")));
    EXPECT_FALSE(loadImage(dir.file("missing.png"), back));
}

}  // namespace
}  // namespace qt::platform
