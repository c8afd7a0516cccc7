#pragma once
// vdatalist_t: a doubly linked list whose nodes carry an inline data area of a size
// fixed per list. The data area starts right after the two links; the size lives only
// in the pool's block size. Like vptrlist_t it is a plain value bound to a pool it
// does not own, emptied by its owner with remove_all.
//
// The detach/attach family (t...) moves nodes between positions or lists without
// touching the pool, so data areas keep their addresses.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/list_links.h"

namespace quarn {

struct vdatalist_node_t {
    // The data area follows the links; a data address and its node differ by this.
    static constexpr size_t DATA_OFFSET = 2 * sizeof(void *);

    void *data() { return reinterpret_cast<char *>(this) + DATA_OFFSET; }
    const void *data() const { return reinterpret_cast<const char *>(this) + DATA_OFFSET; }
    template <class T>
    T *data_as() {
        return static_cast<T *>(data());
    }
    template <class T>
    const T *data_as() const {
        return static_cast<const T *>(data());
    }

    vdatalist_node_t *prev;
    vdatalist_node_t *next;
};
static_assert(sizeof(vdatalist_node_t) == vdatalist_node_t::DATA_OFFSET);

class QRNCORE_API vdatalist_t {
public:
    using compare_t = int (*)(const void *, const void *);

    // Binds the pool and sets its block size to the links plus data_size (the pool
    // rounds it up to its alignment), nodes_per_chunk to a chunk.
    void init_mm(size_t data_size, uint32_t nodes_per_chunk, bmem_manager_t *pool);
    // Binds a pool that its owner has set up with room for the links and the data.
    void set_pool(bmem_manager_t *pool) { m_pool = pool; }
    bmem_manager_t *get_pool() const { return m_pool; }

    // New node at the front / end; its data area is not initialised. Returns it.
    vdatalist_node_t *insert();
    vdatalist_node_t *append();
    // New node before `before` (at the END when null) / after `after` (at the FRONT
    // when null). Returns it.
    // (Inline, with the linking below: the hash tables and the chunk space link a node
    // or two for every key they take.)
    vdatalist_node_t *insert(vdatalist_node_t *before) {
        auto *node = static_cast<vdatalist_node_t *>(m_pool->alloc());
        tinsert(before, node);
        return node;
    }
    vdatalist_node_t *append(vdatalist_node_t *after) {
        auto *node = static_cast<vdatalist_node_t *>(m_pool->alloc());
        tappend(after, node);
        return node;
    }

    // The node whose data area starts at `data` (linear walk); null when none.
    vdatalist_node_t *find_data(const void *data) const;

    // Unlink a node and give it back to the pool. The list must not be empty.
    void remove_first();
    void remove_last();
    void remove_pos(vdatalist_node_t *node);
    // Gives every node back to the pool; touches nothing when the list is empty.
    void remove_all();

    // Unlink without giving the node back; the last two return it.
    void tremove_pos(vdatalist_node_t *node) {
        list_links::unlink(m_first, m_last, node);
        --m_count;
    }
    vdatalist_node_t *tremove_first();
    vdatalist_node_t *tremove_last();
    // Link a detached node at the front / end, or before / after a position with the
    // null rules of insert / append.
    void tinsert(vdatalist_node_t *node);
    void tappend(vdatalist_node_t *node);
    void tinsert(vdatalist_node_t *before, vdatalist_node_t *node) {
        list_links::link_before(m_first, m_last, before, node);
        ++m_count;
    }
    void tappend(vdatalist_node_t *after, vdatalist_node_t *node) {
        list_links::link_after(m_first, m_last, after, node);
        ++m_count;
    }

    // Move one node of `other` to the front / end of this list. Both lists must draw
    // from pools of the same block size, since the node may later go back to ours.
    void minsert(vdatalist_t &other, vdatalist_node_t *node);
    void mappend(vdatalist_t &other, vdatalist_node_t *node);

    void move_to_start(vdatalist_node_t *node);
    void move_to_end(vdatalist_node_t *node);

    // Reorders the nodes with qsort (not stable); every data area keeps its address.
    // The comparator receives pointers to node pointers.
    void sort(compare_t cmp);

    vdatalist_node_t *get_first() const { return m_first; }
    vdatalist_node_t *get_last() const { return m_last; }
    uint32_t get_count() const { return m_count; }
    bool is_empty() const { return m_count == 0; }

private:
    vdatalist_node_t *m_last = nullptr;
    vdatalist_node_t *m_first = nullptr;
    bmem_manager_t *m_pool = nullptr;
    uint32_t m_count = 0;
};

}  // namespace quarn
