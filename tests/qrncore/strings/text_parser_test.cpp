#include "qrncore/strings/text_parser.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace quarn {
namespace {

// A parser over a copy of the text, without its terminator, so reads past the end
// show up under the address sanitizer.
class parser_fixture_t {
public:
    explicit parser_fixture_t(const std::string &text) : m_bytes(text.begin(), text.end()) {
        parser.set_buffer(m_bytes.data(), uint32_t(m_bytes.size()));
    }
    std::string token(uint32_t max = 64) {
        std::vector<char> buf(max + 1);
        parser.read_token(buf.data(), max);
        return buf.data();
    }
    text_parser_t parser;

private:
    std::vector<char> m_bytes;
};

std::vector<std::string> all_tokens(parser_fixture_t &p, uint32_t max = 64) {
    std::vector<std::string> out;
    for (std::string t; !(t = p.token(max)).empty();) out.push_back(t);
    return out;
}

TEST(text_parser, tokens_comments_and_lines) {
    using v = std::vector<std::string>;
    struct case_t {
        const char *text;
        uint32_t max;
        v tokens;
        int32_t lines;
    };
    const case_t cases[] = {
        {"a b #c\nd", 64, {"a", "b", "d"}, 1},
        {"  \r\n\t x#y z\n#only\n\n w", 64, {"x", "w"}, 4},
        {"abcdefghij k", 4, {"abcd", "efgh", "ij", "k"}, 0},
        {"", 64, {}, 0},
        {"# nothing but a comment", 64, {}, 0},
    };
    for (const auto &c : cases) {
        parser_fixture_t p(c.text);
        EXPECT_EQ(all_tokens(p, c.max), c.tokens) << c.text;
        EXPECT_EQ(p.parser.report_current_line(), c.lines) << c.text;
        EXPECT_TRUE(p.parser.finished_reading()) << c.text;
    }
}

TEST(text_parser, read_line_skips_empty_and_comment_lines) {
    parser_fixture_t p("\n# only a comment\n  key = 1  # note\r\n\tnext\t\nlast");
    char buf[64];
    EXPECT_EQ(p.parser.read_line(buf, 63), 7u);
    EXPECT_STREQ(buf, "key = 1");
    EXPECT_EQ(p.parser.report_current_line(), 3);
    EXPECT_EQ(p.parser.read_line(buf, 63), 4u);
    EXPECT_STREQ(buf, "next");
    EXPECT_EQ(p.parser.read_line(buf, 63), 4u);
    EXPECT_STREQ(buf, "last");
    EXPECT_EQ(p.parser.read_line(buf, 63), 0u);
    EXPECT_STREQ(buf, "");

    // Only '\n' ends a line; a carriage return before it is trimmed.
    parser_fixture_t cr("x\ry \r\n\r\nz");
    EXPECT_EQ(cr.parser.read_line(buf, 63), 3u);
    EXPECT_STREQ(buf, "x\ry");
    EXPECT_EQ(cr.parser.read_line(buf, 63), 1u);
    EXPECT_EQ(cr.parser.report_current_line(), 2);

    // A '#' inside a quoted word is text.
    parser_fixture_t quoted("uset name \"Hunter #1\"  # the player\n");
    EXPECT_EQ(quoted.parser.read_line(buf, 63), 21u);
    EXPECT_STREQ(buf, "uset name \"Hunter #1\"");

    // A line longer than the buffer is cut, and its rest does not come back.
    parser_fixture_t longer("0123456789abc\nnext\n");
    EXPECT_EQ(longer.parser.read_line(buf, 8), 8u);
    EXPECT_STREQ(buf, "01234567");
    EXPECT_EQ(longer.parser.read_line(buf, 8), 4u);
    EXPECT_STREQ(buf, "next");
}

TEST(text_parser, read_one_line_consumes_long_lines) {
    parser_fixture_t p("short\nthis line is long\n\nend");
    char buf[16];
    std::vector<std::string> lines;
    while (!p.parser.finished_reading()) {
        p.parser.read_one_line(buf, 8);
        lines.push_back(buf);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"short", "this lin", "", "end"}));
    EXPECT_EQ(p.parser.report_current_line(), 3);
    EXPECT_EQ(p.parser.read_one_line(buf, 8), 0u);
}

