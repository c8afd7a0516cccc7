#include "qrncore/collections/vptrlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace quarn {
namespace {

void *ptr(intptr_t v) { return reinterpret_cast<void *>(v); }

// A list over its own pool; the checks walk the chain both ways so a broken back
// link or end word shows up as well as a wrong order.
class vptrlist_fixture : public ::testing::Test {
protected:
    void SetUp() override { list.init_mm(4, &pool); }
    void TearDown() override {
        list.remove_all();
        other.remove_all();
    }

    static std::vector<intptr_t> values(const vptrlist_t &l) {
        std::vector<intptr_t> forward, backward;
        for (vptrlist_node_t *n = l.get_first(); n; n = n->next) forward.push_back(reinterpret_cast<intptr_t>(n->data));
        for (vptrlist_node_t *n = l.get_last(); n; n = n->prev) backward.push_back(reinterpret_cast<intptr_t>(n->data));
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(forward.size(), l.get_count());
        if (l.get_first()) {
            EXPECT_EQ(l.get_first()->prev, nullptr);
            EXPECT_EQ(l.get_last()->next, nullptr);
        } else {
            EXPECT_EQ(l.get_last(), nullptr);
        }
        return forward;
    }
    void fill(vptrlist_t &l, std::initializer_list<intptr_t> v) {
        for (intptr_t x : v) l.append(ptr(x));
    }
    vptrlist_node_t *at(int i) {
        vptrlist_node_t *n = list.get_first();
        while (i-- > 0) n = n->next;
        return n;
    }

