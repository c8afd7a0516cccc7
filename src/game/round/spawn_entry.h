#pragma once
// One scheduled spawn of a round, and the round's two lists of them: the pending
// schedule (ascending by time) and the due list (entries whose time has come but that
// did not spawn yet). Both take their nodes from one pool of the lists' own that grows
// 256 nodes at a time; an entry lives inside its node, so moving it from one list to
// the other copies nothing.
#include <cstdint>

#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vdatalist.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

// What a spawn makes. The first four index a trail's supported arrays.
enum spawn_kind_t : uint32_t {
    SPAWN_DECOY = 0,
    SPAWN_SCORING = 1,
    SPAWN_DANGEROUS = 2,
    SPAWN_AMBIENT = 3,
    SPAWN_GIFT = 4,
    SPAWN_NONE = 5,  // never scheduled
};
inline constexpr uint32_t SPAWN_KIND_COUNT = 5;  // kinds that can be scheduled

// "decoy", "scoring", "dangerous", "ambient", "gift", "none"; "?" past them.
const char *spawn_kind_name(uint32_t kind);

struct spawn_entry_t {
    static constexpr uint32_t NO_TRAIL = 0xFFFFFFFFu;

    spawn_kind_t kind = SPAWN_NONE;
    float time = 0.0f;           // seconds from the round's start
    mstring_dyn_t name;          // the bonus an animal carries, or the gift; empty for none
    uint32_t random_value = 0;   // 0..998, seeds what the target draws
    uint32_t trail = NO_TRAIL;   // index into the round's trails
    uint32_t sequence = 0;       // order of scheduling: breaks ties of time
};

class spawn_lists_t {
public:
    static constexpr uint32_t NODES_PER_BLOCK = 256;

    spawn_lists_t();
    // Destroys every entry still listed; the pool frees its blocks.
    ~spawn_lists_t();
    spawn_lists_t(const spawn_lists_t &) = delete;
    spawn_lists_t &operator=(const spawn_lists_t &) = delete;

    // Destroys every entry of both lists.
    void clear();

    // Appends an entry to the pending list (unsorted until sort_pending). False when
    // the name cannot be copied: nothing is appended then.
    bool add_pending(spawn_kind_t kind, float time, const char *name, uint32_t random_value, uint32_t trail);
    // Orders the pending list by ascending time, entries of equal time in the order
    // they were added.
    void sort_pending();
    // Moves every pending entry whose time is at most elapsed, in order, to the end of
    // the due list; returns how many moved.
    uint32_t move_due(float elapsed);

    // Walks the due list in order and removes (destroys) every entry for which spawn
    // returns true; the others stay, in their order.
    template <class F>
    void spawn_due(F &&spawn) {
        vdatalist_node_t *node = m_due.get_first();
        while (node) {
            vdatalist_node_t *next = node->next;
            if (spawn(*node->data_as<spawn_entry_t>())) remove(m_due, node);
            node = next;
        }
    }

    uint32_t get_pending_count() const { return m_pending.get_count(); }
    uint32_t get_due_count() const { return m_due.get_count(); }
    // Walks a list in order (f gets const spawn_entry_t &).
    template <class F>
    void for_each_pending(F &&f) const {
        for (const vdatalist_node_t *n = m_pending.get_first(); n; n = n->next) f(*n->data_as<spawn_entry_t>());
    }
    template <class F>
    void for_each_due(F &&f) const {
        for (const vdatalist_node_t *n = m_due.get_first(); n; n = n->next) f(*n->data_as<spawn_entry_t>());
    }
    const bmem_manager_t &get_pool() const { return m_pool; }

private:
    void remove(vdatalist_t &list, vdatalist_node_t *node);
    static void clear_list(vdatalist_t &list);

    bmem_manager_t m_pool;
    vdatalist_t m_pending;
    vdatalist_t m_due;
    uint32_t m_next_sequence = 0;
};

}  // namespace quarn
