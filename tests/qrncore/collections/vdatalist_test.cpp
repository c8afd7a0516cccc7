#include "qrncore/collections/vdatalist.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace quarn {
namespace {

int &value(vdatalist_node_t *n) { return *n->data_as<int>(); }

// Data-list checks walk both ways, like the pointer list's.
std::vector<int> values(const vdatalist_t &l) {
    std::vector<int> forward, backward;
    for (vdatalist_node_t *n = l.get_first(); n; n = n->next) forward.push_back(*n->data_as<int>());
    for (vdatalist_node_t *n = l.get_last(); n; n = n->prev) backward.insert(backward.begin(), *n->data_as<int>());
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(forward.size(), l.get_count());
    return forward;
}

class vdatalist_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        list.init_mm(sizeof(int), 4, &pool);
        other.set_pool(&pool);
    }
    void TearDown() override {
        list.remove_all();
        other.remove_all();
    }
    vdatalist_node_t *add(vdatalist_t &l, int v) {
        vdatalist_node_t *n = l.append();
        value(n) = v;
        return n;
    }

    bmem_manager_t pool;
    vdatalist_t list;
    vdatalist_t other;
};

using V = std::vector<int>;

TEST(vdatalist, block_size_is_links_plus_data) {
    // Two 8-byte links in front of the data, in 16-byte aligned blocks (with 4-byte
    // links and words, data of 3 or 4 bytes gave 12 and 5 bytes gave 16): data up to
    // 16 bytes shares one block size and one byte more takes the next.
    struct {
        size_t data, block;
    } const cases[] = {{0, 16}, {1, 32}, {16, 32}, {17, 48}, {32, 48}};
    for (const auto &c : cases) {
        bmem_manager_t pool;
        vdatalist_t l;
        l.init_mm(c.data, 8, &pool);
        EXPECT_EQ(pool.get_block_size(), c.block) << c.data;
        EXPECT_EQ(pool.get_blocks_per_chunk(), 8u);
    }
}

TEST_F(vdatalist_fixture, data_area_follows_the_links_and_is_found_again) {
    vdatalist_node_t *a = add(list, 1);
    vdatalist_node_t *b = add(list, 2);
    EXPECT_EQ(static_cast<char *>(a->data()), reinterpret_cast<char *>(a) + 2 * sizeof(void *));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b->data()) % 16, 0u);
    EXPECT_EQ(list.find_data(b->data()), b);
    EXPECT_EQ(list.find_data(a->data()), a);
    EXPECT_EQ(list.find_data(b), nullptr);
    EXPECT_EQ(list.find_data(static_cast<char *>(a->data()) + 1), nullptr);
}

TEST_F(vdatalist_fixture, positions_and_the_null_rules) {
    for (int i = 1; i <= 3; ++i) add(list, i);
    value(list.insert(nullptr)) = 4;
    value(list.append(nullptr)) = 5;
    value(list.insert()) = 6;
    value(list.append()) = 7;
    value(list.insert(list.get_first()->next)) = 8;
    value(list.append(list.get_last()->prev)) = 9;
    EXPECT_EQ(values(list), (V{6, 8, 5, 1, 2, 3, 4, 9, 7}));
}

TEST_F(vdatalist_fixture, detach_and_attach_keep_nodes_out_of_the_pool) {
    vdatalist_node_t *a = add(list, 1);
    vdatalist_node_t *b = add(list, 2);
    vdatalist_node_t *c = add(list, 3);
    EXPECT_EQ(list.tremove_first(), a);
    EXPECT_EQ(list.tremove_last(), c);
    EXPECT_EQ(values(list), V{2});
    // Detached nodes are not back in the pool: a new node is none of them.
    vdatalist_node_t *d = add(list, 4);
    EXPECT_NE(d, a);
    EXPECT_NE(d, c);
    list.tinsert(c);
    list.tappend(a);
    EXPECT_EQ(values(list), (V{3, 2, 4, 1}));
    list.tremove_pos(b);
    list.tinsert(nullptr, b);  // before null: the end
    EXPECT_EQ(values(list), (V{3, 4, 1, 2}));
    list.tremove_pos(b);
    list.tappend(nullptr, b);  // after null: the front
    EXPECT_EQ(values(list), (V{2, 3, 4, 1}));
    list.tremove_pos(b);
    list.tinsert(a, b);
    list.tremove_pos(c);
    list.tappend(a, c);
    EXPECT_EQ(values(list), (V{4, 2, 1, 3}));

    list.remove_pos(d);
    EXPECT_EQ(add(list, 5), d);
    list.remove_first();
    list.remove_last();
    EXPECT_EQ(values(list), (V{1, 3}));
}

TEST_F(vdatalist_fixture, single_nodes_move_between_lists) {
    vdatalist_node_t *a = add(list, 1);
    add(list, 2);
    vdatalist_node_t *c = add(list, 3);
    add(other, 9);
    other.minsert(list, c);
    other.mappend(list, a);
    EXPECT_EQ(values(list), V{2});
    EXPECT_EQ(values(other), (V{3, 9, 1}));
    list.move_to_end(list.get_first());
    other.move_to_start(a);
    other.move_to_end(other.get_first()->next);
    EXPECT_EQ(values(other), (V{1, 9, 3}));
}

int by_int(const void *a, const void *b) {
    const int x = *(*static_cast<vdatalist_node_t *const *>(a))->data_as<int>();
    const int y = *(*static_cast<vdatalist_node_t *const *>(b))->data_as<int>();
    return x < y ? -1 : x > y;
}

TEST_F(vdatalist_fixture, sort_relinks_nodes_and_keeps_data_in_place) {
    list.sort(by_int);
    EXPECT_EQ(values(list), V{});
    add(list, 4);
    list.sort(by_int);
    EXPECT_EQ(values(list), V{4});

    const V input = {4, 8, 1, 9, 3, 3, 0, 7};
    list.remove_all();
    std::vector<std::pair<int, void *>> before;
    for (int v : input) before.emplace_back(v, add(list, v)->data());
    list.sort(by_int);
    EXPECT_EQ(values(list), (V{0, 1, 3, 3, 4, 7, 8, 9}));
    for (const auto &[v, data] : before) EXPECT_EQ(*static_cast<int *>(data), v);
    EXPECT_EQ(list.get_count(), input.size());
}

}  // namespace
}  // namespace quarn
