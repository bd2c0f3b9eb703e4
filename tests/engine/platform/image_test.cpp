#include "engine/platform/image.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "picture.h"

namespace qt::platform {
namespace {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/qt_image_XXXXXX";
        path_ = mkdtemp(name);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void put16(std::string& s, uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

struct BmpSpec {
    int32_t width = 1, height = 1;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    std::string palette;  // 4 bytes per entry: blue, green, red, 0
    std::string pixels;   // rows as they lie in the file, padding included
    bool coreHeader = false;
    std::string masks;    // for bit fields
};

BmpSpec spec(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, std::string palette, std::string pixels,
             bool coreHeader = false) {
    BmpSpec b;
    b.width = w;
    b.height = h;
    b.bpp = bpp;
    b.compression = compression;
    b.palette = std::move(palette);
    b.pixels = std::move(pixels);
    b.coreHeader = coreHeader;
    return b;
}

std::string bmp(const BmpSpec& b) {
    std::string info;
    if (b.coreHeader) {
        put32(info, 12);
        put16(info, static_cast<uint32_t>(b.width));
        put16(info, static_cast<uint32_t>(b.height));
        put16(info, 1);
        put16(info, b.bpp);
    } else {
        put32(info, 40);
        put32(info, static_cast<uint32_t>(b.width));
        put32(info, static_cast<uint32_t>(b.height));
        put16(info, 1);
        put16(info, b.bpp);
        put32(info, b.compression);
        put32(info, static_cast<uint32_t>(b.pixels.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, static_cast<uint32_t>(b.palette.size() / 4));
        put32(info, 0);
    }
    const uint32_t offset = static_cast<uint32_t>(14 + info.size() + b.masks.size() + b.palette.size());
    std::string file = "BM";
    put32(file, static_cast<uint32_t>(offset + b.pixels.size()));
    put32(file, 0);
    put32(file, offset);
    return file + info + b.masks + b.palette + b.pixels;
}

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int v : list) s += static_cast<char>(v);
    return s;
}

void write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

// A 3 x 2 picture: top row red, green, blue; bottom row white, black, magenta.
const std::vector<std::string> kPicture = {"ABC", "D.M"};

TEST(LoadBmp, Variants) {
    const std::string palette = bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0,
                                       255, 0, 255, 0});  // red, green, blue, white, black, magenta
    const struct {
        const char* name;
        BmpSpec spec;
        std::vector<std::string> expected;
    } cases[] = {
        {"24-bit bottom-up with row padding",
         spec(3, 2, 24, 0, "", bytes({255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0,  // bottom row first
                                  0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0})),
         kPicture},
        {"24-bit top-down",
         spec(3, -2, 24, 0, "", bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,
                                   255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0})),
         kPicture},
        {"32-bit with a fourth byte",
         spec(3, 2, 32, 0, "", bytes({255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0,
                                  0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0})),
         kPicture},
        {"8-bit palette",
         spec(3, 2, 8, 0, palette, bytes({3, 4, 5, 0, 0, 1, 2, 0})),
         kPicture},
        {"4-bit palette", spec(3, 2, 4, 0, palette, bytes({0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0})), kPicture},
        {"1-bit palette", spec(3, 1, 1, 0, bytes({0, 0, 0, 0, 255, 255, 255, 0}), bytes({0xA0, 0, 0, 0})), {"D.D"}},
        {"1 x 1", spec(1, 1, 24, 0, "", bytes({255, 0, 255, 0})), {"M"}},
        {"core header",
         spec(3, 2, 24, 0, "", bytes({255, 255, 255, 0, 0, 0, 255, 0, 255, 0, 0, 0,
                                  0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}), true),
         kPicture},
        {"8-bit run-length",
         spec(3, 2, 8, 1, palette, bytes({1, 3, 1, 4, 1, 5, 0, 0, 1, 0, 1, 1, 1, 2, 0, 1})),
         kPicture},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.file("image.bmp");
        write(path, bmp(c.spec));
        Surface s;
        ASSERT_TRUE(loadBmp(path, s)) << c.name;
        EXPECT_EQ(test::text(s), test::text(c.expected)) << c.name;
        EXPECT_EQ(s.fourth(0, 0), 0) << c.name;
    }
}

