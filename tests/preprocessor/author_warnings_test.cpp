// Warnings for authors: which source lines are named, and the exact lines.
#include <string>

#include "test_support.h"

namespace qt::pre::test {
namespace {

const std::string kComma = "　本文の半角カンマ(,)で行が分かれます";
const std::string kQuote = "　本文の半角ダブルクォーテーション(\")で以降のカンマが区切りになりません";
const std::string kSlash = "　/ で始まる表示行は命令として読まれます";
const std::string kLf = "　LF だけの改行は行の終わりになりません（CR LF と混在）";

class AuthorWarningsTest : public ConversionTest {
protected:
    AuthorWarningsTest() { converter_.setWarnings(&warnings_); }

    std::string warningsFor(const std::string& source, int width = 60) {
        layout_ = PageLayout{static_cast<int16_t>(width), 10, 1};
        convert(sj(source));
        return cp932ToUtf8(warnings_.report(src_));
    }
    std::string line(int n, const std::string& reasons) const {
        return "警告　" + src_ + "　LINE:" + std::to_string(n) + reasons + "\r\n";
    }

    AuthorWarnings warnings_;
};

TEST_F(AuthorWarningsTest, NamesEachMisreadLineOnce) {
    // clang-format off
    const struct { const char* source; int width, line /* 0: no warning */; std::string reasons; } cases[] = {
        // clang-format off
        {"吾輩は猫である。\r\n", 60, 0, ""},
        {"はい、いいえ\r\n", 60, 0, ""},                   // full-width punctuation is text
        {"a,b\r\n", 60, 1, kComma},
        {"a, b, c\r\n", 60, 1, kComma},                   // one line per source line
        {"\r\n// x\r\n\"quoted\"\r\n", 60, 3, kQuote},
        {"say \"a, b\"\r\n", 60, 1, kComma + kQuote},
        {"abcdefg/e x\r\n", 8, 1, kSlash},                // a continuation taken for a command
        {"abcdefg<\r\n", 8, 0, ""},
        {"abcdefg</e\r\n", 8, 1, kSlash},                 // the dropped "<" does not hide it
        {"ab/cd\r\n", 8, 0, ""},                          // inside a display line it is text
        {"x\ry/z\r\n", 60, 0, ""},
        {"\r/e 1\r\n", 60, 1, kSlash},                    // a stray CR lets "/" begin the line
        // Commands, comments and directives write no body text.
        {"/e a,b \"c\"\r\n/* a,b */\r\n// \"\r\n#pagewidth 8,\r\n", 60, 0, ""},
        {"/*\r\n\r\n*/ a,b\r\n", 60, 3, kComma},          // after a block comment, on its last line
        {"/e 1; x,y\r\n", 60, 1, kComma},
        // A LF alone among CR LF ends no line; LF everywhere is read as CR LF.
        {"a\r\nb\nc\r\n", 60, 2, kLf},
        {"a,b\nc\r\n", 60, 1, kComma + kLf},
        {"// x\n/e 1\r\n", 60, 1, kLf},
        {"a,b\nc\n", 60, 1, kComma},
        // clang-format on
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(warningsFor(c.source, c.width), c.line == 0 ? "" : line(c.line, c.reasons)) << c.source;
    }
}

TEST_F(AuthorWarningsTest, SeveralLinesInSourceOrderAndAFreshListPerFile) {
    EXPECT_EQ(warningsFor("a,b\r\nok\r\nabcdefg/x,\"\r\n", 8), line(1, kComma) + line(3, kComma + kQuote + kSlash));
    EXPECT_EQ(warningsFor("ok\r\n"), "");
    EXPECT_EQ(warningsFor("x\ny\r\na,b\r\nc\nd\r\n"), line(1, kLf) + line(2, kComma) + line(3, kLf));
    // A file that cannot be read leaves no warnings of an earlier one behind.
    warningsFor("a,b\r\n");
    EXPECT_EQ(converter_.convertFile((dir_ / "missing.txt").c_str(), dst_.c_str()), -1);
    EXPECT_TRUE(warnings_.empty());
}

}  // namespace
}  // namespace qt::pre::test
