// Display lines, pages, the page commands of the source and the directives,
// compared as whole output files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/exe_folder.h"
#include "preprocessor/converter.h"
#include "test_support.h"

namespace qt::pre {
namespace {

using test::readFile;
using test::sj;
using test::TempDir;
using test::writeFile;

class PageLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::snprintf(exeFolder, sizeof exeFolder, "%s", dir_.path().c_str());
        writeFile(dir_ / "qPre.ini", "[honbun]\r\npageWidth=4\r\npageHeight=3\r\n");
    }
    void TearDown() override { exeFolder[0] = '\0'; }

    std::string convert(const std::string& source, const std::string& name = "s") {
        const std::string src = dir_ / (name + ".txt");
        const std::string dst = dir_ / (name + ".dat");
        writeFile(src, source);
        EXPECT_EQ(converter_.convertFile(src.c_str(), dst.c_str()), 0);
        return readFile(dst).substr(4);
    }

    TempDir dir_;
    PageLayout layout_;
    Converter converter_{layout_};
};

struct Case {
    int width;
    int height;
    const char* source;
    const char* written;
};

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST_F(PageLayoutTest, LinesAndPages) {
    const Case cases[] = {
        {8, 10, "あいうえおか\r\n", "あいうえ\r\nおか\r\n"},
        {8, 10, "abcdefghij\r\n", "abcdefg\r\nhij\r\n"},
        {8, 10, "あいうえ\r\n", "あいうえ\r\n"},
        {8, 10, "あいうえ。か\r\n", "あいうえ。\r\nか\r\n"},
        {8, 10, "あいうえ。」か\r\n", "あいうえ。」\r\nか\r\n"},
        {8, 10, "あいう「えお\r\n", "あいう「え\r\nお\r\n"},
        {8, 10, "あいう「「えお\r\n", "あいう「「え\r\nお\r\n"},
        {8, 10, "あいう（え）お\r\n", "あいう（え）\r\nお\r\n"},
        // A dropped "<" hides the characters from each other.
        {8, 10, "あいうえ<。か\r\n", "あいうえ\r\n。か\r\n"},
        {8, 10, "あいう「<えお\r\n", "あいう「え\r\nお\r\n"},
        // A continuation line may begin with "/" and stays body text.
        {8, 10, "abcdefg/e x\r\n", "abcdefg\r\n/e x\r\n"},
        {8, 10, "ab\rcdefghi\r\n", "abcdefg\r\nhi\r\n"},
        {0, 10, "abc\r\n", "a\r\nb\r\nc\r\n"},
        {-1, 10, "。」\r\n", "。」\r\n"},
        {60, 3, "a\r\nb\r\nc\r\n", "a\r\nb\r\n/\\,;\r\nc\r\n"},
        {8, 3, "abcdefghijklmnopq\r\n", "abcdefg\r\nhijklmn\r\n/\\,;\r\nopq\r\n"},
        {60, 2, "a\r\n/@\r\nb\r\n/\\\r\n", "a\r\n/\\,;\r\nb\r\n/\\,;\r\n"},
        {60, 1, "a\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n/\\,;\r\n"},
        // Page commands at the top of a page are dropped.
        {60, 10, "/\\\r\na\r\n", "a\r\n"},
        {60, 10, "/@\r\na\r\n", "a\r\n"},
        {60, 10, "/@;/e 1\r\n", "/e,1,;\r\n"},
        {60, 10, "a\r\n/\\\r\n/\\\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n"},
        {60, 10, "a\r\n/\\\r\n/@\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n"},
        {60, 3, "a\r\nb\r\n/\\\r\n/@\r\nc\r\n", "a\r\nb\r\n/\\,;\r\nc\r\n"},
        {60, 10, "a\r\n/@\r\n/@\r\nb\r\n", "a\r\n/@,;\r\n/@,;\r\nb\r\n"},
        {60, 10, "a\r\n/\\ x;/e\r\n", "a\r\n/\\,x,;\r\n/e,;\r\n"},
        {60, 10, "/e 1\r\n/@\r\n", "/e,1,;\r\n"},
    };
    for (const Case& c : cases) {
        layout_ = PageLayout{static_cast<int16_t>(c.width), static_cast<int16_t>(c.height), 1};
        EXPECT_EQ(convert(sj(c.source)), sj(c.written))
            << c.source << " width " << c.width << " height " << c.height;
    }
}