    bmem_manager_t pool;
    vptrlist_t list;
    vptrlist_t other;
};

using V = std::vector<intptr_t>;

TEST_F(vptrlist_fixture, positions_and_the_null_rules) {
    // Position index -1 is null; -2 is the one-argument form.
    struct {
        bool insert;
        int pos;
        V expect;
    } const cases[] = {
        {true, -1, {1, 2, 3, 9}},  {false, -1, {9, 1, 2, 3}}, {true, 0, {9, 1, 2, 3}},  {true, -2, {9, 1, 2, 3}},
        {false, 2, {1, 2, 3, 9}}, {false, -2, {1, 2, 3, 9}}, {true, 1, {1, 9, 2, 3}}, {false, 1, {1, 2, 9, 3}},
    };
    for (const auto &c : cases) {
        list.remove_all();
        fill(list, {1, 2, 3});
        vptrlist_node_t *pos = c.pos >= 0 ? at(c.pos) : nullptr;
        vptrlist_node_t *made;
        if (c.pos == -2)
            made = c.insert ? list.insert(ptr(9)) : list.append(ptr(9));
        else
            made = c.insert ? list.insert(pos, ptr(9)) : list.append(pos, ptr(9));
        EXPECT_EQ(values(list), c.expect) << c.insert << " " << c.pos;
        EXPECT_EQ(made->data, ptr(9));
    }
}

TEST_F(vptrlist_fixture, removing_returns_data_and_gives_nodes_back) {
    fill(list, {1, 2, 3, 4});
    vptrlist_node_t *second = at(1);
    EXPECT_EQ(list.remove_pos(second), ptr(2));
    // The pool hands the freed node out again first.
    EXPECT_EQ(list.append(ptr(5)), second);
    EXPECT_EQ(list.remove_first(), ptr(1));
    EXPECT_EQ(list.remove_last(), ptr(5));
    EXPECT_EQ(values(list), (V{3, 4}));
    EXPECT_EQ(list.remove_first(), ptr(3));
    EXPECT_EQ(list.remove_last(), ptr(4));
    EXPECT_EQ(values(list), V{});

    fill(list, {1, 2});
    vptrlist_node_t *last = list.get_last();
    list.remove_all();
    EXPECT_EQ(values(list), V{});
    // Given back from the first on, so the last node is the first one reused.
    EXPECT_EQ(list.insert(ptr(7)), last);

    vptrlist_t unbound;  // no pool: emptying an empty list must not reach one
    unbound.remove_all();
    EXPECT_EQ(unbound.get_count(), 0u);
}

TEST_F(vptrlist_fixture, find_ptr_tests_its_start_node_first) {
    fill(list, {1, 2, 1, 3});
    EXPECT_EQ(list.find_ptr(ptr(1)), at(0));
    EXPECT_EQ(list.find_ptr(ptr(1), at(0)), at(0));
    EXPECT_EQ(list.find_ptr(ptr(1), at(1)), at(2));
    EXPECT_EQ(list.find_ptr(ptr(2), at(2)), nullptr);
    EXPECT_EQ(list.find_ptr(ptr(4)), nullptr);
    EXPECT_EQ(list.find_ptr(nullptr), nullptr);
}

TEST_F(vptrlist_fixture, splicing_whole_lists) {
    other.set_pool(&pool);
    fill(list, {1, 2});
    fill(other, {3, 4});
    vptrlist_node_t *other_first = other.get_first();
    list.minsert_all(other);
    EXPECT_EQ(list.get_first(), other_first);
    EXPECT_EQ(values(list), (V{3, 4, 1, 2}));
    EXPECT_EQ(other.get_count(), 0u);
    EXPECT_EQ(other.get_first(), nullptr);
    EXPECT_EQ(other.get_last(), nullptr);

    fill(other, {5, 6});
    list.mappend_all(other);
    EXPECT_EQ(values(list), (V{3, 4, 1, 2, 5, 6}));
    EXPECT_EQ(values(other), V{});

    list.minsert_all(other);  // empty: nothing
    list.mappend_all(other);
    EXPECT_EQ(values(list), (V{3, 4, 1, 2, 5, 6}));

    // Into an empty list both ends come from the other list.
    other.mappend_all(list);
    EXPECT_EQ(values(other), (V{3, 4, 1, 2, 5, 6}));
    list.minsert_all(other);
    EXPECT_EQ(values(list), (V{3, 4, 1, 2, 5, 6}));
}

TEST_F(vptrlist_fixture, move_to_the_ends) {
    fill(list, {1, 2, 3});
    list.move_to_start(at(0));
    list.move_to_end(at(2));
    EXPECT_EQ(values(list), (V{1, 2, 3}));
    list.move_to_start(at(1));
    EXPECT_EQ(values(list), (V{2, 1, 3}));
    list.move_to_end(at(0));
    EXPECT_EQ(values(list), (V{1, 3, 2}));
    list.move_to_start(at(2));
    EXPECT_EQ(values(list), (V{2, 1, 3}));
}

int by_value(const void *a, const void *b) {
    auto x = reinterpret_cast<intptr_t>((*static_cast<vptrlist_node_t *const *>(a))->data);
    auto y = reinterpret_cast<intptr_t>((*static_cast<vptrlist_node_t *const *>(b))->data);
    return x < y ? -1 : x > y;
}

TEST_F(vptrlist_fixture, sort_permutes_data_pointers_in_place) {
    list.sort(by_value);
    EXPECT_EQ(values(list), V{});
    fill(list, {5});
    list.sort(by_value);
    EXPECT_EQ(values(list), V{5});

    list.remove_all();
    const V input = {7, 3, 9, 1, 3, 8, 2, 6, 5, 4, 0};
    for (intptr_t x : input) list.append(ptr(x));
    std::vector<vptrlist_node_t *> nodes;
    for (vptrlist_node_t *n = list.get_first(); n; n = n->next) nodes.push_back(n);
    list.sort(by_value);
    V sorted = input;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(values(list), sorted);
    std::vector<vptrlist_node_t *> after;
    for (vptrlist_node_t *n = list.get_first(); n; n = n->next) after.push_back(n);
    EXPECT_EQ(after, nodes);
}

TEST(vptrlist, init_mm_sets_node_size_blocks) {
    bmem_manager_t pool;
    vptrlist_t list;
    list.init_mm(16, &pool);
    // Three pointer-sized words of 8 bytes, in a 16-byte aligned block.
    EXPECT_EQ(sizeof(vptrlist_node_t), 24u);
    EXPECT_EQ(pool.get_block_size(), 32u);
    EXPECT_EQ(pool.get_blocks_per_chunk(), 16u);
    EXPECT_EQ(list.get_pool(), &pool);
}

}  // namespace
}  // namespace quarn
