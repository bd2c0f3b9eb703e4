// Output names, absolute command-line paths and the console's codeset test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "preprocessor/absolute_path.h"
#include "preprocessor/change_extension.h"
#include "preprocessor/console.h"
#include "test_support.h"

namespace qt::pre {
namespace {

using test::sj;

TEST(ChangeExtension, ReplacesOrAppends) {
    const struct {
        std::string path;
        size_t size;
        const char* ext;
        int result;
        std::string after;
    } cases[] = {
        {"a.txt", 260, "dat", 1, "a.dat"},
        {"scenario/a.b.txt", 260, "bin", 1, "scenario/a.b.bin"},
        {"readme", 260, "dat", 2, "readme.dat"},
        {"a.", 260, "dat", 1, "a.dat"},
        {"a.txt", 260, "", 1, "a."},
        // A dot in a folder name is not the file's extension.
        {"/work.old/readme", 260, "dat", 2, "/work.old/readme.dat"},
        {"C:\\work.old\\readme", 260, "dat", 2, "C:\\work.old\\readme.dat"},
        // The 0x5C second byte of 表 is not a folder separator.
        {sj("a.b表"), 260, "dat", 1, "a.dat"},
        {sj("dir.v2/表"), 260, "dat", 2, sj("dir.v2/表.dat")},
        // Room: the buffer size must exceed path + extension (+ 1 for a new dot).
        {"abc.t", 8, "dat", 0, "abc.t"},
        {"abc.t", 9, "dat", 1, "abc.dat"},
        {"abcd", 8, "dat", 0, "abcd"},
        {"abcd", 9, "dat", 2, "abcd.dat"},
    };
    for (const auto& c : cases) {
        char buffer[264] = {};
        std::memcpy(buffer, c.path.c_str(), c.path.size() + 1);
        EXPECT_EQ(changeExtension(buffer, c.size, c.ext), c.result) << c.path;
        EXPECT_EQ(std::string(buffer), c.after) << c.path;
    }
}

TEST(AbsolutePath, JoinsAndNormalises) {
    const struct {
        const char* base;
        const char* path;
        const char* result;
    } cases[] = {
        {"/home/a", "ch1.txt", "/home/a/ch1.txt"},
        {"/home/a", "./x/../y/", "/home/a/y"},
        {"/home/a", "/abs//b/.", "/abs/b"},
        {"/home/a", "sub\\c.txt", "/home/a/sub/c.txt"},
        {"/home/a", "../../..", "/"},
        {"/", "x", "/x"},
        {"", "rel/x", "rel/x"},
    };
    for (const auto& c : cases) EXPECT_EQ(absolutePath(c.base, c.path), c.result) << c.path;
}

TEST(Console, ShiftJisCodesets) {
    for (const char* name : {"SHIFT_JIS", "Shift-JIS", "sjis", "CP932", "WINDOWS-31J", "MS_KANJI"}) {
        EXPECT_TRUE(isShiftJisCodeset(name)) << name;
    }
    for (const char* name : {"UTF-8", "ANSI_X3.4-1968", "EUC-JP", "ISO-2022-JP", ""}) {
        EXPECT_FALSE(isShiftJisCodeset(name)) << name;
    }
}

}  // namespace
}  // namespace qt::pre
