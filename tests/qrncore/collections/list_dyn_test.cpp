#include "qrncore/collections/list_dyn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qrncore/collections/host_alloc_hook.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {
namespace {

// The elements walked forwards, checked against the backward walk and the count.
template <class T>
std::vector<T> values(const list_dyn_t<T> &l) {
    std::vector<T> forward, backward;
    for (const T &x : l) forward.push_back(x);
    const list_links_dyn_t *s = l.get_sentinel();
    for (const list_links_dyn_t *at = s->prev; at != s; at = at->prev) {
        backward.insert(backward.begin(), static_cast<const list_node_dyn_t<T> *>(at)->element);
    }
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(forward.size(), l.get_count());
    return forward;
}

TEST(list_dyn, a_new_list_is_its_sentinel_alone) {
    test::host_alloc_hook_t host;
    list_dyn_t<int> l(4);
    EXPECT_EQ(l.get_sentinel()->next, l.get_sentinel());
    EXPECT_EQ(l.get_sentinel()->prev, l.get_sentinel());
    EXPECT_TRUE(l.is_empty());
    EXPECT_EQ(l.begin(), l.end());
    EXPECT_TRUE(host.requests().empty());
}

TEST(list_dyn, nodes_come_a_block_at_a_time_and_are_reused_last_freed_first) {
    test::host_alloc_hook_t host;
    {
        list_dyn_t<int> l(4);
        std::vector<void *> nodes;
        for (int i = 1; i <= 4; ++i) nodes.push_back(l.append(i));
        ASSERT_EQ(host.requests().size(), 1u);
        EXPECT_EQ(host.requests()[0], 2 * sizeof(void *) + 4 * sizeof(list_node_dyn_t<int>));
        // A block hands its nodes out in address order.
        for (int i = 1; i < 4; ++i) {
            EXPECT_EQ(static_cast<char *>(nodes[i]), static_cast<char *>(nodes[i - 1]) + sizeof(list_node_dyn_t<int>));
        }
        nodes.push_back(l.append(5));
        EXPECT_EQ(host.requests().size(), 2u);
        EXPECT_EQ(values(l), (std::vector<int>{1, 2, 3, 4, 5}));

        l.remove_all();
        EXPECT_TRUE(l.is_empty());
        EXPECT_EQ(l.get_count(), 0u);
        // Freed first to last, so the appends get them back last to first.
        for (int i = 0; i < 5; ++i) EXPECT_EQ(l.append(i), nodes[4 - i]);
        EXPECT_EQ(host.requests().size(), 2u);
        EXPECT_EQ(host.frees(), 0u);
    }
    EXPECT_EQ(host.frees(), 2u);
}

TEST(list_dyn, remove_takes_the_first_match_only) {
    struct {
        std::vector<int> start;
        int remove;
        std::vector<int> expect;
    } const cases[] = {
        {{1, 2, 1, 3}, 1, {2, 1, 3}},
        {{2, 3, 3}, 3, {2, 3}},
        {{2, 3}, 7, {2, 3}},
        {{}, 1, {}},
        {{4}, 4, {}},
    };
    for (const auto &c : cases) {
        list_dyn_t<int> l(2);
        for (int x : c.start) l.append(x);
        l.remove(c.remove);
        EXPECT_EQ(values(l), c.expect);
    }
}

TEST(list_dyn, insert_erase_and_owned_elements) {
    list_dyn_t<mstring_dyn_t> l(3);
    l.append("b");
    l.insert(l.begin(), mstring_dyn_t("a"));
    l.insert(l.end(), mstring_dyn_t("d"));
    auto it = l.begin();
    ++it;
    ++it;
    l.insert(it, mstring_dyn_t("c"));
    std::vector<std::string> got;
    for (const auto &t : l) got.emplace_back(t.c_str());
    EXPECT_EQ(got, (std::vector<std::string>{"a", "b", "c", "d"}));

    it = l.erase(l.begin());
    EXPECT_STREQ(it->c_str(), "b");
    it = l.erase(--l.end());
    EXPECT_EQ(it, l.end());
    EXPECT_STREQ(l.front().c_str(), "b");
    EXPECT_STREQ(l.back().c_str(), "c");
    EXPECT_EQ(l.get_count(), 2u);
    // The texts still held are freed with the list (the leak checker watches).
}

TEST(list_dyn, append_without_memory_leaves_the_list_unchanged) {
    test::host_alloc_hook_t host;
    list_dyn_t<int> l(2);
    l.append(1);
    l.append(2);
    host.refuse_from(1);
    EXPECT_EQ(l.append(3), nullptr);
    EXPECT_EQ(l.insert(l.begin(), 3), nullptr);
    EXPECT_EQ(values(l), (std::vector<int>{1, 2}));
    // Freed nodes are still there to be had.
    l.remove(1);
    EXPECT_NE(l.append(3), nullptr);
    EXPECT_EQ(values(l), (std::vector<int>{2, 3}));

    // A list made with new comes from the host.
    host.refuse_from(SIZE_MAX);
    host.reset();
    auto *heap = new ptr_list_t(256);
    ASSERT_NE(heap, nullptr);
    delete heap;
}

}  // namespace
}  // namespace quarn
