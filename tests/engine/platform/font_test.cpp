#include "engine/platform/font.h"

#include <gtest/gtest.h>

#include <set>

#include "common/cp932.h"

namespace qt::platform {
namespace {

const ColorRef kWhite = rgb(255, 255, 255);

std::unique_ptr<Font> make(const char* faceUtf8, int height = 20) {
    FontRequest r;
    r.face = utf8ToCp932(faceUtf8);
    r.height = height;
    return Font::create(r);
}

Surface blank(int w = 64, int h = 40) {
    Surface s;
    s.create(w, h, 0);
    return s;
}

struct Box {
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1, count = 0;
};

Box inked(const Surface& s, ColorRef background = 0) {
    Box b;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) != background) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
                ++b.count;
            }
    return b;
}

TEST(Font, FaceNamesMapToInstalledFaces) {
    const struct {
        const char* face;
        const char* family;
    } cases[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"MS PGothic", "IPAPGothic"}, {"ＭＳ ゴシック", "IPAGothic"},
        {"MS Gothic", "IPAGothic"},         {"ＭＳ 明朝", "IPAMincho"},   {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"IPAGothic", "IPAGothic"},
    };
    for (const auto& c : cases) {
        auto font = make(c.face);
        ASSERT_TRUE(font) << c.face;
        EXPECT_EQ(font->familyName(), c.family) << c.face;
    }
}

TEST(Font, UnknownOrLatinFaceFallsBackToAJapaneseFace) {
    const std::set<std::string> japanese = {"IPAGothic", "IPAPGothic", "IPAMincho", "IPAPMincho"};
    for (const char* face : {"No Such Face 123", "", "DejaVu Sans"}) {
        auto font = make(face);
        ASSERT_TRUE(font) << face;
        EXPECT_TRUE(japanese.count(font->familyName())) << face << " -> " << font->familyName();
        Surface s = blank();
        font->draw(s, 0, 0, utf8ToCp932("漢"), kWhite, std::nullopt);
        EXPECT_GT(inked(s).count, 20) << face;
    }
}

TEST(Font, CellTopLeftIsTheOrigin) {
    const struct {
        int height, x, y;
    } cases[] = {{20, 5, 7}, {12, 0, 0}, {32, 10, 3}};
    for (const auto& c : cases) {
        auto font = make("ＭＳ ゴシック", c.height);
        ASSERT_TRUE(font);
        EXPECT_EQ(font->cellHeight(), c.height);
        Surface s = blank(80, 50);
        // A full-width box-drawing block reaches near every edge of the em.
        font->draw(s, c.x, c.y, utf8ToCp932("■"), kWhite, std::nullopt);
        const Box b = inked(s);
        EXPECT_GE(b.top, c.y) << c.height;
        EXPECT_LE(b.bottom, c.y + c.height - 1) << c.height;
        EXPECT_GE(b.left, c.x) << c.height;
        EXPECT_LE(b.right, c.x + font->textWidth(utf8ToCp932("■")) - 1) << c.height;
        // The em fills most of the cell.
        EXPECT_GE(b.bottom - b.top + 1, c.height * 6 / 10) << c.height;
        // "_" sits just below the baseline.
        Surface u = blank(80, 50);
        font->draw(u, c.x, c.y, "_", kWhite, std::nullopt);
        EXPECT_GE(inked(u).top, c.y + font->ascent() - 1) << c.height;
    }
}

TEST(Font, OneBitUnlessAntialiased) {
    for (bool antialiased : {false, true}) {
        FontRequest r;
        r.face = utf8ToCp932("ＭＳ Ｐゴシック");
        r.antialiased = antialiased;
        auto font = Font::create(r);
        ASSERT_TRUE(font);
        Surface s = blank();
        fillRect(s, 0, 0, 64, 40, rgb(0, 0, 255));
        font->draw(s, 0, 0, utf8ToCp932("あ"), rgb(255, 255, 0), std::nullopt);
        std::set<ColorRef> colours;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) colours.insert(s.pixel(x, y));
        if (antialiased) {
            EXPECT_GT(colours.size(), 4u);
            for (ColorRef c : colours) {
                // Blends lie between the two colours, channel by channel.
                EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF);
                EXPECT_EQ((c & 0xFF) + ((c >> 16) & 0xFF), 255u);
            }
        } else {
            EXPECT_EQ(colours, (std::set<ColorRef>{rgb(0, 0, 255), rgb(255, 255, 0)}));
        }
    }
}