TEST(LoadBmp, SixteenBitFields) {
    BmpSpec b = spec(2, 1, 16, 3, "", bytes({0x00, 0xF8, 0x1F, 0x00}));
    put32(b.masks, 0xF800);
    put32(b.masks, 0x07E0);
    put32(b.masks, 0x001F);
    TempDir dir;
    write(dir.file("a.bmp"), bmp(b));
    Surface s;
    ASSERT_TRUE(loadBmp(dir.file("a.bmp"), s));
    EXPECT_EQ(s.pixel(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(s.pixel(1, 0), rgb(0, 0, 255));
}

TEST(LoadBmp, RefusesBrokenFiles) {
    const std::string good = bmp(spec(3, 2, 24, 0, "", std::string(24, '\x10')));
    auto patched = [&](size_t at, std::string with) {
        std::string s = good;
        s.replace(at, with.size(), with);
        return s;
    };
    std::string huge, wide, deep, negativeWidth, badBpp, farOffset;
    put32(huge, 100000);
    put32(wide, 0x7FFFFFFF);
    put32(deep, 0x80000000u);
    put32(negativeWidth, 0xFFFFFFFDu);
    put16(badBpp, 7);
    put32(farOffset, 1000);
    const struct {
        const char* name;
        std::string data;
    } cases[] = {
        {"empty", ""},
        {"not a bitmap", "GIF89a" + std::string(60, '\0')},
        {"header only", good.substr(0, 30)},
        {"truncated pixels", good.substr(0, good.size() - 13)},
        {"huge width", patched(18, huge) + std::string(64, '\0')},
        {"absurd width", patched(18, wide)},
        {"most negative height", patched(22, deep)},
        {"negative width", patched(18, negativeWidth)},
        {"7 bits per pixel", patched(28, badBpp)},
        {"pixels beyond the file", patched(10, farOffset)},
        {"unknown header size", patched(14, bytes({20, 0, 0, 0}))},
        {"run-length garbage", bmp(spec(40, 40, 8, 1, std::string(8, '\0'), bytes({0, 2, 255, 255, 0, 2, 255, 255, 9, 9})))},
        {"jpeg compression", patched(30, bytes({4, 0, 0, 0}))},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string path = dir.file("bad.bmp");
        write(path, c.data);
        Surface s;
        s.create(2, 2, 0);
        loadBmp(path, s);  // some broken files still decode; none may crash
        if (std::string(c.name) != "run-length garbage") {
            EXPECT_FALSE(loadBmp(path, s)) << c.name;
            EXPECT_FALSE(s.valid()) << c.name;
        }
    }
    Surface s;
    EXPECT_FALSE(loadBmp(dir.file("missing.bmp"), s));
    EXPECT_FALSE(loadBmp(dir.file(""), s));  // a folder
}

TEST(SavePng, RoundTrip) {
    TempDir dir;
    Surface s = test::picture(kPicture);
    s.bits()[3] = 0x55;  // the fourth byte does not reach the file
    ASSERT_TRUE(savePng(s, dir.file("out.png")));
    std::ifstream in(dir.file("out.png"), std::ios::binary);
    std::string head(33, '\0');
    in.read(head.data(), 33);
    EXPECT_EQ(head.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(head.substr(16, 8), bytes({0, 0, 0, 3, 0, 0, 0, 2}));  // 3 x 2
    Surface back;
    ASSERT_TRUE(loadImage(dir.file("out.png"), back));
    EXPECT_EQ(test::text(back), test::text(kPicture));
    EXPECT_FALSE(savePng(Surface(), dir.file("empty.png")));
    EXPECT_FALSE(savePng(s, dir.file("no/such/folder.png")));
    EXPECT_FALSE(loadImage(dir.file("missing.png"), back));
}

}  // namespace
}  // namespace qt::platform
