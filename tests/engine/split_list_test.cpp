#include "engine/core/split_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qt::engine {
namespace {

struct SplitCase {
    std::string text;
    int capacity;
    int result;
    std::vector<std::string> fields;
};

TEST(SplitList, Table) {
    const SplitCase cases[] = {
        {"", 8, 1, {""}},
        {"24,,24", 8, 2, {"24", "24"}},
        {"a,,b,,", 8, 3, {"a", "b", ""}},
        {",,,b", 8, 2, {"", ",b"}},
        {"a,b", 8, 1, {"a,b"}},
        {"1,,2,,3,,4,,5,,6,,7,,8", 8, 8, {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {"1,,2,,3,,4,,5,,6,,7,,8,,9", 8, -8, {}},
        {"&H0000ff,,&H00ff00,,1,,2,,3", 4, -4, {}},
        {"-64,,-16,,8", 4, 3, {"-64", "-16", "8"}},
        // A comma after an odd run of lead bytes is the second byte of a
        // character: no separator there.
        {"\x81,,,x", 8, 2, {"\x81,", "x"}},
        {"\x81\x81,,x", 8, 2, {"\x81\x81", "x"}},
        {"\x81\x81\x81,,,x", 8, 2, {"\x81\x81\x81,", "x"}},
        {"\x82\xA0,,x", 8, 2, {"\x82\xA0", "x"}},
    };
    for (const SplitCase& c : cases) {
        std::string buffer = c.text;
        char* fields[8] = {};
        const int n = splitList(buffer.data(), c.capacity, fields);
        EXPECT_EQ(n, c.result) << c.text;
        if (n > 0) {
            ASSERT_EQ(static_cast<size_t>(n), c.fields.size()) << c.text;
            for (int i = 0; i < n; ++i) EXPECT_EQ(fields[i], c.fields[i]) << c.text << " #" << i;
        }
    }
}

}  // namespace
}  // namespace qt::engine