TEST_F(PageLayoutTest, DefaultWidthAndHeight) {
    layout_ = PageLayout{};
    const std::string kanji31 = repeat("亜", 31);
    EXPECT_EQ(convert(sj(kanji31 + "\r\n")), sj(repeat("亜", 30) + "\r\n亜\r\n"));
    EXPECT_EQ(convert(repeat("a", 60) + "\r\n"), repeat("a", 59) + "\r\na\r\n");

    layout_ = PageLayout{};
    EXPECT_EQ(convert(repeat("x\r\n", 10)), repeat("x\r\n", 9) + "/\\,;\r\nx\r\n");
}

TEST_F(PageLayoutTest, Directives) {
    const struct {
        const char* source;
        const char* written;
        int width;
        int height;
    } cases[] = {
        {"#PageWidth 8\r\nabcdefghij\r\n", "abcdefg\r\nhij\r\n", 8, 10},
        {"#pagewidth &H8\r\n", "", 8, 10},
        {"#pagewidth 65544\r\n", "", 8, 10},
        {"#pagewidth 7.9\r\n", "", 7, 10},
        {"#pagewidth 8\r\n#pagewidth\r\nabcdef\r\n", "abc\r\ndef\r\n", 4, 10},
        {"#pagewidth \r\nab\r\n", "a\r\nb\r\n", 0, 10},
        {"#pagewidth x\r\n", "", 0, 10},
        {"#pageheight 2\r\na\r\nb\r\n", "a\r\n/\\,;\r\nb\r\n/\\,;\r\n", 60, 2},
        {"#pageheight\r\n", "", 60, 3},
        {"#pagewidth\t8 9 a b c d e f g\r\nabcdefghij\r\n", "abcdefg\r\nhij\r\n", 8, 10},
        {"#pagewidth 8", "", 8, 10},
    };
    for (const auto& c : cases) {
        layout_ = PageLayout{};
        EXPECT_EQ(convert(sj(c.source)), sj(c.written)) << c.source;
        EXPECT_EQ(layout_.pageWidth, c.width) << c.source;
        EXPECT_EQ(layout_.pageHeight, c.height) << c.source;
    }
}

TEST_F(PageLayoutTest, UnknownDirectivesAreReportedWithTheirLine) {
    const std::string src = dir_ / "s.txt";
    testing::internal::CaptureStderr();
    const std::string out = convert("#Foo 1\r\n# pagewidth 40\r\n#a b c d e f g h i\r\n#zz\r\nok\r\n");
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "ok\r\n");
    EXPECT_EQ(layout_.pageWidth, 60);
    const std::string text = "存在しないプリプロセッサ命令が記述されています\n>";
    // Each report names the directive's own line.
    EXPECT_EQ(report, "エラー　" + src + "　LINE:1: " + text + "foo\n" +
                          "エラー　" + src + "　LINE:2: " + text + "\n" +
                          "エラー　" + src + "　LINE:3: " + text + "a\n" +
                          "エラー　" + src + "　LINE:4: " + text + "zz\n");
}

TEST_F(PageLayoutTest, UnterminatedQuoteInPageCommandGoesOn) {
    const std::string src = dir_ / "s.txt";
    testing::internal::CaptureStderr();
    const std::string out = convert("a\r\n/@ \"y\r\n/\\ \"x\r\nb\r\n");
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out, "a\r\n/@,y/\\,xb\r\n");
    const std::string text = "命令引数]\nダブルクォーテーションの終端が見つかりません\n";
    EXPECT_EQ(report, "エラー　" + src + "　LINE:2: " + text + "エラー　" + src + "　LINE:3: " + text);
}

TEST_F(PageLayoutTest, StateCarriesOverToTheNextFile) {
    layout_ = PageLayout{};
    // 13 lines: one page of 9, then 4 on the second page.
    EXPECT_EQ(convert("#pagewidth 8\r\n" + repeat("x\r\n", 13), "one"),
              repeat("x\r\n", 9) + "/\\,;\r\n" + repeat("x\r\n", 4));
    // The next file breaks its first page after 5 lines, at the width left.
    EXPECT_EQ(convert(repeat("y\r\n", 5) + "abcdefghij\r\n", "two"),
              repeat("y\r\n", 5) + "/\\,;\r\nabcdefg\r\nhij\r\n");
}

}  // namespace
}  // namespace qt::pre
