// Display lines, pages, the page commands of the source and the directives,
// compared as whole output files.
#include <string>

#include "test_support.h"

namespace qt::pre::test {
namespace {

class PageLayoutTest : public ConversionTest {};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST_F(PageLayoutTest, LinesAndPages) {
    // clang-format off
    const struct { int width, height; const char *source, *written; } cases[] = {
        // clang-format off
        {8, 10, "あいうえおか\r\n", "あいうえ\r\nおか\r\n"}, {8, 10, "abcdefghij\r\n", "abcdefg\r\nhij\r\n"},
        {8, 10, "あいうえ\r\n", "あいうえ\r\n"}, {8, 10, "あいうえ。か\r\n", "あいうえ。\r\nか\r\n"},
        {8, 10, "あいうえ。」か\r\n", "あいうえ。」\r\nか\r\n"}, {8, 10, "あいう「えお\r\n", "あいう「え\r\nお\r\n"},
        {8, 10, "あいう「「えお\r\n", "あいう「「え\r\nお\r\n"}, {8, 10, "あいう（え）お\r\n", "あいう（え）\r\nお\r\n"},
        {8, 10, "あいうえ<。か\r\n", "あいうえ\r\n。か\r\n"},  // a dropped "<" hides the neighbours
        {8, 10, "abcdefg/e x\r\n", "abcdefg\r\n/e x\r\n"}, {8, 10, "ab\rcdefghi\r\n", "abcdefg\r\nhi\r\n"},
        {0, 10, "abc\r\n", "a\r\nb\r\nc\r\n"}, {-1, 10, "。」\r\n", "。」\r\n"},
        {60, 3, "a\r\nb\r\nc\r\n", "a\r\nb\r\n/\\,;\r\nc\r\n"},
        {8, 3, "abcdefghijklmnopq\r\n", "abcdefg\r\nhijklmn\r\n/\\,;\r\nopq\r\n"},
        {60, 2, "a\r\n/@\r\nb\r\n/\\\r\n", "a\r\n/\\,;\r\nb\r\n/\\,;\r\n"},
        {60, 1, "a\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n/\\,;\r\n"},
        // Page commands at the top of a page are dropped.
        {60, 10, "/\\\r\na\r\n", "a\r\n"}, {60, 10, "/@\r\na\r\n", "a\r\n"},
        {60, 10, "/@;/e 1\r\n", "/e,1,;\r\n"}, {60, 10, "/e 1\r\n/@\r\n", "/e,1,;\r\n"},
        {60, 10, "a\r\n/\\\r\n/\\\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n"},
        {60, 10, "a\r\n/\\\r\n/@\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n"},
        {60, 3, "a\r\nb\r\n/\\\r\n/@\r\nc\r\n", "a\r\nb\r\n/\\,;\r\nc\r\n"},
        {60, 10, "a\r\n/@\r\n/@\r\nb\r\n", "a\r\n/@,;\r\n/@,;\r\nb\r\n"},
        {60, 10, "a\r\n/\\ x;/e\r\n", "a\r\n/\\,x,;\r\n/e,;\r\n"},
        // clang-format on
    };
    // clang-format on
    for (const auto& c : cases) {
        layout_ = PageLayout{static_cast<int16_t>(c.width), static_cast<int16_t>(c.height), 1};
        EXPECT_EQ(convert(sj(c.source)), sj(c.written)) << c.source << " width " << c.width;
    }
}

TEST_F(PageLayoutTest, DefaultsAndTheNextFileOfTheRun) {
    EXPECT_EQ(convert(sj(repeat("亜", 31) + "\r\n")), sj(repeat("亜", 30) + "\r\n亜\r\n"));
    EXPECT_EQ(convert(repeat("a", 60) + "\r\n"), repeat("a", 59) + "\r\na\r\n");
    // 4 lines so far: 5 more end the page, the 10th line starts the next.
    EXPECT_EQ(convert(repeat("x\r\n", 6)), repeat("x\r\n", 5) + "/\\,;\r\nx\r\n");
    EXPECT_EQ(convert("#pagewidth 8\r\n" + repeat("y\r\n", 8) + "abcdefghij\r\n"),
              repeat("y\r\n", 8) + "/\\,;\r\nabcdefg\r\nhij\r\n");
    EXPECT_EQ(convert("abcdefghij\r\n"), "abcdefg\r\nhij\r\n");  // the width stays
}

TEST_F(PageLayoutTest, Directives) {
    writeFile(dir_ / "qPre.ini", "[honbun]\r\npageWidth=4\r\npageHeight=3\r\n");
    // clang-format off
    const struct { const char *source, *written; int width, height; } cases[] = {
        // clang-format off
        {"#PageWidth 8\r\nabcdefghij\r\n", "abcdefg\r\nhij\r\n", 8, 10}, {"#pagewidth &H8\r\n", "", 8, 10},
        {"#pagewidth 65544\r\n", "", 8, 10}, {"#pagewidth 7.9\r\n", "", 7, 10},
        {"#pagewidth 8\r\n#pagewidth\r\nabcdef\r\n", "abc\r\ndef\r\n", 4, 10},
        {"#pagewidth \r\nab\r\n", "a\r\nb\r\n", 0, 10}, {"#pagewidth x\r\n", "", 0, 10},
        {"#pageheight 2\r\na\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n/\\,;\r\n", 60, 2},
        {"#pageheight\r\n", "", 60, 3}, {"#pagewidth 8", "", 8, 10},
        {"#pagewidth\t8 9 a b c d e f g\r\nabcdefghij\r\n", "abcdefg\r\nhij\r\n", 8, 10},
        // clang-format on
    };
    // clang-format on
    for (const auto& c : cases) {
        layout_ = PageLayout{};
        EXPECT_EQ(convert(sj(c.source)), sj(c.written)) << c.source;
        EXPECT_EQ(layout_.pageWidth, c.width) << c.source;
        EXPECT_EQ(layout_.pageHeight, c.height) << c.source;
    }
}

TEST_F(PageLayoutTest, ReportsFromDirectivesAndPageCommands) {
    std::string report;
    EXPECT_EQ(convert("#Foo 1\r\n# pagewidth 40\r\n#a b c d e f g h i\r\n#zz\r\nok\r\n", &report), "ok\r\n");
    EXPECT_EQ(layout_.pageWidth, 60);
    // Each report names the directive's own line.
    const std::string text = "存在しないプリプロセッサ命令が記述されています\n>";
    EXPECT_EQ(report, caption(1) + text + "foo\n" + caption(2) + text + "\n" + caption(3) + text + "a\n" + caption(4) +
                          text + "zz\n");
    // An unterminated quote in a page command is reported; the conversion
    // goes on ("ok" above left the page open).
    EXPECT_EQ(convert("/@ \"y\r\n/\\ \"x\r\nb\r\n", &report), "/@,y/\\,xb\r\n");
    const std::string quote = "命令引数]\nダブルクォーテーションの終端が見つかりません\n";
    EXPECT_EQ(report, caption(1) + quote + caption(2) + quote);
}

}  // namespace
}  // namespace qt::pre::test
