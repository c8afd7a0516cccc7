// The triangle heap: sets in slots, their trees and the root tree over them.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "qrncore/collections/host_alloc_hook.h"
#include "qrncore/numerics/random_mt.h"
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

// A set's leaf volume is exactly the corners of its own triangles; an inner node's is
// its children's. Adds the leaves' identifiers to seen.
void expect_tight_set_node(const kdop_node_t *n, const triangle_heap_t &heap, std::vector<uint32_t> &seen) {
    kdop_node_t want{};
    want.set_void();
    if (n->is_leaf()) {
        for (uint32_t i = 0; i < n->get_count(); ++i) {
            const uint32_t id = n->get_ids()[i];
            seen.push_back(id);
            vec3_t t[3];
            heap.get_triangle(id, t);
            for (const vec3_t &p : t) want.enlarge(p);
        }
    } else {
        expect_tight_set_node(n->left, heap, seen);
        expect_tight_set_node(n->right, heap, seen);
        want.enlarge(*n->left);
        want.enlarge(*n->right);
    }
    for (int i = 0; i < KDOP_AXES; ++i) {
        ASSERT_EQ(n->min[i], want.min[i]) << "axis " << i;
        ASSERT_EQ(n->max[i], want.max[i]) << "axis " << i;
    }
}

// Many random heaps of a dozen sets (clustered or spread, lists and strips, some
// collapsed to one point), some of them removed again: every set's tree holds its own
// triangles once each in tight leaves, and the root tree reaches every live triangle.
TEST(triangle_heap, random_heaps_reach_every_live_triangle) {
    random_mt_t rng(4242);
    auto coord = [&](float range) { return (rng.rand_f() * 2.0f - 1.0f) * range; };
    for (int round = 0; round < 60; ++round) {
        triangle_heap_t heap;
        std::vector<std::vector<vertex_t>> vertices(12);
        std::vector<std::vector<uint16_t>> indices(12);
        std::vector<uint32_t> keys;
        for (uint32_t k = 0; k < 12; ++k) {
            const uint32_t n = 3 + rng.rand_u(120);
            const vec3_t centre{coord(200), coord(200), coord(200)};
            const float spread = rng.rand_u(6) == 0 ? 0.0f : 1.0f + rng.rand_f() * 40.0f;
            for (uint32_t v = 0; v < n; ++v)
                vertices[k].push_back({centre + vec3_t{coord(spread), coord(spread), coord(spread)}, {}});
            if (rng.rand_u(2))
                for (uint32_t i = 0; i < 3 * n; ++i) indices[k].push_back(uint16_t(rng.rand_u(n)));
            const uint32_t key = rng.rand_u(8);  // keys repeat: a remove takes several sets
            ASSERT_TRUE(append(heap, vertices[k], indices[k], key));
            keys.push_back(key);
        }
        const uint32_t gone = rng.rand_u(10);
        heap.remove(gone);
        ASSERT_TRUE(heap.build_root_tree());

        std::vector<uint32_t> live;
        for (uint32_t slot = 0; slot < heap.get_slot_count(); ++slot) {
            const triangle_set_t &set = heap.get_set(slot);
            ASSERT_EQ(set.key == triangle_set_t::FREE_KEY, keys[slot] == gone) << "slot " << slot;
            if (set.key == triangle_set_t::FREE_KEY) continue;
            const uint32_t count = set.index_count ? set.index_count / 3 : set.vertex_count - 2;
            std::vector<uint32_t> own;
            for (uint32_t t = 0; t < count; ++t) own.push_back(slot << 24 | (set.index_count ? 3 * t : t));
            std::vector<uint32_t> seen;
            expect_tight_set_node(set.tree.get_root(), heap, seen);
            std::sort(seen.begin(), seen.end());
            ASSERT_EQ(seen, own) << "round " << round << ", slot " << slot;
            live.insert(live.end(), own.begin(), own.end());
        }
        std::sort(live.begin(), live.end());
        ASSERT_EQ(ids_below(heap.get_root()), live) << "round " << round;
    }
}

}  // namespace
}  // namespace quarn
