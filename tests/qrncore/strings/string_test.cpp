#include "qrncore/strings/string.h"

#include <gtest/gtest.h>

namespace quarn {
namespace {

TEST(string_view, compare_whole_texts_and_prefixes) {
    struct case_t {
        const char *a, *b;
        int32_t n;
        int sign;
    };
    const case_t cases[] = {
        {"abc", "abc", -1, 0},  {"abc", "abd", -1, -1}, {"abd", "abc", -1, 1},
        {"ab", "abc", -1, -1},  {"", "", -1, 0},        {"\xe9", "e", -1, 1},  // bytes are unsigned
        {"abcx", "abcy", 3, 0}, {"abcx", "abcy", 4, -1}, {"b", "a", 0, 0},
        {"abc", "abd", -2, -1},  // other negative counts bound nothing
    };
    for (const auto &c : cases) {
        int r = string(c.a).compare(c.b, c.n);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b << " n=" << c.n;
        if (c.n == -1) {
            EXPECT_TRUE(r >= -1 && r <= 1);
        }
    }
}

TEST(string_view, null_reads_as_empty_and_statics) {
    string null_view(nullptr);
    EXPECT_TRUE(null_view.is_empty());
    EXPECT_EQ(null_view, string::EMPTY);
    EXPECT_EQ(string::NUL_CHAR[0], 0);
    EXPECT_EQ(string::WHITESPACE, " \t\r\n");
    EXPECT_EQ(string_alias_t::WHITESPACE, string::WHITESPACE);
}

}  // namespace
}  // namespace quarn
