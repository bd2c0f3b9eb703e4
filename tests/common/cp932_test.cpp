#include "common/cp932.h"

#include <gtest/gtest.h>

#include "common/message.h"
#include "common/messages.h"
#include "common/report.h"

namespace {

TEST(Cp932, BothDirections) {
    const struct {
        const char* cp932;
        const char* utf8;
    } cases[] = {
        {"abc\\~", "abc\\~"},        {"\x93\xFA\x96\x7B\x8C\xEA", "日本語"}, {"\x95\x5C", "表"},
        {"\xB1\xDF", "ｱﾟ"},          {"\x81\x60", "～"},                  {"\x87\x40", "①"},
        {"\x81\x40", "\u3000"},      {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qt::cp932ToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(qt::utf8ToCp932(c.utf8), c.cp932);
        EXPECT_TRUE(qt::isValidCp932(c.cp932));
    }
}

TEST(Cp932, InvalidBytesAreKept) {
    const struct {
        std::string in;
        std::string out;
        bool valid;
    } toUtf8[] = {{"a\x80" "b", "a\x80" "b", false}, {"\xFF\xFD", "\xFF\xFD", false}, {"\x82", "\x82", false},
                  {"\x82\x20" "x", "\x82 x", false}, {"\x81\x7F\x82\xA0", "\x81\x7F" "あ", false},
                  {std::string("a\0b", 3), std::string("a\0b", 3), true}};
    for (const auto& c : toUtf8) {
        EXPECT_EQ(qt::cp932ToUtf8(c.in), c.out);
        EXPECT_EQ(qt::isValidCp932(c.in), c.valid);
    }
    EXPECT_EQ(qt::utf8ToCp932("\xC3" "a"), "\xC3" "a");
    EXPECT_EQ(qt::utf8ToCp932("x\xF0\x9F\x98\x80" "あ"), "x\xF0\x9F\x98\x80\x82\xA0");
}

TEST(Message, ConvertedOnceToCp932) {
    const qt::Message m{"エラー"};
    EXPECT_STREQ(m.utf8(), "エラー");
    EXPECT_EQ(m.cp932(), "\x83\x47\x83\x89\x81\x5B");
    EXPECT_EQ(m.c_str(), m.c_str());
    EXPECT_STREQ(qt::msg::errorCaption.c_str(), "\x83\x47\x83\x89\x81\x5B\x81\x40");
    EXPECT_STREQ(qt::msg::lineCaption.c_str(), "\x81\x40LINE:");
}

TEST(Report, CaptionAndTextInUtf8OnStderr) {
    testing::internal::CaptureStderr();
    qt::reportToStderr("\x83\x47\x83\x89\x81\x5B", "\x95\x5C.txt");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "エラー: 表.txt\n");
}

}  // namespace