TEST(text_parser, read_vector) {
    struct case_t {
        const char *text;
        int min, max, result;
    };
    const case_t cases[] = {
        {"< 1 2 3 >", 3, 4, 3},  {"< 1 2 3 >", 1, 2, -1},   {"< 1 2 3 >", 4, 4, -1},
        {"< >", 0, 4, 0},        {"1 2 3 >", 0, 4, -1},     {"< 1 x >", 0, 4, -1},
        {"< 1 2", 0, 4, -1},     {"<1 2>", 0, 4, -1},       {"< 1.5e1 -.5 >", 2, 2, 2},
        {"< 1f >", 0, 4, -1},    {"", 0, 4, -1},
    };
    for (const auto &c : cases) {
        parser_fixture_t p(c.text);
        float values[4] = {};
        EXPECT_EQ(p.parser.read_vector(values, c.min, c.max), c.result) << c.text;
    }
    parser_fixture_t p("< 1.5e1 -.5 > tail");
    float values[2];
    ASSERT_EQ(p.parser.read_vector(values, 2, 2), 2);
    EXPECT_EQ(values[0], 15.0f);
    EXPECT_EQ(values[1], -0.5f);
    EXPECT_EQ(p.token(), "tail");
}

TEST(text_parser, read_int_and_read_float) {
    parser_fixture_t ints("12 -7 0x1f 017 99999999999 x");
    int32_t v[4] = {};
    ASSERT_EQ(ints.parser.read_int(v, 4, 0), 4);
    EXPECT_EQ(v[0], 12);
    EXPECT_EQ(v[1], -7);
    EXPECT_EQ(v[2], 31);
    EXPECT_EQ(v[3], 15);
    ASSERT_EQ(ints.parser.read_int(v, 1, 10), 1);
    EXPECT_EQ(v[0], INT32_MAX);  // saturates like the 32-bit runtime
    EXPECT_EQ(ints.parser.read_int(v, 1, 10), -1);
    EXPECT_EQ(ints.parser.read_int(v, 0, 10), 0);
    EXPECT_EQ(ints.parser.read_int(v, 1, 10), -1);  // the end

    parser_fixture_t hex("ff 10");
    ASSERT_EQ(hex.parser.read_int(v, 2, 16), 2);
    EXPECT_EQ(v[0], 255);
    EXPECT_EQ(v[1], 16);

    parser_fixture_t floats("1.5 -2e3 .25 1.5f");
    float f[3] = {};
    ASSERT_EQ(floats.parser.read_float(f, 3), 3);
    EXPECT_EQ(f[0], 1.5f);
    EXPECT_EQ(f[1], -2000.0f);
    EXPECT_EQ(f[2], 0.25f);
    EXPECT_EQ(floats.parser.read_float(f, 0), 0);
    EXPECT_EQ(floats.parser.read_float(f, -3), -3);
    EXPECT_EQ(floats.parser.read_float(f, 1), -1);  // strtod stops before the 'f'
}

