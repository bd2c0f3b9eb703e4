// The conversion qPre --check makes in memory against the one it writes to
// disk: the same bytes and the same error reports, with every part of the
// output traced back to its source line; and the order of the check's report.
#include <gtest/gtest.h>

#include <string>

#include "preprocessor/check_report.h"
#include "test_support.h"

namespace qt::pre::test {
namespace {

// clang-format off
const char* const kSources[] = {
    "// c\r\n\r\n/BGM play, \"op 1.mp3\"\r\n　吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗い\r\n/@\r\n",
    "/e 1; /e 2\r\n/* a\r\nb */ /end;/e 1\r\n#pagewidth 8\r\nあいうえおか\r\n/\\\r\n/\\\r\n#nope\r\n/e \"abc\r\nrest\r\n",
    "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\nseven\r\neight\r\nnine\r\nten\r\n/@ \"x\r\n/e, ,\"a,b\",c\r\nend",
};
// clang-format on

class MemoryConversion : public ConversionTest {};

TEST_F(MemoryConversion, SameBytesAndReportsAsOnDisk) {
    for (const char* utf8 : kSources) {
        const std::string source = sj(utf8);
        layout_ = PageLayout{};
        std::string reports;
        const std::string onDisk = kHeader + convert(source, &reports);

        layout_ = PageLayout{};
        std::string inMemory;
        ConversionRecord record;
        EXPECT_EQ(converter_.convertToMemory(src_.c_str(), &inMemory, &record), 0);
        EXPECT_EQ(inMemory, onDisk) << utf8;
        std::string recorded;
        for (const auto& [line, text] : record.errors) recorded += caption(line) + cp932ToUtf8(text) + "\n";
        EXPECT_EQ(recorded, reports) << utf8;
    }
}

TEST_F(MemoryConversion, OutputTracedToItsSourceLine) {
    writeFile(src_, sj("// c\r\n\r\n/e a\r\n/* x\r\ny */ /e b; /iro 1\r\n#pagewidth 8\r\nabcdefghijklmnop\r\n/\\\r\n"
                       "/e c"));
    std::string out;
    ConversionRecord record;
    ASSERT_EQ(converter_.convertToMemory(src_.c_str(), &out, &record), 0);
    // clang-format off
    const struct { const char* text; int32_t line; } kAt[] = {
        {"/e,a,;", 3}, {"/e,b,;", 5}, {"/iro,1,;", 5}, {"abcdefg\r\n", 7}, {"hijklmn", 7}, {"op\r\n", 7},
        {"/\\,;", 8}, {"/e,c", 9},
    };
    // clang-format on
    for (const auto& at : kAt) {
        const size_t offset = out.find(at.text);
        ASSERT_NE(offset, std::string::npos) << at.text;
        EXPECT_EQ(record.sourceLine(offset), at.line) << at.text;
    }
    EXPECT_EQ(record.sourceLine(0), 1);  // the header
    EXPECT_FALSE(fileExists(dst_));
}

TEST(CheckReport, SortedByFileThenLineOneLineEach) {
    CheckReport report;
    report.countSource();
    report.countSource();
    report.add(CheckReport::Kind::error, "b.txt", 10, "later");
    report.add(CheckReport::Kind::warning, "b.txt", 9, "two\nlines\r\n");
    report.add(CheckReport::Kind::error, "a.txt", 100, "first\tfile");
    report.add(CheckReport::Kind::error, "b.txt", 10, "same line, found second");
    EXPECT_EQ(cp932ToUtf8(report.render()),
              "a.txt:100: first\tfile\r\n"
              "b.txt:9: two lines  \r\n"
              "b.txt:10: later\r\n"
              "b.txt:10: same line, found second\r\n"
              "検査したソース 2 件: エラー 3 件、警告 1 件\r\n");
    EXPECT_FALSE(report.clean());
    EXPECT_TRUE(CheckReport().clean());
}

}  // namespace
}  // namespace qt::pre::test
