#include "game/ui/system/profiler_flat.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "qrncore/profiler/profiler.h"
#include "qrncore/system/messages.h"

namespace quarn {

profiler_flat_t &profiler_flat_t::get() {
    // Kept for the whole run, never destroyed: nothing frees its pool at exit.
    static profiler_flat_t *store = new profiler_flat_t;
    return *store;
}

profiler_flat_t::profiler_flat_t() { m_pool.set_pars(sizeof(profiler_flat_record_t), RECORDS_PER_CHUNK); }

profiler_flat_record_t *profiler_flat_t::record_of(const char *name) {
    const size_t length = strlen(name);
    if (void *found = m_hash.find(name, length)) return static_cast<profiler_flat_record_t *>(found);
    auto *record = new (m_pool.alloc()) profiler_flat_record_t;
    if (!m_hash.put(name, length, record)) {
        m_pool.free(record);
        return nullptr;
    }
    ++m_made;
    return record;
}

bool profiler_flat_t::fold(const profiler_node_t *root, uint32_t slot) {
    m_sorted.clear();
    if (!root || slot >= PROFILER_SLOTS) return true;
    // Stamp 0 is what a new record carries: never a fold's.
    if (++m_stamp == 0) m_stamp = 1;
    bool complete = true;
    // Pre-order walk below the root without recursion.
    const profiler_node_t *n = root->child;
    while (n) {
        const char *name = n->name ? n->name : "";
        profiler_flat_record_t *r = record_of(name);
        if (!r) {
            if (complete) error("[prof] no memory for the flat view's record '%s'", name);
            complete = false;
        } else {
            if (r->stamp != m_stamp) {
                *r = profiler_flat_record_t();
                r->stamp = m_stamp;
                if (!m_sorted.append(r)) complete = false;
            }
            r->name = name;
            r->self_time += n->total_time[slot] - n->child_time[slot];
            r->total_time += n->total_time[slot];
            r->calls += n->calls[slot];
            if (n->child) r->leaf = false;
        }
        if (n->child) {
            n = n->child;
            continue;
        }
        while (n && n != root && !n->sibling) n = n->parent;
        n = n && n != root ? n->sibling : nullptr;
    }
    std::stable_sort(m_sorted.begin(), m_sorted.end(),
                     [](const profiler_flat_record_t *a, const profiler_flat_record_t *b) {
                         if (a->leaf != b->leaf) return a->leaf;
                         if (a->total_time != b->total_time) return a->total_time > b->total_time;
                         return strcmp(a->name, b->name) < 0;
                     });
    return complete;
}

}  // namespace quarn
