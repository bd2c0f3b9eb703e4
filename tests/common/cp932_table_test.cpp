// The browser build's CP932 tables convert exactly as glibc's iconv does.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/cp932.h"
#include "common/cp932_table.h"

namespace {

void expectSameAsIconv(const std::string& s) {
    namespace t = qt::cp932table;
    ASSERT_EQ(t::cp932ToUtf8(s), qt::cp932ToUtf8(s)) << testing::PrintToString(s);
    ASSERT_EQ(t::utf8ToCp932(s), qt::utf8ToCp932(s)) << testing::PrintToString(s);
    ASSERT_EQ(t::isValidCp932(s), qt::isValidCp932(s)) << testing::PrintToString(s);
    ASSERT_EQ(t::isValidUtf8(s), qt::isValidUtf8(s)) << testing::PrintToString(s);
    std::string a = "untouched", b = "untouched";
    const qt::StrictConversion x = t::utf8ToCp932Strict(s, &a), y = qt::utf8ToCp932Strict(s, &b);
    ASSERT_EQ(x.status, y.status) << testing::PrintToString(s);
    ASSERT_EQ(x.offset, y.offset) << testing::PrintToString(s);
    ASSERT_EQ(x.character, y.character) << testing::PrintToString(s);
    ASSERT_EQ(a, b) << testing::PrintToString(s);
}

TEST(Cp932Table, EveryOneAndTwoByteSequence) {
    for (int a = 0; a < 256; ++a) {
        expectSameAsIconv(std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b) expectSameAsIconv({static_cast<char>(a), static_cast<char>(b)});
    }
}

TEST(Cp932Table, EveryCharacterOfTheBasicPlaneAndBeyond) {
    for (uint32_t cp = 0x80; cp < 0x110000; cp += cp < 0x10000 ? 1 : 97) {
        std::string s = "a";
        const int tail = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
        const uint32_t lead[] = {0, 0xC0, 0xE0, 0xF0};
        s += static_cast<char>(lead[tail] | (cp >> (6 * tail)));
        for (int i = tail - 1; i >= 0; --i) s += static_cast<char>(0x80 | ((cp >> (6 * i)) & 0x3F));
        s += "b";
        expectSameAsIconv(s);
    }
}

// Runs of bytes where sequences start, continue, break off and end early.
TEST(Cp932Table, RandomRuns) {
    // clang-format off
    const unsigned char pool[] = {0x00, 0x41, 0x5C, 0x7E, 0x7F, 0x80, 0x81, 0x82, 0x87, 0x9F, 0xA0, 0xA4, 0xB1, 0xC0,
                                  0xC2, 0xDF, 0xE0, 0xE3, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFA, 0xFC, 0xFD, 0xFF, 0x40,
                                  0x60, 0x8F, 0xBF, 0x9E};
    // clang-format on
    std::mt19937 rng(932);
    for (int n = 0; n < 60000; ++n) {
        std::string s(rng() % 12, '\0');
        for (char& c : s) c = static_cast<char>(rng() % 3 == 0 ? rng() % 256 : pool[rng() % sizeof pool]);
        expectSameAsIconv(s);
    }
}

}  // namespace
