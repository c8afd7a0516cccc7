// The triangle heap: sets in slots, their trees and the root tree over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "qrncore/collections/host_alloc_hook.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/spatial/triangle_heap.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

// Vertices with a normal behind the position, as meshes carry them.
struct vertex_t {
    vec3_t pos;
    vec3_t normal;
};

std::vector<vertex_t> row_of_vertices(uint32_t n, float x0 = 0) {
    std::vector<vertex_t> v;
    for (uint32_t i = 0; i < n; ++i) v.push_back({{x0 + float(i), float(i % 2), 0}, {0, 1, 0}});
    return v;
}

bool collect(const kdop_node_t *leaf, void *data) {
    auto *ids = static_cast<std::vector<uint32_t> *>(data);
    ids->insert(ids->end(), leaf->get_ids(), leaf->get_ids() + leaf->get_count());
    return true;
}

// Identifiers of every triangle below a node, sorted.
std::vector<uint32_t> ids_below(const kdop_node_t *root) {
    std::vector<uint32_t> ids;
    kdop_query_box(root, {-1e30f, -1e30f, -1e30f}, {1e30f, 1e30f, 1e30f}, collect, &ids);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool append(triangle_heap_t &heap, const std::vector<vertex_t> &v, const std::vector<uint16_t> &indices,
            uint32_t key) {
    return heap.append(uint32_t(v.size()), v.data(), uint32_t(indices.size()), indices.data(), key,
                       sizeof(vertex_t), nullptr);
}

TEST(triangle_heap, list_and_strip_numbering) {
    const auto verts = row_of_vertices(5);
    const struct {
        const char *name;
        uint32_t vertex_count;
        std::vector<uint16_t> indices;
        std::vector<uint32_t> numbers;
    } cases[] = {
        {"list of 6 indices", 5, {0, 1, 2, 2, 3, 4}, {0, 3}},
        {"partial last triangle ignored", 5, {0, 1, 2, 2, 3, 4, 1}, {0, 3}},
        {"strip of 5", 5, {}, {0, 1, 2}},
        {"strip of 3", 3, {}, {0}},
        {"strip of 2", 2, {}, {}},
        {"strip of 0", 0, {}, {}},
    };
    triangle_heap_t heap;
    uint32_t slot = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(heap.append(c.vertex_count, verts.data(), uint32_t(c.indices.size()), c.indices.data(), 10 + slot,
                                sizeof(vertex_t), nullptr));
        ASSERT_EQ(heap.get_slot_count(), slot + 1);  // an empty set takes a slot too
        std::vector<uint32_t> expected;
        for (uint32_t n : c.numbers) expected.push_back(slot << 24 | n);
        EXPECT_EQ(ids_below(heap.get_set(slot).tree.get_root()), expected);
        ++slot;
    }
    // Triangle 3 of the list is vertices 2, 3, 4; triangle 2 of the strip is too.
    vec3_t t[3];
    heap.get_triangle(0 << 24 | 3, t);
    EXPECT_EQ(t[2], verts[4].pos);
    heap.get_triangle(2u << 24 | 2, t);
    EXPECT_EQ(t[0], verts[2].pos);
    EXPECT_EQ(t[2], verts[4].pos);
}

TEST(triangle_heap, set_leaves_are_tight) {
    const std::vector<vertex_t> tri = {{{0, 0, 0}, {}}, {{2, 4, 0}, {}}, {{0, 0, 6}, {}}};
    triangle_heap_t heap;
    ASSERT_TRUE(append(heap, tri, {}, 1));
    const kdop_node_t *leaf = heap.get_set(0).tree.get_root();
    ASSERT_TRUE(leaf->is_leaf());
    const float mn[] = {0, 0, 0, 0, -3}, mx[] = {2, 4, 6, 3, 1};
    for (int i = 0; i < KDOP_AXES; ++i) {
        EXPECT_EQ(leaf->min[i], mn[i]) << i;
        EXPECT_EQ(leaf->max[i], mx[i]) << i;
    }
}

