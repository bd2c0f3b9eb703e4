#include "common/cp932.h"

#include <gtest/gtest.h>

#include "common/messages.h"
#include "common/report.h"

// Valid text converts both ways; invalid bytes are kept as they are.
TEST(Cp932, Conversion) {
    // clang-format off
    const struct { std::string cp932, utf8; bool valid; } cases[] = {
        {"abc\\~", "abc\\~", true}, {"\x93\xFA\x96\x7B\x8C\xEA", "日本語", true}, {"", "", true},
        {"\x95\x5C", "表", true}, {"\xB1\xDF", "ｱﾟ", true}, {"\x81\x60", "～", true},
        {"\x87\x40", "①", true}, {"\x81\x40", "\u3000", true},
        {std::string("a\0b", 3), std::string("a\0b", 3), true},
        {"a\x80" "b", "a\x80" "b", false}, {"\xFF\xFD", "\xFF\xFD", false}, {"\x82", "\x82", false},
        {"\x82 x", "\x82 x", false}, {"\x81\x7F\x82\xA0", "\x81\x7F" "あ", false}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(qt::cp932ToUtf8(c.cp932), c.utf8);
        EXPECT_EQ(qt::isValidCp932(c.cp932), c.valid);
        if (c.valid) {
            EXPECT_EQ(qt::utf8ToCp932(c.utf8), c.cp932);
        }
    }
    EXPECT_EQ(qt::utf8ToCp932("\xC3"
                              "a"),
              "\xC3"
              "a");
    EXPECT_EQ(qt::utf8ToCp932("x\xF0\x9F\x98\x80"
                              "あ"),
              "x\xF0\x9F\x98\x80\x82\xA0");
}

// Sources written on Linux: all of the text or nothing, and where it stopped.
TEST(Cp932, StrictFromUtf8) {
    using S = qt::StrictConversion::Status;
    // clang-format off
    const struct { std::string utf8; S status; size_t offset; char32_t c; std::string cp932; } cases[] = {
        {"日本語 ok", S::ok, 0, 0, "\x93\xFA\x96\x7B\x8C\xEA ok"}, {"", S::ok, 0, 0, ""},
        {"a〜b§", S::ok, 0, 0, "a\x81\x60" "b\x81\x98"},  // the wave dash as Linux writes it
        {"ab😀c", S::noCp932Form, 2, 0x1F600, ""}, {"\r\né", S::noCp932Form, 2, 0xE9, ""},
        {"a\xFF", S::notUtf8, 1, 0, ""}, {"a\xED\xA0\x80", S::notUtf8, 1, 0, ""},  // a surrogate
        {"\xC0\x80", S::notUtf8, 0, 0, ""}, {"あ\xE3\x81", S::notUtf8, 3, 0, ""},  // overlong; cut short
        {"\x82\xA0", S::notUtf8, 0, 0, ""}};
    // clang-format on
    for (const auto& c : cases) {
        std::string out = "untouched";
        const qt::StrictConversion r = qt::utf8ToCp932Strict(c.utf8, &out);
        EXPECT_EQ(r.status, c.status) << c.utf8;
        EXPECT_EQ(qt::isValidUtf8(c.utf8), c.status != S::notUtf8) << c.utf8;
        if (c.status == S::ok) {
            EXPECT_EQ(out, c.cp932);
        } else {
            EXPECT_EQ(out, "untouched");
            EXPECT_EQ(r.offset, c.offset) << c.utf8;
            EXPECT_EQ(r.character, c.c) << c.utf8;
        }
    }
}

TEST(Message, ConvertedOnceToCp932) {
    const qt::Message m{"エラー"};
    EXPECT_EQ(m.cp932(), "\x83\x47\x83\x89\x81\x5B");
    EXPECT_EQ(m.c_str(), m.c_str());
    EXPECT_STREQ(qt::msg::errorCaption.c_str(), "\x83\x47\x83\x89\x81\x5B\x81\x40");
    testing::internal::CaptureStderr();
    qt::reportToStderr(m.cp932(), "\x95\x5C.txt");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "エラー: 表.txt\n");
}