TEST(Font, StylesChangeThePixels) {
    const std::string text = utf8ToCp932("あい");
    auto draw = [&](void (*style)(FontRequest&)) {
        FontRequest r;
        r.face = utf8ToCp932("ＭＳ ゴシック");
        style(r);
        auto font = Font::create(r);
        Surface s = blank();
        font->draw(s, 2, 2, text, kWhite, std::nullopt);
        return std::make_pair(s, font->textWidth(text));
    };
    const auto [plain, plainWidth] = draw([](FontRequest&) {});
    const Box p = inked(plain);
    const auto [bold, boldWidth] = draw([](FontRequest& r) { r.weight = 700; });
    EXPECT_GT(inked(bold).count, p.count * 11 / 10);
    EXPECT_GE(boldWidth, plainWidth);
    const auto [semi, semiWidth] = draw([](FontRequest& r) { r.weight = 600; });
    EXPECT_EQ(inked(semi).count, inked(bold).count);
    const auto [light, lightWidth] = draw([](FontRequest& r) { r.weight = 500; });
    EXPECT_EQ(inked(light).count, p.count);

    const auto [italic, italicWidth] = draw([](FontRequest& r) { r.italic = true; });
    EXPECT_EQ(italicWidth, plainWidth);
    const Box i = inked(italic);
    EXPECT_GT(i.right, p.right);  // the tops lean to the right

    // Underline and strike-out: a row covering the whole advance width,
    // below and above the baseline.
    auto fullRows = [](const Surface& s, int from, int width) {
        std::vector<int> rows;
        for (int y = 0; y < s.height(); ++y) {
            bool full = true;
            for (int x = from; x < from + width; ++x) full = full && s.pixel(x, y) == kWhite;
            if (full) rows.push_back(y);
        }
        return rows;
    };
    EXPECT_TRUE(fullRows(plain, 2, plainWidth).empty());
    const auto [under, underWidth] = draw([](FontRequest& r) { r.underline = true; });
    const auto underRows = fullRows(under, 2, underWidth);
    ASSERT_FALSE(underRows.empty());
    EXPECT_GE(underRows.front(), 2 + 16);  // below the baseline of a 20-pixel cell
    EXPECT_LE(underRows.back(), 2 + 19);
    const auto [strike, strikeWidth] = draw([](FontRequest& r) { r.strikeOut = true; });
    const auto strikeRows = fullRows(strike, 2, strikeWidth);
    ASSERT_FALSE(strikeRows.empty());
    EXPECT_GT(strikeRows.front(), 2 + 4);
    EXPECT_LT(strikeRows.back(), 2 + 16);
}

TEST(Font, BackgroundFillsTheCell) {
    auto font = make("ＭＳ ゴシック");
    Surface s = blank();
    const std::string text = utf8ToCp932("字a");
    font->draw(s, 3, 4, text, rgb(0, 0, 0), rgb(255, 255, 255));
    const Box b = inked(s);
    EXPECT_EQ(b.left, 3);
    EXPECT_EQ(b.top, 4);
    EXPECT_EQ(b.right, 3 + font->textWidth(text) - 1);
    EXPECT_EQ(b.bottom, 4 + 20 - 1);
    EXPECT_LT(b.count, font->textWidth(text) * 20);  // the glyphs are drawn on it
}

TEST(Font, ClipsAtEveryEdge) {
    auto font = make("ＭＳ ゴシック", 40);
    for (auto [x, y] : {std::pair{-30, -30}, {10, 10}, {-100000, 0}, {INT32_MAX - 5, 0}, {0, INT32_MIN}}) {
        Surface s = blank(16, 16);
        font->draw(s, x, y, utf8ToCp932("漢字漢字"), kWhite, rgb(1, 1, 1));
        EXPECT_EQ(s.width(), 16);
    }
    Surface s = blank(16, 16);
    font->draw(s, -20, -20, utf8ToCp932("漢字"), kWhite, std::nullopt);
    EXPECT_GT(inked(s).count, 0);
}

TEST(Font, BrokenShiftJisStillDraws) {
    auto font = make("ＭＳ ゴシック");
    Surface s = blank();
    const std::string text = std::string("\x82", 1) + "\xFF" + "A\x81";  // lone and undefined bytes
    font->draw(s, 0, 0, text, kWhite, std::nullopt);
    EXPECT_GT(font->textWidth(text), 0);
}

TEST(Font, FixedPitchPromptFace) {
    auto font = Font::createFixed();
    ASSERT_TRUE(font);
    EXPECT_EQ(font->cellHeight(), 12);
    EXPECT_EQ(font->textWidth("iiii"), font->textWidth("WWWW"));
    EXPECT_EQ(font->textWidth("KEYWAIT"), 7 * font->textWidth("K"));
    Surface s = blank();
    font->draw(s, 0, 0, utf8ToCp932("待"), kWhite, std::nullopt);
    EXPECT_GT(inked(s).count, 10);
}

}  // namespace
}  // namespace qt::platform
