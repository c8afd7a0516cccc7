#include "qrncore/strings/name_token.h"

#include <gtest/gtest.h>

#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {
namespace {

TEST(name_token, values_case_folding_and_limits) {
    struct case_t {
        const char *text;
        bool ok;
        uint64_t value;
    };
    const case_t cases[] = {
        {"", true, 0},
        {"0", true, 1},
        {"a", true, 11},
        {"_", true, 37},
        {"ab", true, 11 + 12 * 38},  // first character least significant
        {"Abc", true, 11 + 12 * 38 + 13 * 38 * 38},
        {"abc", true, 11 + 12 * 38 + 13 * 38 * 38},
        {"____________", true, 9065737908494995455ull},  // 38^12 - 1: the largest token
        {"abcdefghijklm", false, 0},                     // 13 characters
        {"a.b", false, 0},
        {"a b", false, 0},
        {"caf\xe9", false, 0},
        {"-", false, 0},
    };
    for (const auto &c : cases) {
        uint64_t v = 12345;
        EXPECT_EQ(string_to_token(v, c.text), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 12345u) << c.text;
        EXPECT_EQ(is_valid_token(c.text), c.ok) << c.text;
    }
}

TEST(name_token, round_trip_normalises_case) {
    const char *names[] = {"abc", "Tree_01", "x", "", "zzzzzzzzzzzz", "_0_9"};
    for (const char *name : names) {
        uint64_t v = 0;
        ASSERT_TRUE(string_to_token(v, name));
        mstring_dyn_t text;
        EXPECT_TRUE(token_to_string(text, v));
        std::string lower(name);
        for (char &c : lower) c = char(tolower(c));
        EXPECT_EQ(text, lower.c_str());
        EXPECT_TRUE(token_to_string(text, v | (uint64_t(1) << 63)));  // bit 63 ignored
        EXPECT_EQ(text, lower.c_str());
    }
}

TEST(name_token, odd_token_values) {
    mstring_dyn_t text;
    // A digit 0 ends the text even when higher digits follow.
    EXPECT_TRUE(token_to_string(text, 11 + 0 * 38 + 12 * 38 * 38));
    EXPECT_EQ(text, "a");
    // The largest 63-bit value has a zero twelfth digit.
    EXPECT_TRUE(token_to_string(text, 0xffffffffffffffffull));
    EXPECT_EQ(text, "g_z7xh0433o");
    string_fixed_t<3> small;
    uint64_t v = 0;
    string_to_token(v, "abc");
    EXPECT_FALSE(token_to_string(small, v));
    EXPECT_EQ(small, "ab");
}

}  // namespace
}  // namespace quarn
