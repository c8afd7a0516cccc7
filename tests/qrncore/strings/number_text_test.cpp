#include "qrncore/strings/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "support/temp_dir.h"

namespace quarn {
namespace {

uint32_t bits(float f) { return std::bit_cast<uint32_t>(f); }

TEST(float_text, accepted_forms) {
    struct case_t {
        const char *text;
        uint32_t bits;
    };
    const case_t cases[] = {
        {"&3f800000", 0x3f800000},
        {"&3F800000", 0x3f800000},
        {"$0000803f", 0x3f800000},
        {"1f", 0x3f800000},
        {"1", 0x3f800000},
        {"1.5f", 0x3fc00000},
        {"1.5F", 0x3fc00000},  // the unit reader passes either case
        {"-2e3", bits(-2000.0f)},
        {"0.25", 0x3e800000},
        {".5", 0x3f000000},
        {"5.", 0x40a00000},
        {"1e+006", bits(1e6f)},
        {"+3", 0x40400000},
        {"  7", 0x40e00000},  // strtod skips leading white space
        {"0.1", 0x3dcccccd},
        {"-0", 0x80000000},
        {"1e999", 0x7f800000},
        {"-1e999", 0xff800000},
        {"1e-999", 0},
        {"3.4028235e38", 0x7f7fffff},
        {"&0", 0},
        {"&ffffffff", 0xffffffff},
        {"&0x3f800000", 0x3f800000},     // strtoul's own prefix
        {"&123456789", 0xffffffff},      // nine digits saturate, as the 32-bit runtime did
        {"&00000003f800000", 0x3f800000},  // leading zeros do not overflow
        {"&-1", 0xffffffff},
        {"$-123456789", 0x01000000},  // saturated, then negated to 1, then reversed
    };
    for (const auto &c : cases) {
        float f = 42.0f;
        EXPECT_TRUE(string_to_float(f, c.text)) << c.text;
        EXPECT_EQ(bits(f), c.bits) << c.text;
    }
}

TEST(float_text, refused_forms_leave_the_output) {
    const char *cases[] = {
        "1.5ff", "1.5 ", "&3f80000g", "$0000803fz", "&", "$", "& ", "&0x", "", "f", "abc",
        "inf",   "nan",  "0x10",      "1e",         "1e+", ".", "-",  "1,5", "1.5d", "&3f800000 ",
    };
    for (const char *text : cases) {
        float f = 42.0f;
        EXPECT_FALSE(string_to_float(f, text)) << '"' << text << '"';
        EXPECT_EQ(f, 42.0f) << text;
    }
}

TEST(float_text, writes_the_bits_and_round_trips) {
    const float values[] = {1.0f, 0.3f, 0.1f, -0.0f, 1e-45f, 3.4028235e38f, INFINITY, -INFINITY, NAN};
    for (float v : values) {
        mstring_dyn_t text;
        ASSERT_TRUE(float_to_string(text, v));
        EXPECT_EQ(text.length(), 9u);
        EXPECT_EQ(text[0], '&');
        float back = 0;
        ASSERT_TRUE(string_to_float(back, text));
        EXPECT_EQ(bits(back), bits(v)) << text.c_str();
    }
    mstring_dyn_t one;
    float_to_string(one, 1.0f);
    EXPECT_EQ(one, "&3f800000");
    float_to_string(one, 0.3f);
    EXPECT_EQ(one, "&3e99999a");
    string_fixed_t<8> small;
    EXPECT_FALSE(float_to_string(small, 1.0f));
}

// A locale whose decimal separator is a comma, built from a small definition in a
// temporary folder so the test does not depend on the locales the machine has.
class comma_locale_t {
public:
    comma_locale_t() {
        if (!test::write_file(m_dir.file("comma.def"),
                              "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3;3\nEND LC_NUMERIC\n"))
            return;
        // -c: the definition leaves the other categories out on purpose.
        std::string cmd = "localedef -c -i '" + m_dir.file("comma.def") + "' -f UTF-8 '" +
                          m_dir.file("comma.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) < 0) return;
        const char *old = getenv("LOCPATH");
        m_old_locpath = old ? old : "";
        m_had_locpath = old != nullptr;
        setenv("LOCPATH", m_dir.path().c_str(), 1);
        m_active = setlocale(LC_NUMERIC, "comma.UTF-8") != nullptr;
    }
    ~comma_locale_t() {
        setlocale(LC_NUMERIC, "C");
        if (m_had_locpath)
            setenv("LOCPATH", m_old_locpath.c_str(), 1);
        else
            unsetenv("LOCPATH");
    }
    bool active() const { return m_active; }

private:
    test::temp_dir_t m_dir;
    std::string m_old_locpath;
    bool m_had_locpath = false;
    bool m_active = false;
};

TEST(float_text, does_not_follow_the_c_locale) {
    comma_locale_t comma;
    if (!comma.active()) GTEST_SKIP() << "cannot build a comma-decimal locale here";
    ASSERT_EQ(strtod("1,5", nullptr), 1.5);  // the C library now reads commas
    float f = 0;
    EXPECT_TRUE(string_to_float(f, "1.5f"));
    EXPECT_EQ(f, 1.5f);
    EXPECT_FALSE(string_to_float(f, "1,5"));
    EXPECT_EQ(v_strtod("2.25", nullptr), 2.25);
    mstring_dyn_t text;
    float_to_string(text, 1.5f);
    EXPECT_EQ(text, "&3fc00000");
}

TEST(integer_text, runtime_saturation) {
    struct case_t {
        const char *text;
        int base;
        uint32_t ul;
        int32_t l;
        int consumed;
    };
    const case_t cases[] = {
        {"123", 10, 123, 123, 3},
        {"  -12x", 10, uint32_t(-12), -12, 5},
        {"4294967295", 10, 0xffffffffu, INT32_MAX, 10},
        {"4294967296", 10, 0xffffffffu, INT32_MAX, 10},
        {"99999999999999999999999", 10, 0xffffffffu, INT32_MAX, 23},
        {"-4294967296", 10, 1, INT32_MIN, 11},
        {"2147483648", 10, 0x80000000u, INT32_MAX, 10},
        {"-2147483648", 10, 0x80000000u, INT32_MIN, 11},
        {"-2147483649", 10, 0x7fffffffu, INT32_MIN, 11},
        {"0x1F", 16, 31, 31, 4},
        {"0x1F", 0, 31, 31, 4},
        {"017", 0, 15, 15, 3},
        {"019", 0, 1, 1, 2},
        {"z", 36, 35, 35, 1},
        {"0x", 16, 0, 0, 0},  // no digits: nothing consumed
        {"", 10, 0, 0, 0},
        {"+", 10, 0, 0, 0},
        {"12", 1, 0, 0, 0},  // bad base
    };
    for (const auto &c : cases) {
        const char *end = nullptr;
        EXPECT_EQ(v_strtoul(c.text, &end, c.base), c.ul) << c.text;
        EXPECT_EQ(end - c.text, c.consumed) << c.text;
        EXPECT_EQ(v_strtol(c.text, &end, c.base), c.l) << c.text;
        EXPECT_EQ(end - c.text, c.consumed) << c.text;
    }
}

}  // namespace
}  // namespace quarn
