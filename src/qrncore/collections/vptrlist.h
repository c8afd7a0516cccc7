#pragma once
// vptrlist_t: a doubly linked list of untyped pointers whose nodes come from a block
// pool. The list owns neither the pool (several lists may share one) nor what its
// pointers point to. It is a plain value without a destructor: its owner empties it
// with remove_all before the pool goes away. A copy shares the nodes of its source;
// only one of the two may be used afterwards.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/bmem_manager.h"

namespace quarn {

struct vptrlist_node_t {
    vptrlist_node_t *prev;
    vptrlist_node_t *next;
    void *data;
};

class QRNCORE_API vptrlist_t {
public:
    // The comparator of the C library's qsort; it receives pointers to node pointers.
    using compare_t = int (*)(const void *, const void *);

    // Binds the pool and sets it to node-size blocks, nodes_per_chunk to a chunk.
    void init_mm(uint32_t nodes_per_chunk, bmem_manager_t *pool);
    // Binds a pool that its owner has set up for vptrlist_node_t blocks.
    void set_pool(bmem_manager_t *pool) { m_pool = pool; }
    bmem_manager_t *get_pool() const { return m_pool; }

    // New node with data p at the front / end; returns it.
    vptrlist_node_t *insert(void *p);
    vptrlist_node_t *append(void *p);
    // New node before `before` (at the END when `before` is null); returns it.
    vptrlist_node_t *insert(vptrlist_node_t *before, void *p);
    // New node after `after` (at the FRONT when `after` is null); returns it.
    vptrlist_node_t *append(vptrlist_node_t *after, void *p);

    // Relink a node of this list at the front / end; nothing when it is already there.
    void move_to_start(vptrlist_node_t *node);
    void move_to_end(vptrlist_node_t *node);

    // Unlink an end node or the given node, give it back to the pool and return its
    // data pointer. The list must not be empty.
    void *remove_first();
    void *remove_last();
    void *remove_pos(vptrlist_node_t *node);
    // Gives every node back to the pool; touches nothing when the list is empty.
    void remove_all();

    // First node from `start` itself onwards (from the first node when `start` is
    // null) whose data equals p; null when none.
    vptrlist_node_t *find_ptr(const void *p, vptrlist_node_t *start = nullptr) const;

    // Splice every node of `other` in front of / behind this list's nodes, in their
    // order, and leave `other` empty. Constant time; nothing when `other` is empty.
    void minsert_all(vptrlist_t &other);
    void mappend_all(vptrlist_t &other);

    // Sorts the data pointers with qsort (not stable): the nodes stay where they
    // are, only their data pointers are permuted.
    void sort(compare_t cmp);

    vptrlist_node_t *get_first() const { return m_first; }
    vptrlist_node_t *get_last() const { return m_last; }
    uint32_t get_count() const { return m_count; }
    bool is_empty() const { return m_count == 0; }

private:
    vptrlist_node_t *new_node(void *p);
    void *release(vptrlist_node_t *node);

    vptrlist_node_t *m_last = nullptr;
    vptrlist_node_t *m_first = nullptr;
    bmem_manager_t *m_pool = nullptr;
    uint32_t m_count = 0;
};

}  // namespace quarn
