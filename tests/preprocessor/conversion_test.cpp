// Source conversion: commands, comments, blank lines, the end of the text,
// the size limit and the error reports, compared as whole output files.
#include <gtest/gtest.h>

#include <string>

#include "preprocessor/converter.h"
#include "test_support.h"

namespace qt::pre {
namespace {

using test::readFile;
using test::sj;
using test::TempDir;
using test::writeFile;

const std::string kHeader = "\x82\xA9\r\n";

class ConversionTest : public ::testing::Test {
protected:
    // Converts `source` and returns what follows the header.
    std::string convert(const std::string& source, int expectedResult = 0) {
        layout_ = PageLayout{};
        writeFile(src_, source);
        EXPECT_EQ(converter_.convertFile(src_.c_str(), dst_.c_str()), expectedResult);
        const std::string out = readFile(dst_);
        if (out.compare(0, kHeader.size(), kHeader) != 0) {
            ADD_FAILURE() << "no header";
            return out;
        }
        return out.substr(kHeader.size());
    }
    std::string convertWithReport(const std::string& source, std::string* report) {
        testing::internal::CaptureStderr();
        std::string out = convert(source);
        *report = testing::internal::GetCapturedStderr();
        return out;
    }
    std::string caption(int line) const {
        return "エラー　" + src_ + "　LINE:" + std::to_string(line) + ": ";
    }

