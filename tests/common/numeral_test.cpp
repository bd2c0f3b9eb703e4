#include "common/numeral.h"
#include <gtest/gtest.h>
TEST(Numeral, Placeholder0) { EXPECT_EQ(qt::numeralInt("12"), 12); }
