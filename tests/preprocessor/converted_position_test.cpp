// Where a source line stands in its converted scenario, as qRun --from
// looks it up through the file list.
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "preprocessor/converted_position.h"
#include "preprocessor/file_list.h"
#include "test_support.h"

namespace qt::pre::test {
namespace {

class ConvertedPositionTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::snprintf(exeFolder, sizeof exeFolder, "%s", dir_.path().c_str());
        oldCwd_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        dir_.write("qPre.ini", "[honbun]\r\npageHeight=3\r\n");
        dir_.write("filelist.ini", "first.txt\r\nfirst.dat\r\n\r\nsecond.txt\r\nsecond.dat\r\n");
        dir_.write("first.txt", sj("一\r\n"));
    }
    void TearDown() override {
        std::filesystem::current_path(oldCwd_);
        exeFolder[0] = '\0';
    }
    // Converts `names` in one run, as qPre does with its list.
    void convert(std::initializer_list<const char*> names) {
        PageLayout layout;
        layout.pageHeight = 3;
        Converter converter(layout);
        for (const char* n : names) {
            const std::string name = n;
            ASSERT_EQ(converter.convertFile((name + ".txt").c_str(), (name + ".dat").c_str()), 0) << name;
        }
    }
    // The converted line that the position names.
    std::string lineOf(const std::string& file, int32_t line) {
        ConvertedPosition at;
        const Located found = locateConverted(dir_ / file, line, at);
        if (found != Located::found) return "not found " + std::to_string(int(found));
        if (at.offset < 0) return at.output + ":" + std::to_string(at.line) + " as given";
        const std::string converted = readFile(at.output);
        const auto before = std::string_view(converted).substr(0, static_cast<size_t>(at.offset));
        EXPECT_TRUE(before.empty() || before.ends_with("\r\n")) << file << ":" << line;
        return std::filesystem::path(at.output).filename().string() + ":" +
               std::to_string(std::count(before.begin(), before.end(), '\n') + 1);
    }

    TempDir dir_;
    std::filesystem::path oldCwd_;
};

// "一" leaves the page one line down; the second file goes on there: "あ"
// fills the page, "/@" falls at the top of the next one and is dropped.
const std::string kSecond = "// comment\r\nあ\r\n/@\r\nい\r\n#pageheight 10\r\nう\r\n";
const std::string kSecondLines = "2 2 4 4 5 5";

TEST_F(ConvertedPositionTest, SourceLinesBeginWhereTheirTextBeginsAfterTheEntriesBefore) {
    std::string lf = kSecond;
    std::erase(lf, '\r');
    // clang-format off
    const struct { std::string name, bytes; } sources[] = {
        {"Shift-JIS, CR LF", sj(kSecond)},
        {"UTF-8, LF", lf},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + kSecond},
        // ﾃｩ is valid UTF-8 (é) as bytes: cut after it, the text must stay Shift-JIS.
        {"Shift-JIS that begins like UTF-8", "// comment\r\n\xC3\xA9\r\n/@\r\n" + sj("い\r\n#pageheight 10\r\nう\r\n")},
    };
    // clang-format on
    for (const auto& s : sources) {
        dir_.write("second.txt", s.bytes);
        convert({"first", "second"});
        std::string lines;
        for (int32_t line = 1; line <= 6; ++line) {
            if (line > 1) lines += ' ';
            lines += lineOf("second.txt", line).substr(11);
        }
        EXPECT_EQ(lines, kSecondLines) << s.name;
        EXPECT_EQ(lineOf("second.txt", 7), "not found " + std::to_string(int(Located::pastEnd))) << s.name;
    }
    EXPECT_EQ(lineOf("first.txt", 1), "first.dat:2");
    // A converted file is its own; a source outside the list is converted alone.
    EXPECT_EQ(lineOf("second.dat", 40), dir_ / "second.dat:40 as given");
    dir_.write("alone.txt", sj(kSecond));
    EXPECT_EQ(lineOf("alone.txt", 3), "not found " + std::to_string(int(Located::notConverted)));
    convert({"alone"});
    EXPECT_EQ(lineOf("alone.txt", 3), "alone.dat:3");
    EXPECT_EQ(lineOf("alone.txt", 6), "alone.dat:6");
    EXPECT_EQ(lineOf("alone.dat", 3), dir_ / "alone.dat:3 as given");
    // A list another qPre holds; a lookup lets go of it at once.
    FileListReader other;
    ASSERT_TRUE(other.open("filelist.ini"));
    EXPECT_EQ(lineOf("second.txt", 2), "not found " + std::to_string(int(Located::listInUse)));
}

}  // namespace
}  // namespace qt::pre::test
