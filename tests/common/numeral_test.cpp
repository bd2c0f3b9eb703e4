#include "common/numeral.h"

#include <gtest/gtest.h>

#include <string>

TEST(Numeral, Table) {
    // clang-format off
    const struct { const char* text; double value; int32_t integer; } cases[] = {
        {" \t-12.5kg", -12.5, -12}, {"+7", 7, 7}, {".5", 0.5, 0}, {"5.", 5, 5}, {"1e3", 1, 1},
        {"abc", 0, 0}, {"", 0, 0}, {"-", 0, 0}, {"- 5", 0, 0}, {"-&H10", 0, 0}, {"+-1", 0, 0},
        {"1,000", 1, 1}, {"\x81\x40" "1", 0, 0}, {"\n1", 0, 0}, {"007", 7, 7}, {"-0.5", -0.5, 0},
        {"&H1F", 31, 31}, {"&h1f", 31, 31}, {"&HFF", 255, 255}, {"&O17", 15, 15}, {"&O8", 0, 0},
        {"&o777", 511, 511}, {"&B101", 0, 0}, {"&", 0, 0}, {"&H", 0, 0}, {"&H1G", 1, 1},
        {" \t&h10 x", 16, 16}, {"2.9", 2.9, 2}, {"-2.9", -2.9, -2},
        // Around the 32-bit edges: whatever does not fit is the most negative value.
        {"&HFFFFFFFF", 4294967295.0, INT32_MIN}, {"&H80000000", 2147483648.0, INT32_MIN},
        {"&H7FFFFFFF", 2147483647.0, INT32_MAX}, {"2147483647.9", 2147483647.9, INT32_MAX},
        {"2147483648", 2147483648.0, INT32_MIN}, {"-2147483647", -2147483647.0, -2147483647},
        {"-2147483648", -2147483648.0, INT32_MIN}, {"-2147483649", -2147483649.0, INT32_MIN},
        {"&HFFFFFFFFFFFF", 281474976710655.0, INT32_MIN},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(qt::numeralValue(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(qt::numeralInt(c.text), c.integer) << '"' << c.text << '"';
    }
}

TEST(Numeral, VeryLongDigitRuns) {
    EXPECT_EQ(qt::numeralValue((std::string(400, '0') + "12").c_str()), 12.0);
    EXPECT_EQ(qt::numeralInt(("1" + std::string(400, '0')).c_str()), INT32_MIN);
}
