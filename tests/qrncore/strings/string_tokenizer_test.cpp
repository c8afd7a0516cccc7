#include "qrncore/strings/string_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {
namespace {

std::vector<std::string> tokens(const char *text, const char *separators) {
    string_tokenizer_t tok(text, separators);
    std::vector<std::string> out;
    mstring_dyn_t t;
    while (tok.get_next(t)) out.push_back(t.c_str());
    EXPECT_FALSE(tok.get_next(t));
    return out;
}

TEST(string_tokenizer, separator_runs_never_give_empty_tokens) {
    using v = std::vector<std::string>;
    EXPECT_EQ(tokens("  a,,b ,", " ,"), (v{"a", "b"}));
    EXPECT_EQ(tokens("a", " "), (v{"a"}));
    EXPECT_EQ(tokens(" ,, ", " ,"), v{});
    EXPECT_EQ(tokens("", " "), v{});
    EXPECT_EQ(tokens(nullptr, " "), v{});
    EXPECT_EQ(tokens("a b", nullptr), (v{"a b"}));
    EXPECT_EQ(tokens("3: wood\r\n0x10\tgrass", ": \r\n\t"), (v{"3", "wood", "0x10", "grass"}));
}

TEST(string_tokenizer, skipping_safe_copies_and_the_rest) {
    string_tokenizer_t tok("first longer_token  rest, of it ", " ");
    EXPECT_TRUE(tok.get_next(nullptr));
    string_fixed_t<4> small;
    EXPECT_FALSE(tok.get_next_safely(&small));
    EXPECT_EQ(small, "lon");
    mstring_dyn_t rest;
    EXPECT_TRUE(tok.get_rest(rest));
    EXPECT_EQ(rest, "rest, of it ");
    EXPECT_TRUE(tok.is_finished());
    EXPECT_FALSE(tok.get_rest(rest));
    EXPECT_FALSE(tok.get_next_safely(&rest));

    string_tokenizer_t cut("abcdef x", " ");
    EXPECT_TRUE(cut.get_next(&small));  // get_next reports the token, not the copy
    EXPECT_EQ(small, "abc");
}

}  // namespace
}  // namespace quarn
