#include "engine/platform/freetype/freetype_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/cp932.h"
#include "tests/support/temp_folder.h"

namespace qt::platform {
namespace {

const ColorRef kWhite = rgb(255, 255, 255);

Text& freeType() {
    static const auto text = createFreeTypeText();
    return *text;
}

std::unique_ptr<Font> make(const char* faceUtf8, int height = 20, void (*style)(FontRequest&) = nullptr) {
    FontRequest r;
    r.face = utf8ToCp932(faceUtf8);
    r.height = height;
    if (style) style(r);
    return freeType().createFont(r);
}

struct Ink {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1, count = 0;
};

// Draws on black and measures what was inked.
Ink drawn(Font& font, const char* textUtf8, int x = 0, int y = 0, Surface* keep = nullptr) {
    Surface s;
    s.create(80, 50, 0);
    font.draw(s, x, y, utf8ToCp932(textUtf8), kWhite, std::nullopt);
    Ink b;
    for (int py = 0; py < s.height(); ++py)
        for (int px = 0; px < s.width(); ++px)
            if (s.pixel(px, py) != 0) {
                b = {std::min(b.left, px), std::min(b.top, py), std::max(b.right, px), std::max(b.bottom, py),
                     b.count + 1};
            }
    if (keep) *keep = s;
    return b;
}

TEST(Font, FaceNamesMapToInstalledFaces) {
    // "IPA": unknown or Latin-only faces fall back to a face that shows Japanese.
    // clang-format off
    const struct { const char* face; const char* family; } cases[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"},
        {"MS Gothic", "IPAGothic"}, {"ＭＳ 明朝", "IPAMincho"}, {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"No Such Face 123", "IPA"}, {"", "IPA"}, {"DejaVu Sans", "IPA"}};
    // clang-format on
    for (const auto& c : cases) {
        auto font = make(c.face);
        ASSERT_TRUE(font) << c.face;
        EXPECT_EQ(font->familyName().substr(0, c.family == std::string("IPA") ? 3 : 99), c.family) << c.face;
        EXPECT_GT(drawn(*font, "漢").count, 20) << c.face;
    }
}

TEST(Font, CellTopLeftIsTheOrigin) {
    const struct { int height, x, y; } cases[] = {{20, 5, 7}, {12, 0, 0}, {32, 10, 3}};
    for (const auto& c : cases) {
        auto font = make("ＭＳ ゴシック", c.height);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->cellHeight(), c.height);
        const Ink b = drawn(*font, "■", c.x, c.y);
        EXPECT_TRUE(b.top >= c.y && b.bottom < c.y + c.height && b.left >= c.x &&
                    b.right < c.x + font->textWidth(utf8ToCp932("■")))
            << b.left << "," << b.top << " " << b.right << "," << b.bottom;
        EXPECT_GE(b.bottom - b.top + 1, c.height * 6 / 10);                    // the em fills most of the cell
        EXPECT_GE(drawn(*font, "_", c.x, c.y).top, c.y + font->ascent() - 1);  // just below the baseline
    }
}

TEST(Font, OneBitUnlessAntialiased) {
    for (bool antialiased : {false, true}) {
        auto font = make("ＭＳ Ｐゴシック", 20, antialiased ? +[](FontRequest& r) { r.antialiased = true; } : nullptr);
        Surface s;
        s.create(40, 30, rgb(0, 0, 255));
        font->draw(s, 0, 0, utf8ToCp932("あ"), rgb(255, 255, 0), std::nullopt);
        std::set<ColorRef> colours;
        for (int i = 0; i < 40 * 30; ++i) colours.insert(s.pixel(i % 40, i / 40));
        EXPECT_EQ(colours.size() > 4, antialiased);
        EXPECT_EQ(colours.size() == 2, !antialiased);
        for (ColorRef c : colours)  // blends lie between the two colours
            EXPECT_TRUE((c & 0xFF) == ((c >> 8) & 0xFF) && (c & 0xFF) + ((c >> 16) & 0xFF) == 255u) << std::hex << c;
    }
}

TEST(Font, StylesChangeThePixels) {
    const char* text = "あい";
    const int width = make("ＭＳ ゴシック")->textWidth(utf8ToCp932(text));
    // The ink, and the rows inked across the whole advance width.
    auto styled = [&](void (*style)(FontRequest&)) {
        Surface s;
        const Ink ink = drawn(*make("ＭＳ ゴシック", 20, style), text, 2, 2, &s);
        std::vector<int> rows;
        for (int y = 0; y < s.height(); ++y) {
            int x = 2;
            while (x < 2 + width && s.pixel(x, y) == kWhite) ++x;
            if (x == 2 + width) rows.push_back(y);
        }
        return std::pair(ink, rows);
    };
    const auto [plain, plainRows] = styled(nullptr);
    EXPECT_EQ(plainRows, std::vector<int>{});
    EXPECT_GT(styled([](FontRequest& r) { r.weight = 700; }).first.count, plain.count * 11 / 10);
    EXPECT_GT(styled([](FontRequest& r) { r.weight = 600; }).first.count, plain.count * 11 / 10);
    EXPECT_EQ(styled([](FontRequest& r) { r.weight = 500; }).first.count, plain.count);
    EXPECT_GT(styled([](FontRequest& r) { r.italic = true; }).first.right, plain.right);  // the tops lean right
    EXPECT_EQ(make("ＭＳ ゴシック", 20, [](FontRequest& r) { r.italic = true; })->textWidth(utf8ToCp932(text)), width);
    EXPECT_EQ(styled([](FontRequest& r) { r.underline = true; }).second,
              std::vector<int>{2 + 19});  // the cell's last row
    EXPECT_EQ(styled([](FontRequest& r) { r.strikeOut = true; }).second, std::vector<int>{2 + 8});
}

TEST(Font, BackgroundClippingAndBrokenText) {
    auto font = make("ＭＳ ゴシック");
    Surface s;
    s.create(64, 40, 0);
    const std::string text = utf8ToCp932("字a");
    font->draw(s, 3, 4, text, 0, kWhite);
    int filled = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) filled += s.pixel(x, y) == kWhite;
    EXPECT_TRUE(filled < font->textWidth(text) * 20 && filled > font->textWidth(text) * 10);  // cell less glyphs
    EXPECT_TRUE(s.pixel(3, 4) == kWhite && s.pixel(2, 4) == 0 && s.pixel(3 + font->textWidth(text), 4) == 0 &&
                s.pixel(3, 24) == 0);
    for (auto [x, y] : {std::pair{-30, -30}, {60, 35}, {-100000, 0}, {INT32_MAX - 5, 0}, {0, INT32_MIN}})
        font->draw(s, x, y, utf8ToCp932("漢字漢字"), kWhite, rgb(1, 1, 1));
    const std::string broken = std::string("\x82", 1) + "\xFF" + "A\x81";  // lone and undefined bytes
    font->draw(s, 0, 0, broken, kWhite, std::nullopt);
    EXPECT_GT(font->textWidth(broken), 0);
}

