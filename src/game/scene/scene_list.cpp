#include "game/scene/scene_list.h"

namespace quarn {

namespace {

constinit int64_t node_budget = -1;

bool take_from_budget() {
    if (node_budget < 0) return true;
    if (node_budget == 0) return false;
    --node_budget;
    return true;
}

}  // namespace

void scene_list_set_node_budget(int64_t nodes) { node_budget = nodes; }

scene_list_base_t::scene_list_base_t() { m_list.init_mm(NODES_PER_BLOCK, &m_pool); }

scene_list_base_t::~scene_list_base_t() { m_list.remove_all(); }

vptrlist_node_t *scene_list_base_t::append_ptr(void *p) {
    if (!take_from_budget()) return nullptr;
    return m_list.append(p);
}

vptrlist_node_t *scene_list_base_t::prepend_ptr(void *p) {
    if (!take_from_budget()) return nullptr;
    return m_list.insert(p);
}

bool scene_list_base_t::remove_ptr(const void *p) {
    vptrlist_node_t *node = m_list.find_ptr(p);
    if (!node) return false;
    m_list.remove_pos(node);
    return true;
}

}  // namespace quarn
