#include "qrncore/numerics/base64.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qrncore/system/host_alloc.h"

namespace quarn {
namespace {

std::string bytes_of(const base64_t &b) {
    return std::string(reinterpret_cast<const char *>(b.get_data()), b.get_data_count());
}

TEST(base64, encode_groups_and_padding) {
    struct row_t {
        std::string in, out;
    };
    const row_t rows[] = {
        {"", ""},
        {"\xFB\xFF", "-_8="},  // entries 62 and 63 of the URL-safe alphabet
        {"ABC", "QUJD"},
        {"A", "QQ=="},
        {"AB", "QUI="},
        {"ABCDEFG", "QUJDREVGRw=="},
        {std::string("\0\0\0", 3), "AAAA"},
    };
    for (const row_t &r : rows) {
        base64_t b;
        EXPECT_TRUE(b.encode(r.in.data(), r.in.size()));
        EXPECT_STREQ(b.get_text(), r.out.c_str()) << r.out;
        EXPECT_EQ(b.get_text_length(), r.out.size());
    }
    // Encoding appends to the text already there.
    base64_t b;
    b.encode("A", 1);
    b.encode("ABC", 3);
    EXPECT_STREQ(b.get_text(), "QQ==QUJD");
    EXPECT_TRUE(b.encode(nullptr, 3));
    EXPECT_STREQ(b.get_text(), "QQ==QUJD");
    b.clear_text();
    EXPECT_STREQ(b.get_text(), "");
}

TEST(base64, decode_results_and_what_stays_appended) {
    struct row_t {
        const char *in;
        bool ok;
        std::string bytes;
    };
    const row_t rows[] = {
        {"", true, ""},
        {"QUJD", true, "ABC"},
        {"QU J\nD", true, "ABC"},  // characters outside the alphabet are skipped
        {"-_8=", true, "\xFB\xFF"},
        {"QQ==", true, "A"},
        {"QUI=", true, "AB"},
        {"QQ", false, ""},               // the text ends inside a group
        {"QQ==QQ==", false, "A"},        // something follows a padded group
        {"QUJDQQ", false, "ABC"},        // a complete group stays decoded
        {"QUJD\n", false, "ABC"},        // a trailing break starts a group it cannot finish
        {"=QUJ", false, ""},             // "=" first
        {"Q=UJ", false, ""},             // "=" second
        {"QUJ+", false, ""},             // "+" is not in this alphabet: too few characters
    };
    for (const row_t &r : rows) {
        base64_t b;
        EXPECT_EQ(b.decode(r.in), r.ok) << r.in;
        EXPECT_EQ(bytes_of(b), r.bytes) << r.in;
    }
    base64_t b;
    b.decode("QQ==");
    b.decode("QUI=");
    EXPECT_EQ(bytes_of(b), "AAB");
    b.clear_data();
    EXPECT_EQ(b.get_data_count(), 0u);
}

TEST(base64, round_trip_of_every_length_and_byte) {
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(char(i));
    for (size_t n = 0; n <= all.size(); n += (n < 70 ? 1 : 37)) {
        base64_t enc;
        ASSERT_TRUE(enc.encode(all.data(), n));
        EXPECT_EQ(enc.get_text_length(), (n + 2) / 3 * 4);
        base64_t dec;
        ASSERT_TRUE(dec.decode(enc.get_text())) << n;
        EXPECT_EQ(bytes_of(dec), all.substr(0, n));
    }
}

// Host allocation that refuses anything larger than a limit.
size_t alloc_limit = 0;
void *limited_new(size_t bytes) { return bytes > alloc_limit ? nullptr : malloc(bytes); }

class base64_no_memory : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = qrncore_system_new_vector;
        qrncore_system_new_vector = limited_new;
    }
    void TearDown() override { qrncore_system_new_vector = m_saved; }

private:
    host_new_t m_saved = nullptr;
};

TEST_F(base64_no_memory, failed_growth_is_false_and_keeps_what_was_appended) {
    alloc_limit = 0;
    base64_t none;
    EXPECT_FALSE(none.encode("ABC", 3));
    EXPECT_STREQ(none.get_text(), "");
    EXPECT_FALSE(none.decode("QUJD"));
    EXPECT_EQ(none.get_data_count(), 0u);

    // Room for a few bytes, not for all six.
    alloc_limit = 4;
    base64_t some;
    EXPECT_FALSE(some.decode("QUJDREVG"));
    EXPECT_GT(some.get_data_count(), 0u);
    EXPECT_LT(some.get_data_count(), 6u);
    EXPECT_EQ(bytes_of(some), std::string("ABCDEF").substr(0, some.get_data_count()));

    EXPECT_FALSE(some.encode("ABCDEF", 6));
    EXPECT_LE(some.get_text_length(), 3u);
    EXPECT_EQ(std::string(some.get_text()), std::string("QUJDREVG").substr(0, some.get_text_length()));
}

}  // namespace
}  // namespace quarn
