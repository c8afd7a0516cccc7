#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/qrnshared/arg.h"
#include "outside/qrnshared/cmd_queue.h"

namespace quarn::test {
namespace {

std::vector<std::string> words(const arg_t &a) {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < a.count(); ++i) out.push_back(a.c_word(i));
    return out;
}

TEST(arg, splits_at_blanks_with_quoted_words_whole) {
    struct case_t {
        const char *line;
        uint32_t max;
        bool last;
        std::vector<std::string> expected;
    };
    const case_t cases[] = {
        {"", 0, false, {}},
        {"    ", 0, false, {}},
        {"one", 0, false, {"one"}},
        {"  uset  name   value ", 0, false, {"uset", "name", "value"}},
        {"uset s_mix_rate \"44100\"", 0, false, {"uset", "s_mix_rate", "44100"}},
        {"echo \"two words\" after", 0, false, {"echo", "two words", "after"}},
        {"set x \"\"", 0, false, {"set", "x", ""}},
        {"open \"unterminated rest", 0, false, {"open", "unterminated rest"}},
        {"ab\"cd ef", 0, false, {"ab\"cd", "ef"}},
        {"\"ab\"cd", 0, false, {"ab", "cd"}},
        {"tab\tkept", 0, false, {"tab\tkept"}},
        {"a b c d", 2, false, {"a", "b"}},
        {"a b  \"c\"  d", 2, true, {"a", "b  \"c\"  d"}},
        {"a", 2, true, {"a"}},
        // Escapes inside quoted words only; other backslashes stay as written.
        {"say \"a \\\"b\\\" c\"", 0, false, {"say", "a \"b\" c"}},
        {"x \"C:\\games\" \"a\\\\b\" \"end\\\\\"", 0, false, {"x", "C:\\games", "a\\b", "end\\"}},
        {"x \"open\\\" rest", 0, false, {"x", "open\" rest"}},
        {"x a\\\"b", 0, false, {"x", "a\\\"b"}},
    };
    arg_t a;
    for (const auto &c : cases) {
        EXPECT_TRUE(a.split(c.line, c.max, c.last));
        EXPECT_EQ(words(a), c.expected) << c.line;
    }
}

TEST(arg, many_words_grow_the_store) {
    std::string line;
    for (int i = 0; i < 100; ++i) line += std::to_string(i) + " ";
    arg_t a;
    ASSERT_TRUE(a.split(line.c_str()));
    ASSERT_EQ(a.count(), 100u);
    EXPECT_STREQ(a.c_word(0), "0");
    EXPECT_STREQ(a.c_word(99), "99");
}

TEST(cmd_queue, lines_come_out_in_order) {
    cmd_queue_t q;
    EXPECT_TRUE(q.is_empty());
    EXPECT_EQ(q.peek(), nullptr);
    q.pop();  // nothing to drop
    ASSERT_TRUE(q.append("first"));
    ASSERT_TRUE(q.append(""));
    ASSERT_TRUE(q.append("third line"));
    EXPECT_STREQ(q.peek(), "first");
    q.pop();
    EXPECT_STREQ(q.peek(), "");
    q.pop();
    EXPECT_STREQ(q.peek(), "third line");
    q.reset();
    EXPECT_TRUE(q.is_empty());
    ASSERT_TRUE(q.append("again"));
    EXPECT_STREQ(q.peek(), "again");
}

}  // namespace
}  // namespace quarn::test
