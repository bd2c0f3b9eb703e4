#include "common/paths.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

TEST(Paths, OnlyBackslashCharactersBecomeSlashes) {
    // clang-format off
    const struct { const char* in; const char* out; } cases[] = {
        {"a\\b\\c", "a/b/c"}, {"\x95\x5C\\x", "\x95\x5C/x"}, {"\x81\x81\\", "\x81\x81/"},
        {"\x81\x5C\x5C", "\x81\x5C/"}, {"\xB1\\", "\xB1/"}, {"", ""}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(qt::toSlashes(c.in), c.out) << c.in;
}

class Resolver : public testing::Test {
protected:
    void SetUp() override {
        // The last one is a CP932 name left unconverted on disk.
        for (const char* name : {"日本語.txt", "表示/a.txt", "Data/Sub/File.TXT", "〜.txt", "\x83\x65.txt"}) {
            folder.write(name, "");
        }
    }
    qt::test::TempFolder folder;
    const std::string root = folder.path() + "/";
};

TEST_F(Resolver, FindsExistingPaths) {
    // clang-format off
    const struct { const char* in; const char* onDisk; } cases[] = {  // nullptr: not found
        {"\x93\xFA\x96\x7B\x8C\xEA.txt", "日本語.txt"}, {"\x95\x5C\x8E\xA6\\a.txt", "表示/a.txt"},
        {"\x95\x5C\x8E\xA6\\A.TXT", "表示/a.txt"}, {"data\\SUB\\file.txt", "Data/Sub/File.TXT"},
        {"DATA/sub", "Data/Sub"}, {"data\\sub\\.\\..\\SUB\\file.txt", "Data/Sub/./../Sub/File.TXT"},
        {"\x83\x65.txt", "\x83\x65.txt"}, {"\x83\x65.TXT", "\x83\x65.txt"},
        {"nothere.txt", nullptr}, {"Data\\nothere\\File.TXT", nullptr}, {"\x95\x5C", nullptr},
        {"\x81\x60.txt", "〜.txt"}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(qt::resolveExisting(root + c.in).value_or("-"), c.onDisk ? root + c.onDisk : "-");
        EXPECT_EQ(qt::pathExists(root + c.in), c.onDisk != nullptr) << c.in;
    }
    EXPECT_TRUE(qt::folderExists(root + "data\\sub"));
    EXPECT_FALSE(qt::folderExists(root + "data\\sub\\file.txt"));
    EXPECT_FALSE(qt::resolveExisting("").has_value());
}

TEST_F(Resolver, NewFilesGoUnderTheirUtf8Name) {
    EXPECT_EQ(qt::resolveForCreate(root + "data\\SUB\\\x90\x56.dat"), root + "Data/Sub/新.dat");
    EXPECT_EQ(qt::resolveForCreate(root + "data\\SUB\\FILE.txt"), root + "Data/Sub/File.TXT");
    EXPECT_EQ(qt::resolveForCreate(root + "\x95\x5C\x8E\xA6\\b.txt"), root + "表示/b.txt");
    EXPECT_EQ(qt::resolveForCreate(root + "\x95\x5C.txt"), root + "表.txt");
}
