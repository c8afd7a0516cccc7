#include "qrncore/geometry/transform_node.h"

#include <gtest/gtest.h>

#include <vector>

#include "qrncore/system/crash_log.h"
#include "qrncore/system/messages.h"
#include "support/math_compare.h"
#include "support/temp_dir.h"

namespace quarn {
namespace {

using test::axis_angle;
using test::mat_near;
using test::same_rotation;
using test::TOL_UNIT;
using test::vec_near;

// Records every recomputation of an absolute placement, in order.
class transform_node_test : public testing::Test {
protected:
    void SetUp() override {
        log().clear();
        placement_node_t::recompute_hook = [](const placement_node_t *n) { log().push_back(n); };
    }
    void TearDown() override { placement_node_t::recompute_hook = nullptr; }
    static std::vector<const placement_node_t *> &log() {
        static std::vector<const placement_node_t *> entries;
        return entries;
    }
};

TEST_F(transform_node_test, chain_recomputes_lazily_top_down) {
    placement_node_t root, a, b;
    a.set_parent(&root);
    b.set_parent(&a);
    root.set_relative({{1, 0, 0}, quat_t{}});
    a.set_relative({{0, 2, 0}, quat_t{}});
    b.set_relative({{0, 0, 3}, quat_t{}});
    log().clear();
    EXPECT_TRUE(vec_near(b.get_absolute().position, {1, 2, 3}, 0.0f));
    EXPECT_EQ(log(), (std::vector<const placement_node_t *>{&root, &a, &b}));

    log().clear();
    b.get_absolute();
    a.get_absolute();
    EXPECT_TRUE(log().empty());  // all current

    // A change above marks the subtree stale; only the reader's path is recomputed.
    root.set_relative({{5, 0, 0}, quat_t{}});
    EXPECT_EQ(a.get_state(), 0);
    EXPECT_EQ(b.get_state(), 0);
    log().clear();
    EXPECT_TRUE(vec_near(a.get_absolute().position, {5, 2, 0}, 0.0f));
    EXPECT_EQ(log(), (std::vector<const placement_node_t *>{&root, &a}));
}

TEST_F(transform_node_test, set_absolute_under_a_rotated_parent) {
    placement_node_t parent, child;
    child.set_parent(&parent);
    parent.set_relative({{3, 0, 0}, axis_angle({0, 1, 0}, 90)});
    const placement_t target{{1, 2, 3}, axis_angle({1, 0, 0}, 90)};
    child.set_absolute(target);
    const placement_t &got = child.get_absolute();
    EXPECT_TRUE(vec_near(got.position, target.position, TOL_UNIT));
    EXPECT_TRUE(same_rotation(got.rotation, target.rotation, TOL_UNIT));
    // The relative placement is in the parent's frame.
    EXPECT_TRUE(vec_near(child.get_relative().position, axis_angle({0, 1, 0}, -90).rotate({-2, 2, 3}), TOL_UNIT));

    placement_node_t root;
    root.set_absolute(target);  // no parent: the same as set_relative
    EXPECT_TRUE(vec_near(root.get_relative().position, target.position, 0.0f));
}

TEST_F(transform_node_test, parent_links) {
    placement_node_t p, q, c1, c2;
    c1.set_parent(&p);
    c2.set_parent(&p);
    EXPECT_EQ(p.get_first_child(), &c2);  // newest first
    EXPECT_EQ(c2.get_next_sibling(), &c1);
    c2.set_parent(&p);  // same parent: links unchanged
    EXPECT_EQ(p.get_first_child(), &c2);
    EXPECT_EQ(c2.get_next_sibling(), &c1);
    c1.set_parent(&q);  // the last child moves
    EXPECT_EQ(c2.get_next_sibling(), nullptr);
    EXPECT_EQ(q.get_first_child(), &c1);
    c2.set_parent(nullptr);
    EXPECT_EQ(p.get_first_child(), nullptr);
    EXPECT_EQ(c2.get_parent(), nullptr);
    c2.set_relative({{7, 0, 0}, quat_t{}});
    EXPECT_TRUE(vec_near(c2.get_absolute().position, {7, 0, 0}, 0.0f));
}

TEST_F(transform_node_test, destroyed_parent_leaves_roots) {
    placement_node_t c1, c2;
    {
        placement_node_t parent;
        parent.set_relative({{100, 0, 0}, axis_angle({0, 1, 0}, 90)});
        c1.set_parent(&parent);
        c2.set_parent(&parent);
        c1.set_relative({{1, 0, 0}, quat_t{}});
        c2.set_relative({{0, 1, 0}, quat_t{}});
        EXPECT_NEAR(c1.get_absolute().position.x, 100.0f, TOL_UNIT);
    }
    EXPECT_EQ(c1.get_parent(), nullptr);
    EXPECT_EQ(c1.get_next_sibling(), nullptr);
    EXPECT_EQ(c2.get_next_sibling(), nullptr);
    EXPECT_TRUE(vec_near(c1.get_absolute().position, {1, 0, 0}, 0.0f));
    EXPECT_TRUE(vec_near(c2.get_absolute().position, {0, 1, 0}, 0.0f));
}

TEST_F(transform_node_test, copies) {
    placement_node_t parent, src, kid;
    src.set_parent(&parent);
    src.set_relative({{0, 0, 4}, quat_t{}});
    parent.set_relative({{1, 0, 0}, quat_t{}});
    placement_node_t copy(src);
    EXPECT_EQ(copy.get_parent(), &parent);
    EXPECT_EQ(parent.get_first_child(), &copy);
    EXPECT_EQ(copy.get_state(), 0);
    EXPECT_EQ(copy.get_first_child(), nullptr);
    EXPECT_TRUE(vec_near(copy.get_absolute().position, {1, 0, 4}, 0.0f));

    placement_node_t other;
    kid.set_parent(&other);
    other = src;  // takes src's parent, keeps its own children
    EXPECT_EQ(other.get_parent(), &parent);
    EXPECT_EQ(other.get_first_child(), &kid);
    EXPECT_TRUE(vec_near(kid.get_absolute().position, {1, 0, 4}, 0.0f));
}

TEST_F(transform_node_test, move_to_hands_over_place_and_children) {
    placement_node_t parent, older, node, younger, kid, target;
    older.set_parent(&parent);
    node.set_parent(&parent);
    younger.set_parent(&parent);  // list: younger, node, older
    kid.set_parent(&node);
    parent.set_relative({{10, 0, 0}, quat_t{}});
    node.set_relative({{0, 1, 0}, quat_t{}});
    kid.set_relative({{0, 0, 1}, quat_t{}});
    EXPECT_TRUE(vec_near(kid.get_absolute().position, {10, 1, 1}, 0.0f));

    node.move_to(target);
    EXPECT_EQ(target.get_parent(), &parent);
    EXPECT_EQ(younger.get_next_sibling(), &target);
    EXPECT_EQ(target.get_next_sibling(), &older);
    EXPECT_EQ(target.get_first_child(), &kid);
    EXPECT_EQ(kid.get_parent(), &target);
    EXPECT_EQ(target.get_state(), 0);
    EXPECT_EQ(node.get_parent(), nullptr);
    EXPECT_EQ(node.get_first_child(), nullptr);
    EXPECT_EQ(node.get_next_sibling(), nullptr);
    // The moved children follow the target from now on.
    target.set_relative({{0, 5, 0}, quat_t{}});
    EXPECT_TRUE(vec_near(kid.get_absolute().position, {10, 5, 1}, 0.0f));
    parent.set_relative({{20, 0, 0}, quat_t{}});
    EXPECT_TRUE(vec_near(kid.get_absolute().position, {20, 5, 1}, 0.0f));
}

TEST_F(transform_node_test, move_to_leaves_no_stale_child_current) {
    placement_node_t parent, node, kid, target;
    node.set_parent(&parent);
    kid.set_parent(&node);
    kid.set_relative({{0, 0, 1}, quat_t{}});
    EXPECT_TRUE(vec_near(kid.get_absolute().position, {0, 0, 1}, 0.0f));
    node.move_to(target);
    // Without a read of the target in between, a change above must still reach kid.
    parent.set_relative({{3, 0, 0}, quat_t{}});
    EXPECT_TRUE(vec_near(kid.get_absolute().position, {3, 0, 1}, 0.0f));
}

TEST_F(transform_node_test, matrix_node_caches_the_matrix) {
    matrix_node_t parent, child;
    child.set_parent(&parent);
    EXPECT_TRUE(mat_near(matrix_node_t().get_matrix(), mat4_t::identity(), 0.0f));
    parent.set_relative({{1, 2, 3}, axis_angle({0, 0, 1}, 90)});
    child.set_relative({{1, 0, 0}, quat_t{}});
    const mat4_t m = child.get_matrix();
    EXPECT_EQ(child.get_state(), 2);
    EXPECT_TRUE(mat_near(m, child.get_absolute().compute_matrix(), 0.0f));
    EXPECT_NEAR(m.m[7], 3.0f, TOL_UNIT);  // (1, 2, 3) + (0, 1, 0)
    log().clear();
    child.get_matrix();
    EXPECT_TRUE(log().empty());

    matrix_node_t target;
    child.move_to(target);
    EXPECT_TRUE(mat_near(target.get_matrix(), m, TOL_UNIT));
    matrix_node_t copy(target);
    EXPECT_EQ(copy.get_parent(), &parent);
}

using transform_node_death_test = transform_node_test;

TEST_F(transform_node_death_test, a_node_cannot_become_its_own_ancestor) {
    message_stdio_t out;
    test::temp_dir_t dir;
    dumper_set_file_name(dir.file("node.crash").c_str());
    placement_node_t root, child;
    child.set_parent(&root);
    EXPECT_DEATH(root.set_parent(&child), "Assertion `a != this' failed");
    EXPECT_DEATH(root.set_parent(&root), "Assertion `a != this' failed");
}

}  // namespace
}  // namespace quarn
