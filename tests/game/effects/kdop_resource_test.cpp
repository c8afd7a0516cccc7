// ".btr" trees as kdop resources: a round trip through the tests' writer into the
// core's node layout and its walks, refused files, the lock hooks around binding,
// moves of the tree's memory and the release of unreferenced trees.
#include <gtest/gtest.h>

#include <vector>

#include "../shaders/shader_fixture.h"
#include "btr_writer.h"
#include "game/visuals/effects/btr_reader.h"
#include "game/visuals/effects/kdop_resource.h"
#include "kernel/memory/m_server.h"
#include "qrncore/spatial/kdop_query.h"
#include "qrncore/spatial/kdop_tree.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class kdop_resource : public shader_fixture_t {
protected:
    void SetUp() override {
        shader_fixture_t::SetUp();
        locks = unlocks = 0;
        set_gamesup_lock_hooks([] { ++locks; }, [](unit_base_t *) { ++unlocks; });
        ASSERT_TRUE(mm_register_loader(&btr_loader()));
    }
    void TearDown() override {
        kdop_u_free_unreferenced();
        EXPECT_EQ(locks, unlocks) << "every bound tree gives its lock back";
        mm_unregister_loader(&btr_loader());
        set_gamesup_lock_hooks(nullptr, nullptr);
        shader_fixture_t::TearDown();
    }

    // inner(leaf A, inner(leaf B, leaf C)); the leaves' points are given crosswise.
    static std::string three_leaves() {
        btr_writer_t w;
        w.inner();
        w.leaf({1, 2, 3}, {0, 0, 0}, {7});
        w.inner();
        w.leaf({10, 0, 10}, {11, 1, 12}, {8, 9});
        w.leaf({-5, -1, 20}, {-4, 0, 21}, {});
        return w.bytes;
    }

    static inline int locks = 0;
    static inline int unlocks = 0;
    message_capture_t log;
};

struct visited_t {
    std::vector<uint32_t> ids;
    static bool visit(const kdop_node_t *leaf, void *data) {
        auto *v = static_cast<visited_t *>(data);
        for (uint32_t i = 0; i < leaf->get_count(); ++i) v->ids.push_back(leaf->get_ids()[i]);
        return true;
    }
};

TEST_F(kdop_resource, a_tree_file_reads_into_the_cores_layout) {
    put("tree/three.BTR", three_leaves());
    c_item_t *item = kdop_obtain("/t/tree/three.BTR");
    ASSERT_NE(item, nullptr) << "the loader takes the extension in any case";
    EXPECT_EQ(locks, 1);
    const kdop_node_t *root = kdop_root_of(item);
    ASSERT_NE(root, nullptr);
    ASSERT_FALSE(root->is_leaf());
    const kdop_node_t *a = root->left, *right = root->right;
    ASSERT_TRUE(a->is_leaf());
    ASSERT_FALSE(right->is_leaf());
    EXPECT_EQ(a->get_count(), 1u);
    EXPECT_EQ(a->get_ids()[0], 7u);
    // A leaf's volume is the box of its two points, diagonals included.
    const float a_min[5] = {0, 0, 0, 0, -1.5f}, a_max[5] = {1, 2, 3, 2, 0.5f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(a->min[i], a_min[i]) << i;
        EXPECT_FLOAT_EQ(a->max[i], a_max[i]) << i;
    }
    EXPECT_EQ(right->right->get_count(), 0u);
    // An inner node's volume is its children's.
    EXPECT_FLOAT_EQ(root->min[0], -5.0f);
    EXPECT_FLOAT_EQ(root->max[2], 21.0f);
    EXPECT_FLOAT_EQ(root->max[3], 11.5f);
    // The core's walks serve it.
    visited_t near_b;
    kdop_query_box(root, {10.5f, 0, 10.5f}, {10.6f, 0.5f, 10.6f}, &visited_t::visit, &near_b);
    EXPECT_EQ(near_b.ids, (std::vector<uint32_t>{8, 9}));
    visited_t all;
    kdop_query_box(root, {-100, -100, -100}, {100, 100, 100}, &visited_t::visit, &all);
    EXPECT_EQ(all.ids, (std::vector<uint32_t>{7, 8, 9}));
    EXPECT_EQ(kdop_obtain("/t/tree/three.BTR"), item) << "one resource a path";
    item->release_ref();
    item->release_ref();
}