TEST(triangle_heap, slots_are_reused_last_freed_first) {
    const auto verts = row_of_vertices(4);
    triangle_heap_t heap;
    for (uint32_t key : {100u, 101u, 102u, 101u}) ASSERT_TRUE(append(heap, verts, {}, key));
    ASSERT_TRUE(heap.build_root_tree());
    EXPECT_FALSE(heap.is_dirty());

    EXPECT_EQ(heap.remove(triangle_set_t::FREE_KEY), 0u);
    EXPECT_FALSE(heap.is_dirty());
    EXPECT_NE(heap.get_root(), nullptr);
    EXPECT_EQ(heap.remove(999), 0u);
    EXPECT_TRUE(heap.is_dirty());
    EXPECT_NE(heap.get_root(), nullptr);  // nothing went, the old root stays walkable

    EXPECT_EQ(heap.remove(101), 2u);  // slots 1 and 3; the root pointed into them
    EXPECT_EQ(heap.get_root(), nullptr);
    EXPECT_TRUE(heap.get_set(1).is_free());
    EXPECT_TRUE(heap.get_set(1).tree.is_empty());

    // Slot 3 was freed last, so it is taken first; the identifiers carry the slot.
    ASSERT_TRUE(append(heap, row_of_vertices(3, 50), {}, 200));
    EXPECT_EQ(heap.get_set(3).key, 200u);
    EXPECT_EQ(ids_below(heap.get_set(3).tree.get_root()), std::vector<uint32_t>{3u << 24});
    ASSERT_TRUE(append(heap, verts, {}, 201));
    EXPECT_EQ(heap.get_set(1).key, 201u);
    EXPECT_EQ(ids_below(heap.get_set(1).tree.get_root()), (std::vector<uint32_t>{1u << 24, 1u << 24 | 1}));
    EXPECT_EQ(heap.get_slot_count(), 4u);

    // One walk from the rebuilt root reaches every triangle of every live set.
    ASSERT_TRUE(heap.build_root_tree());
    std::vector<uint32_t> all;
    for (uint32_t slot = 0; slot < heap.get_slot_count(); ++slot) {
        const auto ids = ids_below(heap.get_set(slot).tree.get_root());
        all.insert(all.end(), ids.begin(), ids.end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(all.size(), 7u);
    EXPECT_EQ(ids_below(heap.get_root()), all);
}

TEST(triangle_heap, slot_limit_counts_free_slots) {
    const auto verts = row_of_vertices(3);
    triangle_heap_t heap;
    for (uint32_t key = 0; key < triangle_heap_t::MAX_SETS; ++key) ASSERT_TRUE(append(heap, verts, {}, key));
    test::message_capture_t log;
    EXPECT_FALSE(append(heap, verts, {}, 1000));
    EXPECT_EQ(heap.remove(7), 1u);
    EXPECT_FALSE(append(heap, verts, {}, 1000));  // 255 slots exist, one of them free
    EXPECT_TRUE(log.contains("[triangle_heap]"));
    ASSERT_TRUE(heap.build_root_tree());
    EXPECT_EQ(ids_below(heap.get_root()).size(), triangle_heap_t::MAX_SETS - 1);
}

TEST(triangle_heap, refused_sets_change_nothing) {
    const auto verts = row_of_vertices(4);
    triangle_heap_t heap;
    ASSERT_TRUE(append(heap, verts, {}, 1));
    ASSERT_EQ(heap.remove(1), 1u);
    test::message_capture_t log;
    EXPECT_FALSE(append(heap, verts, {0, 1, 4}, 2));  // vertex 4 of 4
    EXPECT_TRUE(log.contains("index 2 names vertex 4 of 4"));
    EXPECT_FALSE(append(heap, verts, {}, triangle_set_t::FREE_KEY));
    EXPECT_FALSE(heap.append(0x1000003, verts.data(), 0, nullptr, 3, 0, nullptr));  // numbers past 24 bits
    EXPECT_TRUE(log.contains("too large"));

    // The tree's block cannot be had: the free slot taken for the set goes back.
    // (A strip long enough that its block is larger than the builder's pool chunks,
    // which the refusal must spare.)
    const auto long_strip = row_of_vertices(3000);
    triangle_heap_t probe;
    ASSERT_TRUE(append(probe, long_strip, {}, 1));
    const size_t block = probe.get_set(0).tree.get_size();
    ASSERT_GT(block, size_t(64 * 1024));
    {
        test::host_alloc_hook_t hook(block);
        EXPECT_FALSE(append(heap, long_strip, {}, 4));
    }
    EXPECT_TRUE(heap.get_set(0).is_free());
    ASSERT_TRUE(append(heap, verts, {}, 5));
    EXPECT_EQ(heap.get_set(0).key, 5u);
    EXPECT_EQ(heap.get_slot_count(), 1u);
}

TEST(triangle_heap, sets_at_one_point_share_a_root_leaf) {
    // Degenerate sets whose boxes are the same point fall into one leaf of the root
    // tree; every one of them must stay reachable.
    const std::vector<vertex_t> point(3, vertex_t{{5, 5, 5}, {}});
    triangle_heap_t heap;
    for (uint32_t key = 0; key < 3; ++key) ASSERT_TRUE(append(heap, point, {}, key));
    ASSERT_TRUE(append(heap, row_of_vertices(3, 100), {}, 9));
    ASSERT_TRUE(heap.build_root_tree());
    EXPECT_EQ(ids_below(heap.get_root()), (std::vector<uint32_t>{0u << 24, 1u << 24, 2u << 24, 3u << 24}));
}

}  // namespace
}  // namespace quarn
