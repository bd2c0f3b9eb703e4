#include "common/sjis.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Sjis, LeadByteEdges) {
    for (int b : {0x81, 0x9F, 0xE0, 0xFC, 0x95}) EXPECT_EQ(qt::isLeadByte(b), -1) << b;
    for (int b : {0x00, 0x5C, 0x7F, 0x80, 0xA0, 0xDF, 0xFD, 0xFF}) EXPECT_EQ(qt::isLeadByte(b), 0) << b;
}

TEST(Sjis, ByteKinds) {
    // clang-format off
    const struct { const char* text; const char* kinds; } cases[] = {  // kinds as digits
        {"\x82\xA0\x41", "120"}, {"\x81\x94\x20", "120"},           // second byte in the lead range
        {"\x81\x81\x81\x81" "A", "12120"}, {"A\x81\x81\x81", "0121"},  // lead runs
        {"\x95\x5C\x5C", "120"}, {"\xE0\x40\xB1\x81\x40", "12012"}, {"\x9F", "1"}, {"@", "0"},
    };
    // clang-format on
    for (const auto& c : cases)
        for (size_t i = 0; i < std::strlen(c.text); ++i)
            EXPECT_EQ(qt::byteKind(c.text, c.text + i), c.kinds[i] - '0') << c.text << " at " << i;
    EXPECT_EQ(qt::byteKind(cases[0].text + 1, cases[0].text), -1);
}

TEST(Sjis, SameText) {
    // clang-format off
    const struct { const char* a; const char* b; int result; } cases[] = {
        {"se", "se ", -1}, {"", "", 0}, {"END", "end", -1}, {"end", "end", 0}, {"a", "", -1},
        {"", "a", -1}, {"\x82\xA0", "\x82\xA0", 0}, {"\x82\xA0", "\x82\xA1", -1}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(qt::sameText(c.a, c.b), c.result) << c.a << '|' << c.b;
}
