#include "qrncore/collections/chunk_space.h"

#include <cmath>
#include <cstring>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Larger requests cannot be met by any host; refusing them keeps the size arithmetic
// (rounding, growth) far from wrapping around.
constexpr size_t MAX_SPACE = SIZE_MAX / 8;

size_t round_up(size_t bytes) { return (bytes + chunk_space_t::REGION_ALIGN - 1) & ~(chunk_space_t::REGION_ALIGN - 1); }

}  // namespace

bmem_manager_t &chunk_space_t::region_pool() {
    struct region_pool_t : bmem_manager_t {
        region_pool_t() { set_pars(vdatalist_node_t::DATA_OFFSET + sizeof(chunk_region_t), 16); }
    };
    static region_pool_t pool;
    return pool;
}

chunk_space_t::chunk_space_t(size_t initial_size) {
    m_regions.set_pool(&region_pool());
    if (initial_size > 0) {
        if (initial_size > MAX_SPACE)
            error("[chunk_space] cannot allocate enough memory (%zu)", initial_size);
        else
            relayout(initial_size);
        drop_kept();
    }
}

chunk_space_t::~chunk_space_t() {
    drop_kept();
    if (m_buffer) qrncore_system_delete_vector(m_buffer);
    m_buffer = nullptr;
    m_capacity = m_free_bytes = 0;
    m_free_head = m_used_head = nullptr;
    m_regions.remove_all();
}

vdatalist_node_t *chunk_space_t::insert(const void *source, size_t length) {
    return insert(source, length, nullptr, 0);
}

vdatalist_node_t *chunk_space_t::insert(const void *source, size_t length, const void *tail, size_t tail_length) {
    if (length > MAX_SPACE || tail_length > MAX_SPACE) {
        error("[chunk_space] cannot allocate enough memory (%zu)", length > MAX_SPACE ? length : tail_length);
        return nullptr;
    }
    // A record of length 0 still takes one REGION_ALIGN: a zero-size region would
    // have no bytes of its own to tile, and an empty space could not make room for it.
    const size_t size = round_up(length) + round_up(tail_length);
    vdatalist_node_t *region = take_region(size ? size : REGION_ALIGN);
    if (!region) return nullptr;
    char *data = data_of(region);
    if (length) memcpy(data, source, length);
    // A four-byte tail (a hash) is copied inline rather than through a call.
    if (tail_length == sizeof(uint32_t))
        memcpy(data + round_up(length), tail, sizeof(uint32_t));
    else if (tail_length)
        memcpy(data + round_up(length), tail, tail_length);
    drop_kept();
    return region;
}

vdatalist_node_t *chunk_space_t::dup(vdatalist_node_t *region) {
    const size_t size = size_of(region);
    vdatalist_node_t *copy = take_region(size);
    if (!copy) return nullptr;
    // Read after taking: a re-layout has moved the source region along with its bytes.
    memcpy(data_of(copy), data_of(region), size);
    drop_kept();
    return copy;
}

bool chunk_space_t::remove(vdatalist_node_t *region) {
    V_ASSERT(!is_free(region));
    unlink(m_used_head, region);
    release_free(region);
    return true;
}

bool chunk_space_t::compact() {
    const bool ok = relayout(get_used_bytes());
    drop_kept();
    return ok;
}

vdatalist_node_t *chunk_space_t::take_region(size_t size) {
    vdatalist_node_t *region = nullptr;
    if (m_free_bytes >= size) {
        for (vdatalist_node_t *n = m_free_head; n; n = record(n)->next) {
            if (size_of(n) >= size) {
                region = n;
                break;
            }
        }
    }
    if (!region) {
        const size_t wanted = get_used_bytes() + size;
        if (wanted > MAX_SPACE) {
            error("[chunk_space] cannot allocate enough memory (%zu)", wanted);
            return nullptr;
        }
        size_t capacity = size_t(lroundf(GROWTH * float(wanted)));
        if (m_doubling && capacity < 2 * m_capacity) capacity = 2 * m_capacity;
        if (!relayout(capacity)) return nullptr;
        region = m_free_head;
        V_ASSERT(region && size_of(region) >= size);
    }
    unlink(m_free_head, region);
    chunk_region_t *rec = record(region);
    rec->size &= ~size_t(1);
    m_free_bytes -= rec->size;
    push(m_used_head, region);
    if (rec->size > size) {
        vdatalist_node_t *rest = m_regions.append(region);
        *record(rest) = chunk_region_t{rec->size - size, rec->data + size, nullptr, nullptr};
        rec->size = size;
        release_free(rest);
    }
    return region;
}

void chunk_space_t::release_free(vdatalist_node_t *region) {
    chunk_region_t *rec = record(region);
    push(m_free_head, region);
    m_free_bytes += rec->size;
    rec->size |= 1;
    vdatalist_node_t *merged = region;
    if (region->prev && is_free(region->prev)) {
        merged = region->prev;
        absorb(merged, region);
    }
    if (merged->next && is_free(merged->next)) absorb(merged, merged->next);
}

// The free region `into` takes over its free neighbour `region`, whose node leaves
// both lists. The free bytes already count both.
void chunk_space_t::absorb(vdatalist_node_t *into, vdatalist_node_t *region) {
    record(into)->size += size_of(region);
    unlink(m_free_head, region);
    m_regions.remove_pos(region);
}

bool chunk_space_t::relayout(size_t capacity) {
    capacity = round_up(capacity);
    V_ASSERT(capacity >= get_used_bytes());
    char *buffer = nullptr;
    if (capacity > 0) {
        buffer = static_cast<char *>(qrncore_system_new_vector(capacity));
        if (!buffer) {
            error("[chunk_space] cannot allocate enough memory (%zu)", capacity);
            return false;
        }
    }
    while (m_free_head) {
        vdatalist_node_t *region = m_free_head;
        unlink(m_free_head, region);
        m_regions.remove_pos(region);
    }
    // The used regions are packed in used-list order, the most recently taken first,
    // and the region list is rebuilt in that order so it stays in address order.
    size_t used = 0;
    for (vdatalist_node_t *n = m_used_head; n; n = record(n)->next) {
        chunk_region_t *rec = record(n);
        memcpy(buffer + used, rec->data, rec->size);
        rec->data = buffer + used;
        used += rec->size;
        m_regions.tremove_pos(n);
        m_regions.tappend(n);
    }
    const size_t free_bytes = capacity - used;
    if (free_bytes > 0) {
        vdatalist_node_t *rest = m_regions.append();
        *record(rest) = chunk_region_t{free_bytes | 1, buffer + used, nullptr, nullptr};
        m_free_head = rest;
    }
    drop_kept();
    m_kept = m_buffer;
    m_buffer = buffer;
    m_capacity = capacity;
    m_free_bytes = free_bytes;
    return true;
}

void chunk_space_t::drop_kept() {
    if (m_kept) qrncore_system_delete_vector(m_kept);
    m_kept = nullptr;
}

void chunk_space_t::push(vdatalist_node_t *&head, vdatalist_node_t *region) {
    chunk_region_t *rec = record(region);
    rec->prev = nullptr;
    rec->next = head;
    if (head) record(head)->prev = region;
    head = region;
}

void chunk_space_t::unlink(vdatalist_node_t *&head, vdatalist_node_t *region) {
    chunk_region_t *rec = record(region);
    if (rec->prev)
        record(rec->prev)->next = rec->next;
    else
        head = rec->next;
    if (rec->next) record(rec->next)->prev = rec->prev;
}

}  // namespace quarn
