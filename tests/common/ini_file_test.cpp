#include "common/ini_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "common/exe_folder.h"
#include "support/temp_folder.h"

// clang-format off
const char* const kLines[] = {
    "top=before any section", "[Main]", "  Key1 \t=  spaced value \t", "key2=\"quoted\"",
    "key3='single'", "key4=\"unbalanced", "key5=\"\"", ";key6=commented", "  ; key6=commented",
    "key7=", "key8=\x93\xFA\x96\x7B\x8C\xEA", "key9=a=b ; not a comment", "KEY1=a later one",
    "novalue", "[other]", "only=in other", "[\x83\x5Dx]", "k=v",  // 0x5D as a second byte
    "[num]", "dec=12", "neg=-12", "plus=+7", "trail= 42abc", "none=abc", "empty=", "hex=&H10",
    "wrap=4294967297", "quoted=\"-5\"", "frac=1.9", "colour=&H00ff00ff", "zero=0",
    "big=&HFFFFFFFF", "[main]", "second=in a second section of the same name"};
// clang-format on

class IniFile : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        std::string text;
        for (const char* line : kLines) text += std::string(line) + GetParam();
        folder.write("t.ini", text);
        folder.write("bom.ini", "\xEF\xBB\xBF[main]" + std::string(GetParam()) + "k=5" + GetParam());
        std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s", folder.path().c_str());
    }
    static std::string read(const char* sect, const char* key, size_t size = 64, const char* file = "t.ini") {
        char buf[80];
        std::memset(buf, '#', sizeof buf);
        const int n = qt::readIniString(sect, key, "DEF", buf, size, file);
        EXPECT_EQ(n, int(std::strlen(buf)));
        EXPECT_EQ(buf[size], '#') << "written past the buffer";
        return buf;
    }
    qt::test::TempFolder folder;
};
INSTANTIATE_TEST_SUITE_P(LineEnds, IniFile, testing::Values("\r\n", "\n"));

TEST_P(IniFile, Strings) {
    // clang-format off
    const struct { const char* section; const char* key; const char* value; } cases[] = {
        {"main", "key1", "spaced value"}, {"MAIN", "KEY1", "spaced value"}, {"main", "key5", ""},
        {"main", "key2", "quoted"}, {"main", "key3", "single"}, {"main", "key4", "\"unbalanced"},
        {"main", "key6", "DEF"}, {"main", "key7", ""}, {"main", "key8", "\x93\xFA\x96\x7B\x8C\xEA"},
        {"main", "key9", "a=b ; not a comment"}, {"main", "novalue", "DEF"}, {"main", "top", "DEF"},
        {"other", "only", "in other"}, {"\x83\x5Dx", "k", "v"}, {"main", "only", "DEF"},
        {"main", "second", "DEF"}, {"nosuch", "key1", "DEF"}, {"main", "nosuch", "DEF"}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(read(c.section, c.key), c.value) << c.key;
    EXPECT_EQ(read("main", "key1", 1, "missing.ini"), "");
    EXPECT_EQ(read("main", "key1", 7, "missing.ini"), "DEF");
    EXPECT_EQ(read("main", "key1", 7), "spaced");
    EXPECT_EQ(read("main", "key8", 4), "\x93\xFA\x96");
}

TEST_P(IniFile, Numbers) {
    // clang-format off
    const struct { const char* key; int asInt; int32_t asNumber; } cases[] = {
        {"dec", 12, 12}, {"neg", -12, -12}, {"plus", 7, 7}, {"trail", 42, 42}, {"none", 0, 0},
        {"empty", 99, 99}, {"hex", 0, 16}, {"wrap", 1, INT32_MIN}, {"quoted", -5, -5},
        {"zero", 0, 0}, {"frac", 1, 1}, {"colour", 0, 0x00ff00ff}, {"big", 0, INT32_MIN},
        {"nosuch", 99, 99}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(qt::readIniInt("num", c.key, 99, "t.ini"), c.asInt) << c.key;
        EXPECT_EQ(qt::readIniNumber("num", c.key, 99, "t.ini"), c.asNumber) << c.key;
    }
    EXPECT_EQ(qt::readIniInt("num", "dec", 99, "missing.ini"), 99);
    EXPECT_EQ(qt::readIniNumber("num", "dec", 99, "missing.ini"), 99);
    EXPECT_EQ(qt::readIniInt("main", "k", 3, "bom.ini"), 5);  // the byte order mark hides no section
}

// The settings path has room for 263 bytes; a longer one falls back to the defaults.
TEST(IniPath, TooLongForItsRoomGivesDefaults) {
    qt::test::TempFolder folder;
    const std::string deep = std::string(100, 'd') + "/" + std::string(100, 'e');
    std::snprintf(qt::exeFolder, sizeof qt::exeFolder, "%s/%s", folder.path().c_str(), deep.c_str());
    const std::string fits(263 - std::strlen(qt::exeFolder) - 1, 'f'), tooLong = fits + "g";
    folder.write(deep + "/" + fits, "[a]\nk=7\n");
    folder.write(deep + "/" + tooLong, "[a]\nk=7\n");
    EXPECT_EQ(qt::readIniInt("a", "k", 3, fits.c_str()), 7);
    EXPECT_EQ(qt::readIniInt("a", "k", 3, tooLong.c_str()), 3);
    EXPECT_EQ(qt::readIniNumber("a", "k", 3, tooLong.c_str()), 3);
    char buf[8];
    qt::readIniString("a", "k", "DEF", buf, sizeof buf, tooLong.c_str());
    EXPECT_STREQ(buf, "DEF");
}