TEST(text_parser, read_string) {
    struct case_t {
        const char *what;
        const char *text;
        char quote;
        uint32_t len;
        int result;
        const char *value;
        const char *next;
    };
    const case_t cases[] = {
        {"escaped double quote", "\"a\\\"b\" next", 0, 64, 3, "a\"b", "next"},
        {"single quotes keep backslashes", "'a\\b' x", 0, 64, 3, "a\\b", "x"},
        {"blank-delimited", "  word rest", 0, 64, 4, "word", "rest"},
        {"escaped blank", "w\\ x y", 0, 64, 3, "w x", "y"},
        {"quoted blanks and a comment after", "\"a b\"#c\nz", 0, 64, 3, "a b", "z"},
        {"last word of the text", "last", 0, 64, 4, "last", ""},
        {"unclosed quote", "\"open", 0, 64, -1, "open", ""},
        {"at the end", "   ", 0, 64, -1, "", ""},
        {"blank quote at white space", "  x", ' ', 64, 0, "", "x"},
        {"blank quote on a word", "x y", ' ', 64, 1, "x", "y"},
        {"own delimiter", "abc|def", '|', 64, 3, "abc", "def"},
        {"own delimiter keeps backslashes", "a\\|b|c", '|', 64, 2, "a\\", "b|c"},
        {"does not fit", "abcdef x", 0, 4, 4, "abc", "x"},
        {"quoted does not fit", "\"abc def\" x", 0, 4, 4, "abc", "x"},
        {"fits exactly", "abc x", 0, 4, 3, "abc", "x"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        parser_fixture_t p(c.text);
        char buf[64];
        memset(buf, 'Z', sizeof buf);
        EXPECT_EQ(p.parser.read_string(buf, c.len, c.quote), c.result);
        EXPECT_STREQ(buf, c.value);
        EXPECT_EQ(p.token(), c.next);
    }
    parser_fixture_t lines("\"one\ntwo\" x\ny");
    char buf[16];
    EXPECT_EQ(lines.parser.read_string(buf, sizeof buf, 0), 7);
    EXPECT_EQ(lines.parser.report_current_line(), 1);
}

TEST(text_parser, blocks) {
    struct case_t {
        const char *text;
        uint32_t measured;
        const char *after;  // next token after skip_block; null when it fails
    };
    const case_t cases[] = {
        {" a { b } c } d", 13, "d"},
        {" a # } in a comment\n } d", 23, "d"},
        {"}", 1, ""},
        {" a { b }", 0, nullptr},
        {"", 0, nullptr},
    };
    for (const auto &c : cases) {
        parser_fixture_t p(c.text);
        const char *start = p.parser.report_parse_ptr();
        EXPECT_EQ(p.parser.measure_block(), c.measured) << c.text;
        EXPECT_EQ(p.parser.report_parse_ptr(), start) << c.text;
        EXPECT_EQ(p.parser.skip_block(), c.after != nullptr) << c.text;
        if (c.after) {
            EXPECT_EQ(p.token(), c.after) << c.text;
        }
    }
    parser_fixture_t p(" a { b } c } d");
    EXPECT_EQ(p.parser.measure_block(), 13u);
    EXPECT_EQ(p.token(), "a");  // nothing moved
}

TEST(text_parser, characters_spaces_undo_and_reset) {
    parser_fixture_t p(std::string("  \t x\n y\xff", 9));
    p.parser.skip_spaces();
    EXPECT_EQ(p.parser.read_char(), 'x');
    p.parser.undo_read();
    EXPECT_EQ(p.parser.read_char(), 'x');
    EXPECT_EQ(p.parser.read_char(), '\n');
    EXPECT_EQ(p.parser.report_current_line(), 0);  // read_char counts no lines
    p.parser.skip_whitespace();
    p.parser.skip_line();
    EXPECT_TRUE(p.parser.finished_reading());

    p.parser.reset();
    EXPECT_EQ(p.token(), "x");
    EXPECT_EQ(p.parser.report_current_line(), 1);
    EXPECT_EQ(p.token(), "y\xff");
    p.parser.undo_read();
    EXPECT_EQ(p.parser.report_current_line(), 1);
    EXPECT_EQ(p.parser.read_char(), 'y');
    EXPECT_EQ(p.parser.read_char(), 0xff);
    EXPECT_EQ(p.parser.read_char(), -1);

    parser_fixture_t lines("a\nb\n");
    lines.parser.skip_line();
    EXPECT_EQ(lines.parser.read_char(), '\n');

    text_parser_t fresh;
    EXPECT_TRUE(fresh.finished_reading());
    char buf[4];
    EXPECT_EQ(fresh.read_token(buf, 3), 0u);
    EXPECT_EQ(fresh.read_char(), -1);
}

}  // namespace
}  // namespace quarn