    TempDir dir_;
    std::string src_ = dir_ / "scene.txt";
    std::string dst_ = dir_ / "scene.dat";
    PageLayout layout_;
    Converter converter_{layout_};
};

struct Case {
    const char* source;
    const char* written;
};

TEST_F(ConversionTest, Commands) {
    const Case cases[] = {
        {"/BGM Play\r\n", "/bgm,Play,;\r\n"},
        {"/e 1, 2 ,3\r\n", "/e,1,2 ,3,;\r\n"},
        {"/e \r\n", "/e,,;\r\n"},
        {"/e\r\n", "/e,;\r\n"},
        {"/e \" a;b \"\r\n", "/e, a;b ,;\r\n"},
        {"/e \"a,b\"\r\n", "/e,a,b\",;\r\n"},
        {"/e 1; /e 2\r\n", "/e,1,;\r\n/e,2,;\r\n"},
        {"/end;/e 1\r\n", "/end,;\r\n/e,1,;\r\n"},
        {"/e;\r\n", "/e,;\r\n"},
        {"/\r\n", "/,;\r\n"},
        {"/e a\"b, c\r\n", "/e,a\"b,c,;\r\n"},
        {"/e a<b\r\n", "/e,ab,;\r\n"},
        {"/e \"a<b\"\r\n", "/e,a<b,;\r\n"},
        {"/e\ta\r\n", "/e,a,;\r\n"},
        {"/e,a,,b\r\n", "/e,a,,b,;\r\n"},
        {"/e \"x\"y z\r\n", "/e,xy z,;\r\n"},
        {"/e \"\"\r\n", "/e,,;\r\n"},
        {"/e a ;\r\n", "/e,a ,;\r\n"},
        {"  \t/e 1\r\n", "/e,1,;\r\n"},
        {"/bgm play, \"op 1.mp3\"\r\n", "/bgm,play,op 1.mp3,;\r\n"},
        // A double-byte character in a name stays whole.
        {"/アB\r\n", "/アb,;\r\n"},
        {"/e 表示\r\n", "/e,表示,;\r\n"},
        // The last line without its line end.
        {"/e 1", "/e,1"},
        {"/end", "/end"},
        {"/", "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convert(sj(c.source)), sj(c.written)) << c.source;
    }
}

TEST_F(ConversionTest, CommentsBlankLinesAndDroppedBytes) {
    const Case cases[] = {
        {"// opening scene\r\nabc\r\n", "abc\r\n"},
        {"/* a\r\nb */ /e 1\r\n", "/e,1,;\r\n"},
        {"/* only a comment */", ""},
        {"/* open to the end\r\nabc\r\n", ""},
        {"/*ア*/x\r\n", "x\r\n"},
        {"a // b /* c\r\n", "a // b /* c\r\n"},
        {"x # y\r\n", "x # y\r\n"},
        {"  \t\r\n\r\n\r\n", ""},
        {"<abc\r\n", "abc\r\n"},
        {"< /e\r\n", "/e,;\r\n"},
        {"a<b<\r\n", "ab\r\n"},
        {"\rx\r\n", "x\r\n"},
        {"\r/e\r\n", "/e\r\n"},
        {"ab\rc\r\n", "abc\r\n"},
        {"abc", "abc"},
        {"　吾輩は猫である。\r\n", "　吾輩は猫である。\r\n"},
        {"#pagewidth 60\r\n", ""},
        {"a,b \"c\"\r\n", "a,b \"c\"\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(convert(sj(c.source)), sj(c.written)) << c.source;
    }
}

TEST_F(ConversionTest, TextEndsAtTheFirstZeroByte) {
    const struct {
        std::string source;
        std::string written;
    } cases[] = {
        {std::string("ab\0cd\r\n", 7), "ab"},
        {std::string("/e 1\0/e 2\r\n", 11), "/e,1"},
        {std::string("/* x\0 */ab\r\n", 12), ""},
        {std::string("/e \"a\x82\0b\"\r\n", 11), "/e,a\x82"},
        // A lead byte at the very end does not swallow the end.
        {std::string("a\x82\0zz\r\n", 7), "a\x82"},
        {std::string("/e a\x82\0zz\r\n", 9), "/e,a\x82"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(convert(c.source), c.written);
        testing::internal::GetCapturedStderr();
    }
}

TEST_F(ConversionTest, UnterminatedQuoteEndsTheConversionWithAReport) {
    std::string report;
    EXPECT_EQ(convertWithReport("a\r\n/e 1, \"abc\r\nb\r\n", &report), "a\r\n/e,1,abc");
    EXPECT_EQ(report, caption(2) + "命令引数]\nダブルクォーテーションの終端が見つかりません\n");

    EXPECT_EQ(convertWithReport("/e \"abc", &report), "/e,abc");
    EXPECT_EQ(report, caption(1) + "命令引数]\nダブルクォーテーションの終端が見つかりません\n");
}

TEST_F(ConversionTest, ReportNamesTheSourceLine) {
    // Three two-line block comments, a blank line, line comments and two
    // commands on one line before the faulty line 10.
    const std::string source =
        "/* a\r\n b */\r\n/* c\r\n d */ /* e\r\n f */\r\n\r\n// g\r\n/e 1; /e 2\r\n"
        "#pagewidth 60\r\n/e \"x\r\n";
    std::string report;
    convertWithReport(source, &report);
    EXPECT_EQ(report.substr(0, caption(10).size()), caption(10));
}

TEST_F(ConversionTest, SizeLimitAndUnreadableSources) {
    const std::string exact = "//" + std::string(1048576 - 2, 'a');
    EXPECT_EQ(convert(exact), "");

    writeFile(dst_, "previous");
    writeFile(src_, exact + "a");
    EXPECT_EQ(converter_.convertFile(src_.c_str(), dst_.c_str()), -1);
    EXPECT_EQ(readFile(dst_), "previous");

    writeFile(src_, "");
    EXPECT_EQ(converter_.convertFile(src_.c_str(), dst_.c_str()), -1);
    EXPECT_EQ(readFile(dst_), "previous");

    const std::string missing = dir_ / "missing.txt";
    EXPECT_EQ(converter_.convertFile(missing.c_str(), dst_.c_str()), -1);
    EXPECT_EQ(converter_.convertFile(dir_.path().c_str(), dst_.c_str()), -1);
    EXPECT_EQ(readFile(dst_), "previous");
}

TEST_F(ConversionTest, WindowsStyleSourcePathIsFound) {
    ::mkdir((dir_ / "Sub").c_str(), 0755);
    writeFile(dir_ / "Sub/A.txt", "x\r\n");
    const std::string windowsPath = dir_.path() + "\\sub\\a.TXT";
    EXPECT_EQ(converter_.convertFile(windowsPath.c_str(), dst_.c_str()), 0);
    EXPECT_EQ(readFile(dst_), kHeader + "x\r\n");
}

}  // namespace
}  // namespace qt::pre
