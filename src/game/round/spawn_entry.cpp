#include "game/round/spawn_entry.h"

#include <new>

namespace quarn {

namespace {

int compare_entries(const void *a, const void *b) {
    const auto *x = (*static_cast<vdatalist_node_t *const *>(a))->data_as<spawn_entry_t>();
    const auto *y = (*static_cast<vdatalist_node_t *const *>(b))->data_as<spawn_entry_t>();
    if (x->time < y->time) return -1;
    if (y->time < x->time) return 1;
    return x->sequence < y->sequence ? -1 : (x->sequence > y->sequence ? 1 : 0);
}

}  // namespace

const char *spawn_kind_name(uint32_t kind) {
    static const char *const names[] = {"decoy", "scoring", "dangerous", "ambient", "gift", "none"};
    return kind < sizeof names / sizeof names[0] ? names[kind] : "?";
}

spawn_lists_t::spawn_lists_t() {
    m_pending.init_mm(sizeof(spawn_entry_t), NODES_PER_BLOCK, &m_pool);
    m_due.set_pool(&m_pool);
}

spawn_lists_t::~spawn_lists_t() { clear(); }

void spawn_lists_t::clear() {
    clear_list(m_pending);
    clear_list(m_due);
    m_next_sequence = 0;
}

void spawn_lists_t::clear_list(vdatalist_t &list) {
    for (vdatalist_node_t *n = list.get_first(); n; n = n->next) n->data_as<spawn_entry_t>()->~spawn_entry_t();
    list.remove_all();
}

void spawn_lists_t::remove(vdatalist_t &list, vdatalist_node_t *node) {
    node->data_as<spawn_entry_t>()->~spawn_entry_t();
    list.remove_pos(node);
}

bool spawn_lists_t::add_pending(spawn_kind_t kind, float time, const char *name, uint32_t random_value,
                                uint32_t trail) {
    mstring_dyn_t copy;
    if (name && *name && !copy.copy(string(name))) return false;
    vdatalist_node_t *node = m_pending.append();
    auto *entry = new (node->data()) spawn_entry_t;
    entry->kind = kind;
    entry->time = time;
    entry->name = static_cast<mstring_dyn_t &&>(copy);
    entry->random_value = random_value;
    entry->trail = trail;
    entry->sequence = m_next_sequence++;
    return true;
}

void spawn_lists_t::sort_pending() { m_pending.sort(&compare_entries); }

uint32_t spawn_lists_t::move_due(float elapsed) {
    uint32_t moved = 0;
    while (vdatalist_node_t *first = m_pending.get_first()) {
        if (!(first->data_as<spawn_entry_t>()->time <= elapsed)) break;
        m_due.mappend(m_pending, first);
        ++moved;
    }
    return moved;
}

}  // namespace quarn