TEST(Font, NullTextFillsOnlyTheCellAndThePromptFaceIsFixed) {
    const auto text = createNullText();
    FontRequest r;
    r.height = 10;
    const auto font = text->createFont(r);
    Surface s;
    s.create(20, 20, 0);
    font->draw(s, 2, 3, "ab", kWhite, std::nullopt);
    EXPECT_EQ(s.pixel(2, 3), 0u);
    font->draw(s, 2, 3, "ab", kWhite, rgb(9, 9, 9));  // 2 bytes of half the height, 10 rows
    EXPECT_EQ(s.pixel(11, 12), rgb(9, 9, 9));
    EXPECT_EQ(s.pixel(12, 12) + s.pixel(11, 13), 0u);
    EXPECT_EQ(text->createFixedFont()->cellHeight(), 12);
    // The prompt's face: fixed pitch, 12 pixels, and Japanese shown.
    auto fixed = freeType().createFixedFont();
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->cellHeight(), 12);
    EXPECT_EQ(fixed->textWidth("iiii"), fixed->textWidth("WWWW"));
    EXPECT_EQ(fixed->textWidth("KEYWAIT"), 7 * fixed->textWidth("K"));
    EXPECT_GT(drawn(*fixed, "待").count, 10);
}

// A game's fonts/ folder: the face map leads to its files, nothing else is
// looked at while it holds a face, and it falls back among its own faces.
TEST(Font, GameFontsFolderServesEveryFace) {
    const std::string ipa = "/usr/share/fonts/opentype/ipafont-";
    // clang-format off
    const struct { std::vector<std::string> files; const char* face; bool fixed; const char* family; } cases[] = {
        {{"gothic/ipag.ttf", "gothic/ipagp.ttf", "mincho/ipam.ttf"}, "ＭＳ Ｐゴシック", false, "IPAPGothic"},
        {{"gothic/ipag.ttf", "gothic/ipagp.ttf", "mincho/ipam.ttf"}, "ms  gothic",     false, "IPAGothic"},
        {{"gothic/ipag.ttf", "gothic/ipagp.ttf", "mincho/ipam.ttf"}, "ＭＳ 明朝",       false, "IPAMincho"},
        {{"gothic/ipag.ttf", "gothic/ipagp.ttf", "mincho/ipam.ttf"}, "IPA Pゴシック",   false, "IPAPGothic"},
        {{"gothic/ipag.ttf", "gothic/ipagp.ttf", "mincho/ipam.ttf"}, "Arial",          false, "IPAGothic"},
        {{"gothic/ipag.ttf", "gothic/ipagp.ttf", "mincho/ipam.ttf"}, "",               true,  "IPAGothic"},
        // Only the proportional Gothic shipped: every name draws with it.
        {{"gothic/ipagp.ttf"},                                       "ＭＳ 明朝",       false, "IPAPGothic"},
        {{"gothic/ipagp.ttf"},                                       "",               true,  "IPAPGothic"},
        // No face in the folder: the machine's faces, as without it.
        {{},                                                         "ＭＳ 明朝",       false, "IPAMincho"},
    };
    // clang-format on
    for (const auto& c : cases) {
        test::TempFolder game;
        game.write("fonts/readme.txt", "not a font");
        for (const std::string& f : c.files)
            std::filesystem::copy_file(ipa + f, game / ("fonts/" + std::filesystem::path(f).filename().string()));
        const auto text = createFreeTypeText(game / "fonts");
        FontRequest r;
        r.face = utf8ToCp932(c.face);
        const auto font = c.fixed ? text->createFixedFont() : text->createFont(r);
        ASSERT_TRUE(font) << c.face;
        EXPECT_EQ(font->familyName(), c.family) << c.face << " " << c.files.size();
        EXPECT_GT(drawn(*font, "漢").count, 10) << c.face;
    }
}

}  // namespace
}  // namespace qt::platform
