#include "qrncore/collections/chunk_space.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "host_alloc_hook.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using node_t = vdatalist_node_t;

// Checks every invariant of a space: regions tile the buffer in address order without
// gaps, no two free regions touch, the free bytes add up, and each region is on
// exactly the list its mark says.
void expect_sound(const chunk_space_t &space) {
    std::set<const node_t *> on_free, on_used;
    for (node_t *n = space.get_free_head(); n; n = chunk_space_t::record(n)->next) {
        EXPECT_TRUE(on_free.insert(n).second);
        if (node_t *next = chunk_space_t::record(n)->next) {
            EXPECT_EQ(chunk_space_t::record(next)->prev, n);
        }
    }
    for (node_t *n = space.get_used_head(); n; n = chunk_space_t::record(n)->next) {
        EXPECT_TRUE(on_used.insert(n).second);
        if (node_t *next = chunk_space_t::record(n)->next) {
            EXPECT_EQ(chunk_space_t::record(next)->prev, n);
        }
    }
    const char *at = space.get_buffer();
    size_t free_sum = 0;
    bool previous_free = false;
    size_t regions = 0;
    for (const node_t *n = space.get_regions().get_first(); n; n = n->next, ++regions) {
        const chunk_region_t *r = chunk_space_t::record(n);
        EXPECT_EQ(r->data, at);
        EXPECT_EQ(chunk_space_t::size_of(n) % chunk_space_t::REGION_ALIGN, 0u);
        EXPECT_GT(chunk_space_t::size_of(n), 0u);
        at += chunk_space_t::size_of(n);
        const bool is_free = chunk_space_t::is_free(n);
        EXPECT_FALSE(is_free && previous_free) << "two free regions touch";
        previous_free = is_free;
        if (is_free) free_sum += chunk_space_t::size_of(n);
        EXPECT_EQ(is_free ? on_free.count(n) : on_used.count(n), 1u);
    }
    EXPECT_EQ(regions, on_free.size() + on_used.size());
    EXPECT_EQ(at, space.get_buffer() + space.get_capacity());
    EXPECT_EQ(free_sum, space.get_free_bytes());
    EXPECT_EQ(space.get_capacity() % chunk_space_t::REGION_ALIGN, 0u);
}

std::string bytes_of(node_t *region, size_t length) { return std::string(chunk_space_t::data_of(region), length); }

TEST(chunk_space, first_insert_lays_out_a_quarter_more) {
    chunk_space_t space;
    EXPECT_EQ(space.get_capacity(), 0u);
    EXPECT_EQ(space.get_buffer(), nullptr);
    node_t *r = space.insert("0123456789", 10);
    ASSERT_NE(r, nullptr);
    // 10 bytes take 12; 1.25 x 12 = 15, taken up to 16, leaves one free region of 4.
    EXPECT_EQ(chunk_space_t::size_of(r), 12u);
    EXPECT_EQ(space.get_capacity(), 16u);
    EXPECT_EQ(space.get_free_bytes(), 4u);
    EXPECT_EQ(bytes_of(r, 10), "0123456789");
    EXPECT_EQ(space.get_regions().get_count(), 2u);
    expect_sound(space);

    // The free 4 bytes fit the next small record without growing.
    const char *buffer = space.get_buffer();
    node_t *s = space.insert("ab", 2);
    EXPECT_EQ(space.get_buffer(), buffer);
    EXPECT_EQ(space.get_free_bytes(), 0u);
    EXPECT_EQ(chunk_space_t::data_of(s), chunk_space_t::data_of(r) + 12);
    // Full: the next record grows the space to 1.25 x (16 used + 8) = 30 -> 32.
    node_t *t = space.insert("xyzuvw", 6);
    EXPECT_EQ(space.get_capacity(), 32u);
    EXPECT_EQ(space.get_free_bytes(), 8u);
    EXPECT_EQ(bytes_of(r, 10), "0123456789");
    EXPECT_EQ(bytes_of(s, 2), "ab");
    EXPECT_EQ(bytes_of(t, 6), "xyzuvw");
    // Re-laid out in used-list order, the most recently taken first; the new record
    // then comes from the free space behind them.
    EXPECT_EQ(chunk_space_t::data_of(s), space.get_buffer());
    EXPECT_EQ(chunk_space_t::data_of(r), space.get_buffer() + 4);
    EXPECT_EQ(chunk_space_t::data_of(t), space.get_buffer() + 16);
    expect_sound(space);
}

