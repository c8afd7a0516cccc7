#pragma once
// A hierarchy of placements. Each node holds its placement relative to its parent and
// caches its absolute (world) placement, recomputed lazily when something above it
// changed. Nodes are embedded in the objects that own them; the links are plain
// pointers and own nothing. A node's children form a singly linked list through
// their next-sibling links, newest first.
//
// State: <= 0 the absolute placement is stale, 1 it is current, 2 (matrix_node_t)
// the matrix is current too. A stale node has only stale descendants: a node becomes
// current only after all its ancestors did, and every change makes the changed node
// and its whole subtree stale.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/mat_sq.h"

namespace quarn {

class QRNCORE_API placement_node_t {
public:
    // Identity placements, no links, current.
    placement_node_t();
    // Copies both placements; no children; stale; a child of src's parent (at the head
    // of its list) when src has one.
    placement_node_t(const placement_node_t &src);
    // Copies both placements and takes src's parent; keeps its own children.
    placement_node_t &operator=(const placement_node_t &src);
    // Detaches the node: its children become roots.
    ~placement_node_t();

    // Moves the node under p (null: makes it a root). Setting the same parent again
    // only marks the subtree stale. p must not be the node itself or one of its
    // descendants.
    void set_parent(placement_node_t *p);
    void set_relative(const placement_t &placement);
    // Sets the relative placement so that the absolute one becomes placement.
    void set_absolute(const placement_t &placement);

    const placement_t &get_relative() const { return m_relative; }
    // The absolute placement, recomputed first when stale.
    const placement_t &get_absolute() { return m_state >= 1 ? m_absolute : full_get_absolute(); }
    // Recomputes the absolute placement (ancestors first where they are stale).
    const placement_t &full_get_absolute();

    // Takes this node's place in the hierarchy over to target: target is detached,
    // then receives the placements, the children and this node's position in its
    // parent's list; this node is left a root without children.
    void move_to(placement_node_t &target);

    placement_node_t *get_parent() const { return m_parent; }
    placement_node_t *get_first_child() const { return m_first_child; }
    placement_node_t *get_next_sibling() const { return m_next_sibling; }
    int32_t get_state() const { return m_state; }

    // Called on every recomputation of an absolute placement (for tests and
    // profiling); null by default.
    static void (*recompute_hook)(const placement_node_t *node);

protected:
    // Marks this node's children and their subtrees stale.
    void invalidate_children();
    void detach();
    void unlink_from_parent();
    void link_to(placement_node_t *p);

    placement_t m_absolute;
    placement_t m_relative;
    placement_node_t *m_parent = nullptr;
    placement_node_t *m_first_child = nullptr;
    placement_node_t *m_next_sibling = nullptr;
    int32_t m_state = 1;
};

// A node that also caches the matrix of its absolute placement.
class QRNCORE_API matrix_node_t : public placement_node_t {
public:
    matrix_node_t() = default;
    matrix_node_t(const matrix_node_t &src);
    matrix_node_t &operator=(const matrix_node_t &src);

    // T(absolute position)·R(absolute rotation), recomputed first when stale.
    const mat4_t &get_matrix() { return m_state == 2 ? m_matrix : full_get_matrix(); }
    const mat4_t &full_get_matrix();
    // As placement_node_t::move_to, with the cached matrix.
    void move_to(matrix_node_t &target);

private:
    mat4_t m_matrix = mat4_t::identity();
};

}  // namespace quarn
