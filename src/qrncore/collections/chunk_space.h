#pragma once
// chunk_space_t: variable-size records packed into one contiguous buffer that grows
// and compacts by itself. Every region of the buffer, used or free, is a node of a
// data list in address order; a record handed out is its region node. A region's
// bytes move whenever the space is re-laid out (an insert or dup that grows it, and
// compact), so holders keep the node and read chunk_space_t::data_of when they need
// the bytes.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vdatalist.h"

namespace quarn {

// The data of a region node.
struct chunk_region_t {
    // Size in bytes (a multiple of REGION_ALIGN), bit 0 set while the region is free.
    size_t size;
    char *data;
    // Neighbours in the free or used list that the region belongs to.
    vdatalist_node_t *prev;
    vdatalist_node_t *next;
};

class QRNCORE_API chunk_space_t {
public:
    // Region sizes and the capacity are multiples of this.
    static constexpr size_t REGION_ALIGN = 4;
    // Growth over the used size when no free region fits: 25 %.
    static constexpr float GROWTH = 1.25f;

    // An empty space without a buffer.
    chunk_space_t() : chunk_space_t(0) {}
    // With a non-zero size, lays out a buffer of that size (taken up to a multiple of
    // REGION_ALIGN) as one free region; when that fails the space stays empty.
    explicit chunk_space_t(size_t initial_size);
    // Frees both buffers and gives every region node back to the shared pool.
    ~chunk_space_t();
    chunk_space_t(const chunk_space_t &) = delete;
    chunk_space_t &operator=(const chunk_space_t &) = delete;

    // Takes a region of length bytes (taken up to a multiple of REGION_ALIGN, at least
    // one REGION_ALIGN) and copies length bytes from source into it. The source may
    // lie inside this space: the buffer it was in stays alive until the copy is done.
    // Null, with an error logged, when the space cannot grow; nothing changes then.
    vdatalist_node_t *insert(const void *source, size_t length);
    // The same with tail_length more bytes from tail stored after the record, at its
    // length taken up to a multiple of REGION_ALIGN (where the hash tables keep a
    // key's hash).
    vdatalist_node_t *insert(const void *source, size_t length, const void *tail, size_t tail_length);
    // Takes a region of the same size as `region` and copies the whole region into it
    // (all of its size, not only the length once inserted). Null when the space
    // cannot grow.
    vdatalist_node_t *dup(vdatalist_node_t *region);
    // Returns the region to the free regions, merging it with free neighbours. True.
    bool remove(vdatalist_node_t *region);
    // Re-lays the space out at exactly its used size, so no free region is left.
    // False, with an error logged and nothing changed, when the new buffer cannot be
    // had.
    bool compact();

    // With doubling set, a growth lays the space out at least at twice its capacity
    // (still a quarter more than the used bytes and the new record when that is
    // more), so a space that only ever grows copies each byte about twice in all
    // instead of about five times; the hash tables' key stores grow so. Off by default.
    void set_doubling(bool doubling) { m_doubling = doubling; }

    // The bytes of a region; they move when the space is re-laid out.
    static char *data_of(vdatalist_node_t *region) { return record(region)->data; }
    // The size of a region without its free mark.
    static size_t size_of(const vdatalist_node_t *region) { return record(region)->size & ~size_t(1); }
    static bool is_free(const vdatalist_node_t *region) { return (record(region)->size & 1) != 0; }
    static chunk_region_t *record(vdatalist_node_t *region) { return region->data_as<chunk_region_t>(); }
    static const chunk_region_t *record(const vdatalist_node_t *region) {
        return region->data_as<chunk_region_t>();
    }

    const char *get_buffer() const { return m_buffer; }
    size_t get_capacity() const { return m_capacity; }
    size_t get_free_bytes() const { return m_free_bytes; }
    size_t get_used_bytes() const { return m_capacity - m_free_bytes; }
    // Every region, used or free, in address order.
    const vdatalist_t &get_regions() const { return m_regions; }
    // Heads of the free list (last freed first) and the used list (last taken first).
    vdatalist_node_t *get_free_head() const { return m_free_head; }
    vdatalist_node_t *get_used_head() const { return m_used_head; }

    // The pool of region nodes that all chunk spaces share.
    static bmem_manager_t &region_pool();

private:
    vdatalist_node_t *take_region(size_t size);
    void release_free(vdatalist_node_t *region);
    void absorb(vdatalist_node_t *into, vdatalist_node_t *region);
    bool relayout(size_t capacity);
    void drop_kept();

    static void push(vdatalist_node_t *&head, vdatalist_node_t *region);
    static void unlink(vdatalist_node_t *&head, vdatalist_node_t *region);

    char *m_buffer = nullptr;
    // The buffer replaced by the last re-layout, alive until the operation that
    // caused it has finished with its source bytes.
    char *m_kept = nullptr;
    size_t m_capacity = 0;
    size_t m_free_bytes = 0;
    bool m_doubling = false;
    vdatalist_node_t *m_free_head = nullptr;
    vdatalist_node_t *m_used_head = nullptr;
    vdatalist_t m_regions;
};

}  // namespace quarn