TEST_F(kdop_resource, the_tree_follows_its_memory_when_it_moves) {
    btr_reader_t reader;
    const std::string bytes = three_leaves();
    ASSERT_TRUE(reader.measure(bytes.data(), bytes.size(), "three"));
    EXPECT_EQ(reader.get_tree_size(), 2 * kdop_node_t::NODE_SIZE + kdop_node_t::leaf_size(1) +
                                          kdop_node_t::leaf_size(2) + kdop_node_t::leaf_size(0));
    std::vector<uint64_t> first(reader.get_tree_size() / 8), second(first.size());
    ASSERT_EQ(reader.build(first.data()), reinterpret_cast<kdop_node_t *>(first.data())) << "the root comes first";
    second = first;
    btr_rebase(reinterpret_cast<kdop_node_t *>(second.data()), first.data(), second.data());
    first.assign(first.size(), 0);
    visited_t all;
    kdop_query_box(reinterpret_cast<kdop_node_t *>(second.data()), {-100, -100, -100}, {100, 100, 100},
                   &visited_t::visit, &all);
    EXPECT_EQ(all.ids, (std::vector<uint32_t>{7, 8, 9}));
}

TEST_F(kdop_resource, broken_files_are_refused) {
    const std::string good = three_leaves();
    std::string deep;
    for (uint32_t i = 0; i < KDOP_MAX_DEPTH; ++i) deep += '\1';
    btr_writer_t nan;
    nan.leaf({0, NAN, 0}, {1, 1, 1}, {});
    btr_writer_t items;
    items.leaf({0, 0, 0}, {1, 1, 1}, {1, 2, 3});
    items.bytes.resize(items.bytes.size() - 1);
    const struct {
        const char *name;
        std::string bytes;
        const char *message;
    } cases[] = {
        {"empty", "", "is empty"},
        {"a leaf cut short", good.substr(0, 10), "a leaf ends early"},
        {"a right subtree missing", good.substr(0, 32), "a node is missing"},
        {"items cut short", items.bytes, "a leaf's items end early"},
        {"257 levels", deep, "deeper than 256 levels"},
        {"bytes after the tree", good + "x", "bytes follow the tree"},
        {"a coordinate no number", nan.bytes, "a coordinate is no number"},
    };
    for (const auto &c : cases) {
        log.clear();
        btr_reader_t reader;
        EXPECT_FALSE(reader.measure(c.bytes.data(), c.bytes.size(), "/t/bad.btr")) << c.name;
        EXPECT_TRUE(log.contains(std::string("[kdop] The tree file '/t/bad.btr' ") + (c.bytes.empty() ? "" : "is broken")))
            << c.name;
        EXPECT_TRUE(log.contains(c.message)) << c.name;
    }
    // 256 levels are fine: 255 inner nodes, each with a leaf on its left, and a last
    // leaf on the right of the deepest.
    btr_writer_t chain;
    for (uint32_t i = 0; i < KDOP_MAX_DEPTH - 1; ++i) {
        chain.inner();
        chain.leaf({0, 0, 0}, {1, 1, 1}, {i});
    }
    chain.leaf({0, 0, 0}, {1, 1, 1}, {});
    btr_reader_t reader;
    EXPECT_TRUE(reader.measure(chain.bytes.data(), chain.bytes.size(), "chain"));

    // As a resource: a broken or missing file gives no tree.
    put("tree/bad.btr", good.substr(0, 10));
    EXPECT_EQ(kdop_obtain("/t/tree/bad.btr"), nullptr);
    EXPECT_EQ(kdop_obtain("/t/tree/none.btr"), nullptr);
    EXPECT_TRUE(log.contains("[kdop] Can not open the tree file '/t/tree/none.btr'"));
}

TEST_F(kdop_resource, unreferenced_trees_are_freed_and_removed) {
    put("tree/three.btr", three_leaves());
    c_item_t *item = kdop_obtain("/t/tree/three.btr");
    ASSERT_NE(item, nullptr);
    kdop_u_free_unreferenced();
    EXPECT_NE(kdop_root_of(item), nullptr) << "a referenced tree stays";
    EXPECT_EQ(unlocks, 0);
    item->release_ref();
    kdop_u_free_unreferenced();
    EXPECT_EQ(locks, 1);
    EXPECT_EQ(unlocks, 1) << "the removed tree let go of the module";
    // The kernel's drain calls it through its weak reference.
    c_item_t *again = kdop_obtain("/t/tree/three.btr");
    ASSERT_NE(again, nullptr);
    again->release_ref();
    gamesup_release_unreferenced();
    EXPECT_EQ(unlocks, 2);
}

}  // namespace
}  // namespace quarn::test
