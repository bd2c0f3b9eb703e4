// Splitting one command-line text, the platform's arguments, and the memory
// error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "preprocessor/cmd_line.h"
#include "test_support.h"

namespace qt::pre {
namespace {

std::vector<std::string> split(const char* text) {
    const CCmdLine cmd(text);
    std::vector<std::string> args;
    for (uint32_t i = 0; i < cmd.argumentCount(); ++i) args.emplace_back(cmd.argument(i));
    EXPECT_EQ(cmd.argument(cmd.argumentCount()), nullptr);
    EXPECT_EQ(cmd.argument(cmd.argumentCount() + 7), nullptr);
    return args;
}

TEST(CCmdLine, SplitsOneText) {
    using V = std::vector<std::string>;
    const struct {
        const char* text;
        V args;
    } cases[] = {
        {"prog", {"prog"}},
        {"", {}},
        {"   ", {}},
        {"\"C:\\novel\\qPre.exe\" \"C:\\My Docs\\a.txt\" b.txt",
         {"C:\\novel\\qPre.exe", "C:\\My Docs\\a.txt", "b.txt"}},
        {"prog   a    b   ", {"prog", "a", "b"}},
        {"prog a\tb", {"prog", "a\tb"}},
        {"prog \"a b", {"prog", "a b"}},
        {"prog \"\" x", {"prog", "", "x"}},
        {"prog \"a\"b", {"prog", "a", "b"}},
        {"prog a\"b c", {"prog", "a\"b", "c"}},
        {"p 1 2 3 4 5", {"p", "1", "2", "3", "4", "5"}},
        {"p 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
         {"p", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15",
          "16", "17"}},
    };
    for (const auto& c : cases) EXPECT_EQ(split(c.text), c.args) << c.text;
}

TEST(CCmdLine, TakesThePlatformArgumentsAsCp932) {
    const char* argv[] = {"/opt/novel/qPre", "シナリオ 1.txt", "bad\xFF\xFE", ""};
    const CCmdLine cmd(4, argv);
    ASSERT_EQ(cmd.argumentCount(), 4u);
    EXPECT_STREQ(cmd.argument(0), "/opt/novel/qPre");
    EXPECT_EQ(std::string(cmd.argument(1)), test::sj("シナリオ 1.txt"));
    EXPECT_STREQ(cmd.argument(2), "bad\xFF\xFE");
    EXPECT_STREQ(cmd.argument(3), "");
    EXPECT_EQ(cmd.argument(4), nullptr);
}

void* failingReallocate(void*, size_t) { return nullptr; }

TEST(CCmdLineDeathTest, MemoryErrorEndsWithExitCode1) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CCmdLine::setReallocate(&failingReallocate);
            const CCmdLine cmd("prog a b");
        },
        ::testing::ExitedWithCode(1), "CCmdLineクラス: メモリ確保に失敗しました\n");
}

}  // namespace
}  // namespace qt::pre
