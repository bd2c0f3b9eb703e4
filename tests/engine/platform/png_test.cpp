// PNG pictures through loadImage, each checked against the BMP of the same picture.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <utility>

#include "engine/platform/pixels/image.h"
#include "png_file.h"
#include "test_files.h"

namespace qt::platform {
namespace {

using qt::test::Png;
using qt::test::pngFile;

constexpr ColorRef kClear = rgb(9, 8, 7);
constexpr int kW = 10, kH = 9;  // past 8 x 8, so every interlace pass has pixels
constexpr int kGrey = PNG_COLOR_TYPE_GRAY, kGreyAlpha = PNG_COLOR_TYPE_GA, kPalette = PNG_COLOR_TYPE_PALETTE,
              kRgb = PNG_COLOR_TYPE_RGB, kRgba = PNG_COLOR_TYPE_RGBA;

// A kW x kH picture in one format, and the colours it must show: kClear
// where less than half opaque. With `keyed`, pixel 1's samples are the tRNS key.
std::pair<Png, std::vector<ColorRef>> picture(int type, int depth, bool interlaced, bool keyed) {
    Png png{kW, kH, type, depth, interlaced};
    std::vector<ColorRef> shown;
    const int top = (1 << depth) - 1, entries = std::min(top + 1, 20), wide = depth == 16 ? 257 : 1;
    const int channels = type == kPalette ? 1 : (type & PNG_COLOR_MASK_COLOR) ? 3 : 1;
    const auto alpha = [&](int j) { return j + 1 < entries ? (j * 67 + 100) % 256 : 255; };  // last entry has no tRNS
    for (int j = 0; type == kPalette && j < entries; ++j) {
        png.palette.push_back({png_byte(j * 12), png_byte(255 - j * 7), png_byte(j * j)});
        if (j + 1 < entries) png.paletteAlpha.push_back(png_byte(alpha(j)));
    }
    for (int n = 0; n < kW * kH; ++n) {
        const int x = n % kW, y = n / kW, i = x + 3 * y, j = i % entries,
                  level = depth == 16 ? i * 7 % 256 : i % (top + 1);
        int r = i * 23 % 256, g = 255 - i * 5 % 256, b = x * y * 11 % 256,
            a = type & PNG_COLOR_MASK_ALPHA ? i * 41 % 256 : 255;
        if (type == kPalette) {
            r = j * 12, g = 255 - j * 7, b = j * j % 256, a = alpha(j);
            png.samples.push_back(j);
        } else if (channels == 1) {
            r = g = b = depth == 16 ? level : level * 255 / top;
            png.samples.push_back(level * wide);
        } else {
            png.samples.insert(png.samples.end(), {r * wide, g * wide, b * wide});
        }
        if (type & PNG_COLOR_MASK_ALPHA) png.samples.push_back(a * wide);
        shown.push_back(a < 128 ? kClear : rgb(uint8_t(r), uint8_t(g), uint8_t(b)));
    }
    if (keyed) {
        const auto at = [&](int n) { return png.samples.begin() + n * channels; };
        const std::vector<int> k(at(1), at(2));
        png.key = channels == 1 ? png_color_16{0, 0, 0, 0, png_uint_16(k[0])}
                                : png_color_16{0, png_uint_16(k[0]), png_uint_16(k[1]), png_uint_16(k[2]), 0};
        for (int n = 0; n < kW * kH; ++n)
            if (std::equal(k.begin(), k.end(), at(n))) shown[size_t(n)] = kClear;
    }
    return {png, shown};
}

// Each pixel's colour and fourth byte.
std::vector<uint32_t> words(const Surface& s) {
    std::vector<uint32_t> out;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) out.push_back(s.pixel(x, y) << 8 | s.fourth(x, y));
    return out;
}

TEST(LoadPng, EveryFormatShowsAsTheBmpOfTheSamePicture) {
    // clang-format off
    const struct { const char* name; int type, depth; bool interlaced = false, keyed = false; } cases[] = {
        {"grey 1", kGrey, 1}, {"grey 2", kGrey, 2}, {"grey 4", kGrey, 4}, {"grey 8", kGrey, 8},
        {"grey 16", kGrey, 16}, {"grey 8 keyed", kGrey, 8, false, true}, {"grey 2 keyed", kGrey, 2, false, true},
        {"grey 16 keyed, interlaced", kGrey, 16, true, true}, {"grey+alpha 8", kGreyAlpha, 8},
        {"grey+alpha 16", kGreyAlpha, 16}, {"palette 1", kPalette, 1}, {"palette 2", kPalette, 2},
        {"palette 4", kPalette, 4}, {"palette 8", kPalette, 8}, {"palette 4, interlaced", kPalette, 4, true},
        {"RGB 8", kRgb, 8}, {"RGB 16", kRgb, 16}, {"RGB 8 keyed", kRgb, 8, false, true},
        {"RGB 16 keyed", kRgb, 16, false, true}, {"RGB 8, interlaced", kRgb, 8, true}, {"RGBA 8", kRgba, 8},
        {"RGBA 16", kRgba, 16}, {"RGBA 8, interlaced", kRgba, 8, true}, {"grey 1, interlaced", kGrey, 1, true},
    };
    // clang-format on
    test::TempFolder dir;
    Surface png, bmp;
    for (const auto& c : cases) {
        const auto [file, shown] = picture(c.type, c.depth, c.interlaced, c.keyed);
        ASSERT_TRUE(loadBmp(dir.write("a.bmp", qt::test::bmp24(kW, kH, shown)), bmp));
        ASSERT_TRUE(loadImage(dir.write("a.png", pngFile(file)), png, kClear)) << c.name;
        EXPECT_EQ(words(png), words(bmp)) << c.name;
    }
    // A BMP named .png is still a BMP: the bytes decide.
    ASSERT_TRUE(loadImage(dir.write("b.png", qt::test::bmp24(2, 1, {rgb(1, 2, 3), rgb(4, 5, 6)})), png, kClear));
    EXPECT_EQ(words(png), std::vector<uint32_t>({0x03020100, 0x06050400}));
}

TEST(LoadPng, AlphaBelow128Of255IsSeeThrough) {
    const auto grey = [](png_byte v) { return png_color{v, v, v}; };
    // clang-format off
    const struct { const char* name; Png png; ColorRef shown; } cases[] = {
        {"RGBA 8", {4, 1, kRgba, 8, false, {200, 1, 2, 0, 200, 1, 2, 127, 200, 1, 2, 128, 200, 1, 2, 255}},
         rgb(200, 1, 2)},
        // 16-bit alpha scales with rounding: 32767 becomes 127, 32768 becomes 128.
        {"grey+alpha 16", {4, 1, kGreyAlpha, 16, false, {0x4040, 0, 0x4040, 32767, 0x4040, 32768, 0x4040, 65535}},
         rgb(64, 64, 64)},
        {"palette tRNS", {4, 1, kPalette, 8, false, {0, 1, 2, 3}, {grey(5), grey(5), grey(5), grey(5)}, {0, 127, 128, 255}},
         rgb(5, 5, 5)},
    };
    // clang-format on
    test::TempFolder dir;
    for (const auto& c : cases) {
        Surface s;
        ASSERT_TRUE(loadImage(dir.write("a.png", pngFile(c.png)), s, kClear)) << c.name;
        EXPECT_EQ(words(s), std::vector<uint32_t>({kClear << 8, kClear << 8, c.shown << 8, c.shown << 8})) << c.name;
    }
}

TEST(LoadPng, RefusesBrokenFiles) {
    const std::string good = pngFile({3, 2, kRgb, 8, false, std::vector<int>(18, 0x40)});
    const size_t idat = good.find("IDAT") - 4, iend = good.size() - 12;
    const auto flipped = [&](size_t at) { return std::string(good).replace(at, 1, 1, char(good[at] ^ 1)); };
    // Bytes of a chunk's data replaced, its CRC made right again.
    const auto patched = [&](size_t chunk, size_t at, const std::string& with) {
        std::string s = std::string(good).replace(chunk + 8 + at, with.size(), with);
        const size_t length = size_t(uint8_t(s[chunk + 2])) << 8 | uint8_t(s[chunk + 3]);
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(s.data() + chunk + 4), uInt(length + 4));
        return s.replace(chunk + 8 + length, 4,
                         qt::test::bytes({int(crc >> 24), int(crc >> 16 & 255), int(crc >> 8 & 255), int(crc & 255)}));
    };
    // clang-format off
    const struct { const char* name; std::string file; } cases[] = {
        {"signature only", good.substr(0, 8)},
        {"inside the header", good.substr(0, 20)},
        {"header without its CRC", good.substr(0, 29)},
        {"inside the pixels", good.substr(0, idat + 12)},
        {"without IEND", good.substr(0, iend)},
        {"IEND cut short", good.substr(0, good.size() - 2)},
        {"no pixels", good.substr(0, idat) + good.substr(iend)},
        {"header CRC wrong", flipped(29)},
        {"pixel data changed", flipped(idat + 10)},
        {"pixel CRC wrong", flipped(iend - 1)},
        {"compressed data broken", patched(idat, 0, "\xff\xff")},
        {"width 0", patched(8, 0, qt::test::bytes({0, 0, 0, 0}))},
        {"wider than a surface", pngFile({Surface::kMaxSide + 1, 1, kGrey, 1})},
        {"taller than a surface", pngFile({1, Surface::kMaxSide + 1, kGrey, 1})},
        {"vast picture in a few bytes", patched(8, 0, qt::test::bytes({0, 0, 0x40, 0, 0, 0, 0x40, 0}))},
        {"RGB of 4 bits", patched(8, 8, "\x04")},
        {"palette picture without a palette", patched(8, 9, "\x03")},
        {"unknown interlace", patched(8, 12, "\x02")},
    };
    // clang-format on
    test::TempFolder dir;
    for (const auto& c : cases) {
        Surface s;
        s.create(2, 2, 0);
        EXPECT_FALSE(loadImage(dir.write("bad.png", c.file), s, kClear)) << c.name;
        EXPECT_FALSE(s.valid()) << c.name;
    }
    // Blank rows pack close to deflate's limit and still load.
    Surface s;
    EXPECT_TRUE(loadImage(dir.write("blank.png", pngFile({Surface::kMaxSide, 64, kGrey, 1})), s, kClear));
    EXPECT_EQ(s.pixel(Surface::kMaxSide - 1, 63), 0u);
}

}  // namespace
}  // namespace qt::platform
