#include "qrncore/strings/cstring.h"

#include <gtest/gtest.h>

#include <cstring>

#include "qrncore/strings/bit_scan.h"
#include "qrncore/strings/format.h"

namespace quarn {
namespace {

TEST(cstring, strhash) {
    struct case_t {
        const char *text;
        uint32_t hash;
    };
    const case_t cases[] = {
        {"", 0},
        {"a", 97},
        {"ab", 97 * 29 + 98},
        {"\xff", 0xfffe},  // signed byte -1: h = 0xffffffff, + 0xffff wraps
        {"abcdefg", 0xfeee},  // h = 0xeb3213bc: the high half folded in changes the result
    };
    for (const auto &c : cases) EXPECT_EQ(v_strhash(c.text), c.hash) << c.text;
}

TEST(cstring, chop_and_skip_white_space) {
    char text[] = "value \t\r\n";
    v_chop(text);
    EXPECT_STREQ(text, "value");
    char blank[] = " \n";
    v_chop(blank);
    EXPECT_STREQ(blank, "");
    char keep[] = "x\v";
    v_chop(keep);
    EXPECT_STREQ(keep, "x\v");
    EXPECT_STREQ(v_skip_wspace(" \t\v\f\r\nx y"), "x y");
    EXPECT_STREQ(v_skip_wspace(""), "");
}

TEST(cstring, bounded_lengths_and_copies) {
    EXPECT_EQ(v_strnlen_impl("abcdef", 3), 3u);
    EXPECT_EQ(v_strnlen_impl("ab", 10), 2u);

    char buf[16];
    memset(buf, 'x', sizeof buf);
    char *end = v_stpcpy_impl(buf, "abc");
    EXPECT_EQ(end, buf + 3);
    EXPECT_STREQ(buf, "abc");

    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(v_stpncpy_impl(buf, "abc", 10), buf + 3);
    EXPECT_EQ(buf[4], 'x');  // stops after the terminator
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(v_stpncpy_impl(buf, "abcdef", 4), buf + 4);
    EXPECT_EQ(memcmp(buf, "abcdx", 5), 0);

    char overlap[16] = "0123456789";
    EXPECT_EQ(v_move_string_impl(overlap + 2, overlap), overlap + 2);
    EXPECT_STREQ(overlap, "010123456789");
    EXPECT_STREQ(v_move_string_impl(overlap, overlap + 4), "23456789");
}

TEST(cstring, formatting_reports_the_full_length) {
    char buf[8];
    EXPECT_EQ(v_snprintf(buf, sizeof buf, "%s-%d", "abcdef", 42), 9);
    EXPECT_STREQ(buf, "abcdef-");
    EXPECT_EQ(v_snprintf(nullptr, 0, "%u", 12345u), 5);
    EXPECT_EQ(v_scprintf("%08x", 1u), 8);
    char big[32];
    EXPECT_EQ(v_sprintf(big, "%lld|%zu", (long long)-5, sizeof(int)), 4);
    EXPECT_STREQ(big, "-5|4");
}

TEST(cstring, bit_scans) {
    struct case_t {
        uint32_t x, forward, reverse;
    };
    const case_t cases[] = {
        {0, 0xffffffff, 0xffffffff}, {1, 0, 0},        {0x80000000, 31, 31}, {0xffffffff, 0, 31},
        {0x00010000, 16, 16},        {0x00f0f000, 12, 23}, {6, 1, 2},       {0x40000001, 0, 30},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(v_bit_scan_forward_impl(c.x), c.forward) << std::hex << c.x;
        EXPECT_EQ(v_bit_scan_reverse_impl(c.x), c.reverse) << std::hex << c.x;
    }
    for (uint32_t i = 0; i < 32; ++i) {
        EXPECT_EQ(v_bit_scan_forward_impl(1u << i), i);
        EXPECT_EQ(v_bit_scan_reverse_impl(1u << i), i);
    }
}

}  // namespace
}  // namespace quarn
