// Quoted words: the comment cut, the escapes and the writer's form.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qrncore/strings/quoted_word.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {
namespace {

TEST(quoted_word, comments_begin_outside_quoted_words) {
    const struct {
        const char *line;
        const char *kept;
    } cases[] = {
        {"uset a 1 # note", "uset a 1 "},
        {"# all comment", ""},
        {"uset name \"Hunter #1\" # note", "uset name \"Hunter #1\" "},
        {"uset name \"a \\\" # b\"#c", "uset name \"a \\\" # b\""},
        {"uset name \"a\\\\\" # b", "uset name \"a\\\\\" "},
        {"x \"unterminated # runs on", "x \"unterminated # runs on"},
        {"ab\"c # d\"", "ab\"c "},           // a quote inside a word quotes nothing
        {"\"q\"\"#x\"", "\"q\"\"#x\""},      // a word begins right after a closing quote
        {"\"q\"x\"#y\"", "\"q\"x\""},    // ... but a word that begins with x is unquoted
        {"tab\t\"#\"", "tab\t\""},           // tabs do not separate words
    };
    for (const auto &c : cases) {
        const uint32_t len = uint32_t(strlen(c.line));
        EXPECT_EQ(std::string(c.line, quoted_comment_start(c.line, len)), c.kept) << c.line;
    }
}

TEST(quoted_word, every_text_reads_back_from_its_quoted_form) {
    for (const char *text : {"", "plain", "two words", "Hunter #1", "say \"hi\"", "C:\\games\\", "\\\"", "\"\"\\\\",
                             "a;b", "  blanks  "}) {
        mstring_dyn_t out;
        ASSERT_TRUE(quoted_word_append(out, text));
        const std::string written = out.c_str();
        if (!strpbrk(text, "\"\\")) {
            EXPECT_EQ(written, "\"" + std::string(text) + "\"");  // as it stands
        }
        const char *end = written.c_str() + written.size();
        ASSERT_EQ(quoted_word_end(written.c_str(), end), end - 1) << written;
        EXPECT_EQ(quoted_comment_start(written.c_str(), uint32_t(written.size())), written.size());
        std::string inner = written.substr(1, written.size() - 2);
        inner.resize(quoted_word_unescape(inner.data(), uint32_t(inner.size())));
        EXPECT_EQ(inner, text);
    }
}

}  // namespace
}  // namespace quarn