TEST(chunk_space, initial_size_and_zero_length_records) {
    chunk_space_t sized(10);
    EXPECT_EQ(sized.get_capacity(), 12u);
    EXPECT_EQ(sized.get_free_bytes(), 12u);
    EXPECT_EQ(sized.get_regions().get_count(), 1u);
    expect_sound(sized);

    // A zero-length record still takes the smallest region, also in an empty space.
    chunk_space_t space;
    node_t *empty = space.insert(nullptr, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(chunk_space_t::size_of(empty), chunk_space_t::REGION_ALIGN);
    EXPECT_EQ(space.get_capacity(), 8u);  // 1.25 x 4 = 5, taken up to 8
    expect_sound(space);
    node_t *two = space.insert("", 0);
    EXPECT_NE(two, empty);
    EXPECT_EQ(space.get_free_bytes(), 0u);
    expect_sound(space);
}

// Three adjacent records removed in every order end as one free region covering the
// whole buffer, whichever neighbours each removal merges with.
TEST(chunk_space, removals_merge_with_free_neighbours_on_both_sides) {
    std::array<int, 3> order = {0, 1, 2};
    do {
        chunk_space_t space(64);
        node_t *r[3];
        for (int i = 0; i < 3; ++i) r[i] = space.insert("abcdefgh", 8);
        for (int i = 1; i < 3; ++i) EXPECT_EQ(chunk_space_t::data_of(r[i]), chunk_space_t::data_of(r[i - 1]) + 8);
        EXPECT_EQ(space.get_regions().get_count(), 4u);
        for (int i : order) {
            EXPECT_TRUE(space.remove(r[i]));
            expect_sound(space);
        }
        EXPECT_EQ(space.get_regions().get_count(), 1u) << order[0] << order[1] << order[2];
        EXPECT_EQ(space.get_free_bytes(), 64u);
        EXPECT_EQ(space.get_used_head(), nullptr);
    } while (std::next_permutation(order.begin(), order.end()));

    // Without free space around them: both ends first, then the middle one, whose
    // removal merges three ways into a region covering the whole buffer.
    chunk_space_t tight;
    node_t *a = tight.insert("aaaa", 4);
    tight.compact();
    node_t *b = tight.insert("bbbb", 4);
    tight.compact();
    node_t *c = tight.insert("cccc", 4);
    tight.compact();
    EXPECT_EQ(tight.get_capacity(), 12u);
    // Compaction packs the most recently taken first: c, b, a.
    EXPECT_EQ(chunk_space_t::data_of(b), tight.get_buffer() + 4);
    tight.remove(a);
    tight.remove(c);
    EXPECT_EQ(tight.get_regions().get_count(), 3u);
    tight.remove(b);
    EXPECT_EQ(tight.get_regions().get_count(), 1u);
    EXPECT_EQ(tight.get_free_bytes(), 12u);
    expect_sound(tight);
}

TEST(chunk_space, first_fit_reuses_the_last_freed_region) {
    chunk_space_t space(64);
    node_t *r[5];
    for (auto &n : r) n = space.insert("0123456789ab", 12);
    space.remove(r[1]);
    space.remove(r[3]);
    // Both holes fit; the free list is last freed first.
    node_t *s = space.insert("zz", 2);
    EXPECT_EQ(chunk_space_t::data_of(s), chunk_space_t::data_of(r[4]) - 12);
    expect_sound(space);
    // Too big for any hole but not for the free total: the space is re-laid out.
    const size_t capacity = space.get_capacity();
    space.insert("0123456789abcdef", 16);
    EXPECT_GT(space.get_capacity(), capacity);
    expect_sound(space);
}

TEST(chunk_space, compact_packs_used_bytes_and_moves_the_records) {
    chunk_space_t space(100);
    node_t *keep1 = space.insert("first", 5);
    node_t *gone = space.insert("second", 6);
    node_t *keep2 = space.insert("third!", 6);
    space.remove(gone);
    const char *old_data = chunk_space_t::data_of(keep1);
    ASSERT_TRUE(space.compact());
    EXPECT_EQ(space.get_capacity(), 16u);
    EXPECT_EQ(space.get_free_bytes(), 0u);
    EXPECT_EQ(space.get_free_head(), nullptr);
    EXPECT_NE(chunk_space_t::data_of(keep1), old_data);
    EXPECT_EQ(bytes_of(keep1, 5), "first");
    EXPECT_EQ(bytes_of(keep2, 6), "third!");
    expect_sound(space);

    space.remove(keep1);
    space.remove(keep2);
    ASSERT_TRUE(space.compact());
    EXPECT_EQ(space.get_capacity(), 0u);
    EXPECT_EQ(space.get_buffer(), nullptr);
    EXPECT_EQ(space.get_regions().get_count(), 0u);
    EXPECT_NE(space.insert("again", 5), nullptr);
    expect_sound(space);
}

TEST(chunk_space, dup_copies_the_whole_region) {
    chunk_space_t space;
    node_t *r = space.insert("abcde", 5);
    memcpy(chunk_space_t::data_of(r) + 5, "xyz", 3);  // the rest of its 8 bytes
    node_t *d = space.dup(r);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(chunk_space_t::size_of(d), 8u);
    EXPECT_EQ(bytes_of(d, 8), "abcdexyz");
    EXPECT_EQ(bytes_of(r, 8), "abcdexyz");
    expect_sound(space);
}

// Source bytes inside the space itself stay readable while a re-layout moves them;
// under AddressSanitizer a buffer freed too early is caught here.
TEST(chunk_space, inserting_its_own_bytes_while_it_grows) {
    chunk_space_t space;
    node_t *r = space.insert("the quick brown fox", 19);
    space.compact();
    ASSERT_EQ(space.get_free_bytes(), 0u);
    const char *old_buffer = space.get_buffer();
    node_t *copy = space.insert(chunk_space_t::data_of(r) + 4, 11);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(space.get_buffer(), old_buffer);
    EXPECT_EQ(bytes_of(copy, 11), "quick brown");

    space.compact();
    node_t *twin = space.dup(copy);
    EXPECT_EQ(bytes_of(twin, 11), "quick brown");
    EXPECT_EQ(bytes_of(r, 19), "the quick brown fox");
    expect_sound(space);
}

TEST(chunk_space, failed_growth_is_logged_and_changes_nothing) {
    chunk_space_t space;
    node_t *r = space.insert("kept", 4);
    space.compact();
    const char *buffer = space.get_buffer();
    test::message_capture_t log;
    {
        test::host_alloc_hook_t host(1);
        EXPECT_EQ(space.insert("more", 4), nullptr);
        EXPECT_EQ(space.dup(r), nullptr);
        space.remove(r);
        r = space.insert("back", 4);  // fits the freed region: no host call
        EXPECT_NE(r, nullptr);
        node_t *other = space.insert("x", 1);
        EXPECT_EQ(other, nullptr);
        EXPECT_FALSE(chunk_space_t(40).get_capacity());
        space.remove(r);
        r = space.insert("kept", 4);
        EXPECT_EQ(host.frees(), 0u);
    }
    const auto errors = log.texts(message_t::ERROR);
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_EQ(errors[0], "[chunk_space] cannot allocate enough memory (12)");  // 1.25 x 8 = 10 -> 12
    EXPECT_EQ(errors[3], "[chunk_space] cannot allocate enough memory (40)");
    EXPECT_EQ(space.get_buffer(), buffer);
    EXPECT_EQ(space.get_capacity(), 4u);
    EXPECT_EQ(bytes_of(r, 4), "kept");
    expect_sound(space);

    // A length no host could meet is refused before any size arithmetic.
    log.clear();
    {
        test::host_alloc_hook_t host;
        EXPECT_EQ(space.insert("x", SIZE_MAX - 1), nullptr);
        EXPECT_TRUE(host.requests().empty());
    }
    EXPECT_EQ(log.texts(message_t::ERROR).size(), 1u);
    expect_sound(space);
}

TEST(chunk_space, compact_failure_keeps_the_layout) {
    chunk_space_t space(64);
    node_t *r = space.insert("abc", 3);
    test::message_capture_t log;
    test::host_alloc_hook_t host(1);
    EXPECT_FALSE(space.compact());
    EXPECT_EQ(space.get_capacity(), 64u);
    EXPECT_EQ(bytes_of(r, 3), "abc");
    EXPECT_TRUE(log.contains("[chunk_space] cannot allocate enough memory (4)"));
    expect_sound(space);
}

// A long deterministic mix of inserts, dups, removals and compactions against a model
// of what every live record holds.
TEST(chunk_space, random_operations_keep_contents_and_invariants) {
    std::mt19937 random(12345);
    chunk_space_t space;
    std::map<node_t *, std::string> live;
    auto pick = [&]() {
        auto it = live.begin();
        std::advance(it, std::uniform_int_distribution<size_t>(0, live.size() - 1)(random));
        return it;
    };
    for (int step = 0; step < 3000; ++step) {
        const int op = std::uniform_int_distribution<int>(0, 9)(random);
        if (op < 5 || live.empty()) {
            std::string text(std::uniform_int_distribution<size_t>(0, 40)(random), '\0');
            for (char &ch : text) ch = char(std::uniform_int_distribution<int>(0, 255)(random));
            node_t *n = space.insert(text.data(), text.size());
            ASSERT_NE(n, nullptr);
            ASSERT_TRUE(live.emplace(n, text).second);
        } else if (op < 6) {
            auto it = pick();
            const std::string whole = bytes_of(it->first, chunk_space_t::size_of(it->first));
            node_t *n = space.dup(it->first);
            ASSERT_NE(n, nullptr);
            EXPECT_EQ(bytes_of(n, whole.size()), whole);
            ASSERT_TRUE(live.emplace(n, it->second).second);
        } else if (op < 9) {
            auto it = pick();
            space.remove(it->first);
            live.erase(it);
        } else if (step % 7 == 0) {
            ASSERT_TRUE(space.compact());
            EXPECT_EQ(space.get_free_bytes(), 0u);
        }
        if (step % 50 == 0) expect_sound(space);
        for (const auto &[n, text] : live) ASSERT_EQ(bytes_of(n, text.size()), text) << step;
    }
    expect_sound(space);
}

}  // namespace
}  // namespace quarn
