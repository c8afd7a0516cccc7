#include "qrncore/strings/mstring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "support/memory_file.h"

namespace quarn {
namespace {

// Records every buffer size the heap text asks for, so tests can see that it grows
// to exactly what an operation needs, and counts live buffers.
struct counting_allocator_t {
    static inline std::vector<uint32_t> sizes;
    static inline int live = 0;
    static char *allocate(uint32_t n) {
        sizes.push_back(n);
        ++live;
        return new char[n];
    }
    static void release(char *p) {
        --live;
        delete[] p;
    }
};
using counted_t = string_dyn_t<counting_allocator_t>;

constexpr uint32_t END = mstring_t::TO_END;

struct copy_case_t {
    const char *what;
    const char *initial;
    const char *src;
    uint32_t dst_off, src_off, count;
    const char *fixed_text;  // in a string_fixed_t<8>
    bool fixed_ok;
    const char *heap_text;
    bool heap_ok;
    uint32_t heap_capacity;
};

const copy_case_t COPY_CASES[] = {
    {"ten bytes", "", "0123456789", 0, 0, END, "0123456", false, "0123456789", true, 11},
    {"exact fit", "", "1234567", 0, 0, END, "1234567", true, "1234567", true, 8},
    {"count bounds the copy", "", "abcdef", 0, 1, 3, "bcd", true, "bcd", true, 4},
    {"count past the source end", "", "abc", 0, 1, 100, "bc", true, "bc", true, 3},
    {"count ends with the room", "", "0123456789", 0, 0, 7, "0123456", true, "0123456", true, 8},
    {"source offset past its end", "xyz", "ab", 1, 5, END, "x", true, "x", true, 4},
    {"source offset past its end, short count", "xyz", "ab", 1, 4, 1, "x", true, "x", true, 4},
    {"at the length", "ab", "cdefghij", 2, 0, END, "abcdefg", false, "abcdefghij", true, 11},
    {"count 0 cuts", "abc", "zz", 1, 0, 0, "a", true, "a", true, 4},
    {"into the middle terminates", "abcdef", "X", 2, 0, END, "abX", true, "abX", true, 7},
    {"empty into empty", "", "", 0, 0, END, "", true, "", true, 0},
};

TEST(mstring, copy_into_fixed_and_heap_texts) {
    for (const auto &c : COPY_CASES) {
        SCOPED_TRACE(c.what);
        string_fixed_t<8> fixed(c.initial);
        EXPECT_EQ(fixed.copy(c.src, c.dst_off, c.src_off, c.count), c.fixed_ok);
        EXPECT_EQ(fixed, c.fixed_text);

        counted_t heap(c.initial);
        EXPECT_EQ(heap.copy(c.src, c.dst_off, c.src_off, c.count), c.heap_ok);
        EXPECT_EQ(heap, c.heap_text);
        EXPECT_EQ(heap.get_capacity(), c.heap_capacity);
    }
    EXPECT_EQ(counting_allocator_t::live, 0);
}

TEST(mstring, heap_text_grows_to_exact_sizes_and_shares_the_empty_buffer) {
    counting_allocator_t::sizes.clear();
    {
        counted_t empty, also_empty;
        EXPECT_EQ(empty.c_str(), string::NUL_CHAR);
        EXPECT_EQ(also_empty.c_str(), string::NUL_CHAR);
        EXPECT_EQ(empty.get_capacity(), 0u);

        counted_t t("abc");
        t.append('d');            // 3 + 2
        t.append("efgh");         // 4 + 4 + 1
        t.printf("%s-%d", "x", 12345);  // fits the 9 bytes: no growth
        EXPECT_EQ(t, "x-12345");
        t.printf_append("%08x", 0xbeefu);  // 7 + 8 + 1
        EXPECT_EQ(t, "x-123450000beef");
        EXPECT_TRUE(t.append('\0'));
        EXPECT_EQ(t.length(), 15u);
    }
    EXPECT_EQ(counting_allocator_t::sizes, (std::vector<uint32_t>{4, 5, 9, 16}));
    EXPECT_EQ(counting_allocator_t::live, 0);
}

TEST(mstring, copies_from_its_own_buffer_survive_growth) {
    counted_t heap("abc");
    EXPECT_TRUE(heap.append(heap));
    EXPECT_EQ(heap, "abcabc");
    EXPECT_TRUE(heap.copy(heap, 0, 2, END));
    EXPECT_EQ(heap, "cabc");

    string_fixed_t<8> fixed("abcd");
    EXPECT_FALSE(fixed.append(fixed));
    EXPECT_EQ(fixed, "abcdabc");
}

TEST(mstring, fixed_text_reports_full_appends_and_formats) {
    string_fixed_t<4> t("abc");
    EXPECT_FALSE(t.append('d'));
    EXPECT_EQ(t, "abc");
    EXPECT_FALSE(t.printf("%d", 12345));
    EXPECT_EQ(t, "123");
    EXPECT_TRUE(t.printf("%s", "ab"));
    EXPECT_FALSE(t.printf_append("%s", "cd"));
    EXPECT_EQ(t, "abc");
    EXPECT_FALSE(t.is_resizable());
    EXPECT_EQ(t.get_capacity(), 4u);
}

TEST(mstring, copy_range_remove_and_replace) {
    mstring_dyn_t t;
    t.copy_range("0123456789", 2, 4);
    EXPECT_EQ(t, "234");
    t.copy_range("0123456789", 7, END);
    EXPECT_EQ(t, "789");

    struct remove_case_t {
        uint32_t first, last;
        const char *result;
        bool ok;
    };
    const remove_case_t removes[] = {
        {0, 2, "cdef", true}, {2, 4, "abef", true}, {4, 100, "abcd", true},
        {6, 9, "abcdef", true}, {3, 3, "abcdef", true}, {4, 2, "abcdef", false},
    };
    for (const auto &r : removes) {
        mstring_dyn_t s("abcdef");
        EXPECT_EQ(s.remove(r.first, r.last), r.ok) << r.first << "," << r.last;
        EXPECT_EQ(s, r.result) << r.first << "," << r.last;
    }

    mstring_dyn_t path("a\\b\\c");
    EXPECT_EQ(path.replace('\\', '/', 2), "a\\b/c");
    EXPECT_EQ(path.replace("x.y.z", '.', '_'), "x_y_z");
}

TEST(mstring, replace_pattern) {
    struct case_t {
        const char *text, *pattern, *replacement, *result;
    };
    const case_t cases[] = {
        {"a.b.c", ".", "::", "a::b::c"},
        {"aaaa", "aa", "b", "bb"},        // left to right, no overlap
        {"aaa", "aa", "b", "ba"},
        {"abc", "x", "y", "abc"},
        {"abc", "", "y", "abc"},          // an empty pattern replaces nothing
        {"$x$", "$x", "", "$"},
        {"", "a", "b", ""},
    };
    for (const auto &c : cases) {
        mstring_dyn_t text(c.text), out("old");
        EXPECT_TRUE(text.replace(out, c.pattern, c.replacement));
        EXPECT_EQ(out, c.result) << c.text << " / " << c.pattern;
        EXPECT_TRUE(text.replace(text, c.pattern, c.replacement));
        EXPECT_EQ(text, c.result) << "in place: " << c.text << " / " << c.pattern;
    }
    mstring_dyn_t text("a-b-c");
    string_fixed_t<6> small;
    EXPECT_FALSE(text.replace(small, "-", "--"));
    EXPECT_EQ(small, "a--b-");
}

TEST(mstring, copies_moves_and_assignment) {
    counted_t a("first");
    counted_t b(a);
    EXPECT_EQ(b, "first");
    EXPECT_NE(a.c_str(), b.c_str());

    const char *buffer = a.c_str();
    counted_t moved(std::move(a));
    EXPECT_EQ(moved.c_str(), buffer);
    EXPECT_EQ(moved.get_capacity(), 6u);
    EXPECT_EQ(a.c_str(), string::NUL_CHAR);
    EXPECT_EQ(a.get_capacity(), 0u);

    b = std::move(moved);
    EXPECT_EQ(b.c_str(), buffer);
    EXPECT_TRUE(moved.is_empty());

    string_fixed_t<4> fixed;
    mstring_t &base = fixed;
    base = b;  // assignment copies whatever fits
    EXPECT_EQ(fixed, "fir");
    string_fixed_t<4> fixed_copy(fixed);
    EXPECT_EQ(fixed_copy, "fir");
    EXPECT_NE(fixed_copy.c_str(), fixed.c_str());
    b = b;
    EXPECT_EQ(b, "first");
}

std::string stored(const std::string &text) {
    std::string bytes(8, '\0');
    bytes[0] = char(text.size());
    return bytes + text;
}

TEST(mstring, write_and_read_round_trip) {
    test::memory_file_t file;
    ASSERT_TRUE(string("hello").write(file));
    ASSERT_TRUE(string("").write(file));
    EXPECT_EQ(file.bytes, stored("hello") + stored(""));

    test::memory_file_t in(file.bytes);
    counted_t heap;
    ASSERT_TRUE(heap.read(in));
    EXPECT_EQ(heap, "hello");
    EXPECT_EQ(heap.get_capacity(), 6u);
    ASSERT_TRUE(heap.read(in));
    EXPECT_EQ(heap, "");
    EXPECT_FALSE(heap.read(in));  // nothing left
}

TEST(mstring, read_refuses_bad_lengths_and_short_files) {
    struct case_t {
        const char *what;
        std::string bytes;
        bool stat_fails;
        bool heap_ok, fixed_ok;
    };
    const std::string minus_one = std::string("\xff\xff\xff\xff", 4) + std::string(4, '\0');
    const std::string huge = std::string("\x00\x00\x00\x70", 4) + std::string(4, '\0') + "abc";
    const std::string high_half = std::string("\x03\0\0\0\x01\0\0\0", 8) + "abc";
    const case_t cases[] = {
        {"length -1", minus_one, false, false, false},
        {"length beyond the file", huge, false, false, false},
        {"short read without stat", huge, true, false, false},
        {"high half ignored", high_half, false, true, true},
        {"does not fit the fixed text", stored("abcdefgh"), false, true, false},
        {"header cut", std::string(5, '\0'), false, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        test::memory_file_t f1(c.bytes), f2(c.bytes);
        f1.fail_stat = f2.fail_stat = c.stat_fails;
        counting_allocator_t::sizes.clear();
        counted_t heap("previous");
        EXPECT_EQ(heap.read(f1), c.heap_ok);
        if (!c.heap_ok) {
            EXPECT_EQ(heap, "");
        }
        for (uint32_t size : counting_allocator_t::sizes) EXPECT_LE(size, 64u * 1024 + 1);
        string_fixed_t<8> fixed("previous");
        EXPECT_EQ(fixed.read(f2), c.fixed_ok);
        if (!c.fixed_ok) {
            EXPECT_EQ(fixed, "");
        }
    }
}

TEST(mstring, string_write_stops_at_the_first_failed_write) {
    test::memory_file_t header_fails, body_fails;
    header_fails.write_limit = 4;
    body_fails.write_limit = 10;
    EXPECT_FALSE(string("hello").write(header_fails));
    EXPECT_TRUE(header_fails.bytes.empty());
    EXPECT_FALSE(string("hello").write(body_fails));
    EXPECT_EQ(body_fails.bytes.size(), 8u);
    EXPECT_EQ(body_fails.get_error(), FS_ERR_IO);
}

}  // namespace
}  // namespace quarn
