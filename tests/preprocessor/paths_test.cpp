// The command line, output names and the console.
#include <cstring>
#include <string>
#include <vector>

#include "preprocessor/change_extension.h"
#include "preprocessor/cmd_line.h"
#include "preprocessor/console.h"
#include "test_support.h"

namespace qt::pre::test {
namespace {

using V = std::vector<std::string>;

V split(const CCmdLine& cmd) {
    V args;
    for (uint32_t i = 0; i < cmd.argumentCount(); ++i) args.emplace_back(cmd.argument(i));
    EXPECT_EQ(cmd.argument(cmd.argumentCount()), nullptr);
    return args;
}

TEST(CCmdLine, SplitsOneText) {
    // clang-format off
    const struct { const char* text; V args; } cases[] = {
        // clang-format off
        {"prog", {"prog"}}, {"   ", {}}, {"prog   a    b   ", {"prog", "a", "b"}},
        {"\"C:\\novel\\qPre.exe\" \"C:\\My Docs\\a.txt\" b.txt", {"C:\\novel\\qPre.exe", "C:\\My Docs\\a.txt", "b.txt"}},
        {"prog a\tb", {"prog", "a\tb"}}, {"prog \"a b", {"prog", "a b"}}, {"prog \"\" x", {"prog", "", "x"}},
        {"prog \"a\"b", {"prog", "a", "b"}}, {"prog a\"b c", {"prog", "a\"b", "c"}},
        {"p 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
         {"p", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17"}},
        // clang-format on
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(split(CCmdLine(c.text)), c.args) << c.text;
}

TEST(CCmdLine, PlatformArgumentsBecomeCp932) {
    const char* argv[] = {"/opt/novel/qPre", "シナリオ 1.txt", "bad\xFF\xFE", ""};
    EXPECT_EQ(split(CCmdLine(4, argv)), (V{"/opt/novel/qPre", sj("シナリオ 1.txt"), "bad\xFF\xFE", ""}));
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

TEST(ChangeExtension, ReplacesOrAppends) {
    // clang-format off
    const struct { std::string path; size_t size; const char* ext; int result; std::string after; } cases[] = {
        // clang-format off
        {"a.txt", 260, "dat", 1, "a.dat"}, {"s/a.b.txt", 260, "bin", 1, "s/a.b.bin"},
        {"readme", 260, "dat", 2, "readme.dat"}, {"a.", 260, "dat", 1, "a.dat"},
        // A dot in a folder name is not the file's extension; nor is the
        // 0x5C second byte of 表 a folder separator.
        {"/work.old/readme", 260, "dat", 2, "/work.old/readme.dat"},
        {"C:\\work.old\\readme", 260, "dat", 2, "C:\\work.old\\readme.dat"}, {sj("a.b表"), 260, "dat", 1, "a.dat"},
        {"abc.t", 8, "dat", 0, "abc.t"}, {"abc.t", 9, "dat", 1, "abc.dat"},
        {"abcd", 8, "dat", 0, "abcd"}, {"abcd", 9, "dat", 2, "abcd.dat"},
        // clang-format on
    };
    // clang-format on
    for (const auto& c : cases) {
        char buffer[264] = {};
        std::memcpy(buffer, c.path.c_str(), c.path.size() + 1);
        EXPECT_EQ(changeExtension(buffer, c.size, c.ext), c.result) << c.path;
        EXPECT_EQ(std::string(buffer), c.after) << c.path;
    }
}

TEST(Console, WritesUtf8UnlessTheCodesetIsShiftJis) {
    for (const char* name : {"SHIFT_JIS", "sjis", "CP932", "WINDOWS-31J"}) EXPECT_TRUE(isShiftJisCodeset(name));
    for (const char* name : {"UTF-8", "EUC-JP", ""}) EXPECT_FALSE(isShiftJisCodeset(name));
    testing::internal::CaptureStdout();
    Console(true).print(sj("終了\r\n"));
    Console(false).print(sj("終了\r\n"));
    std::fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), sj("終了\r\n") + "終了\r\n");
}

}  // namespace
}  // namespace qt::pre::test
