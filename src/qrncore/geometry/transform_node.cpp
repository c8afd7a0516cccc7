#include "qrncore/geometry/transform_node.h"

#include "qrncore/system/messages.h"

namespace quarn {

void (*placement_node_t::recompute_hook)(const placement_node_t *) = nullptr;

placement_node_t::placement_node_t() = default;

placement_node_t::placement_node_t(const placement_node_t &src)
    : m_absolute(src.m_absolute), m_relative(src.m_relative), m_state(0) {
    if (src.m_parent) link_to(src.m_parent);
}

placement_node_t &placement_node_t::operator=(const placement_node_t &src) {
    m_relative = src.m_relative;
    m_absolute = src.m_absolute;
    set_parent(src.m_parent);
    return *this;
}

placement_node_t::~placement_node_t() { detach(); }

void placement_node_t::invalidate_children() {
    // Iterative over siblings, recursive over depth: the hierarchy is shallow.
    for (placement_node_t *c = m_first_child; c; c = c->m_next_sibling) {
        if (c->m_state <= 0) continue;
        c->m_state = 0;
        c->invalidate_children();
    }
}

void placement_node_t::unlink_from_parent() {
    if (m_parent) {
        placement_node_t **link = &m_parent->m_first_child;
        while (*link && *link != this) link = &(*link)->m_next_sibling;
        if (*link) *link = m_next_sibling;
    }
    m_parent = nullptr;
    m_next_sibling = nullptr;
}

void placement_node_t::link_to(placement_node_t *p) {
    m_parent = p;
    m_next_sibling = p->m_first_child;
    p->m_first_child = this;
}

void placement_node_t::detach() {
    m_state = 0;
    invalidate_children();
    unlink_from_parent();
    placement_node_t *c = m_first_child;
    while (c) {
        placement_node_t *next = c->m_next_sibling;
        c->m_parent = nullptr;
        c->m_next_sibling = nullptr;
        c = next;
    }
    m_first_child = nullptr;
}

void placement_node_t::set_parent(placement_node_t *p) {
    // A cycle would make every later read recurse without end.
    for (const placement_node_t *a = p; a; a = a->m_parent) V_ASSERT(a != this);
    m_state = 0;
    invalidate_children();
    if (p == m_parent) return;
    unlink_from_parent();
    if (p) link_to(p);
}

void placement_node_t::set_relative(const placement_t &placement) {
    m_state = 0;
    invalidate_children();
    m_relative = placement;
}

void placement_node_t::set_absolute(const placement_t &placement) {
    if (!m_parent) {
        set_relative(placement);
        return;
    }
    set_relative(m_parent->get_absolute().to_local_space(placement));
}

const placement_t &placement_node_t::full_get_absolute() {
    if (!m_parent) {
        m_absolute = m_relative;
    } else {
        const placement_t &pa = m_parent->get_absolute();
        m_absolute = {pa.rotation.rotate(m_relative.position) + pa.position, pa.rotation * m_relative.rotation};
    }
    m_state = 1;
    if (recompute_hook) recompute_hook(this);
    return m_absolute;
}

void placement_node_t::move_to(placement_node_t &target) {
    if (&target == this) return;
    target.detach();
    target.m_absolute = m_absolute;
    target.m_relative = m_relative;
    target.m_first_child = m_first_child;
    for (placement_node_t *c = m_first_child; c; c = c->m_next_sibling) c->m_parent = &target;
    m_first_child = nullptr;
    // Take this node's place in its parent's list.
    target.m_parent = m_parent;
    target.m_next_sibling = m_next_sibling;
    if (m_parent) {
        placement_node_t **link = &m_parent->m_first_child;
        while (*link && *link != this) link = &(*link)->m_next_sibling;
        if (*link) *link = &target;
    }
    m_parent = nullptr;
    m_next_sibling = nullptr;
    // The target is stale, so its (moved) subtree must be too; left current, the
    // children would keep old world placements through later changes above the target.
    target.invalidate_children();
    // This node is now a root whose cached absolute placement was its old one.
    m_state = 0;
}

matrix_node_t::matrix_node_t(const matrix_node_t &src) : placement_node_t(src), m_matrix(src.m_matrix) {}

matrix_node_t &matrix_node_t::operator=(const matrix_node_t &src) {
    placement_node_t::operator=(src);
    m_matrix = src.m_matrix;
    return *this;
}

const mat4_t &matrix_node_t::full_get_matrix() {
    if (m_state <= 0) full_get_absolute();
    m_absolute.compute_matrix(&m_matrix);
    m_state = 2;
    return m_matrix;
}

void matrix_node_t::move_to(matrix_node_t &target) {
    placement_node_t::move_to(target);
    target.m_matrix = m_matrix;
}

}  // namespace quarn
