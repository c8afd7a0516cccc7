#include "qrncore/collections/data_cache.h"

#include <new>

#include "qrncore/system/host_alloc.h"

namespace quarn {

// A chunk's header, padded to keep the blocks after it aligned.
struct alignas(data_cache_t::ALIGN) data_cache_t::chunk_t {
    chunk_t *next;
    size_t size;  // bytes after the header
    size_t fill;  // bytes handed out of it

    uint8_t *bytes() { return reinterpret_cast<uint8_t *>(this + 1); }
};

data_cache_t::data_cache_t(size_t chunk_size) : m_chunk_size(chunk_size ? chunk_size : ALIGN) {}

data_cache_t::~data_cache_t() {
    for (chunk_t *c = m_first; c;) {
        chunk_t *next = c->next;
        qrncore_system_delete_vector(c);
        c = next;
    }
}

void *data_cache_t::alloc(size_t bytes) {
    if (bytes > SIZE_MAX - ALIGN - sizeof(chunk_t)) return nullptr;
    const size_t n = (bytes + ALIGN - 1) & ~(ALIGN - 1);
    // The current chunk, then the kept ones after it, then a new one.
    for (chunk_t *c = m_current; c; c = c->next) {
        if (c->size - c->fill >= n) {
            m_current = c;
            void *block = c->bytes() + c->fill;
            c->fill += n;
            m_used += n;
            return block;
        }
    }
    const size_t size = n > m_chunk_size ? n : m_chunk_size;
    void *memory = qrncore_system_new_vector(sizeof(chunk_t) + size);
    if (!memory) return nullptr;
    chunk_t *c = new (memory) chunk_t{nullptr, size, n};
    // Appended after the last chunk, so that the chunks serve in their order.
    chunk_t **end = &m_first;
    while (*end) end = &(*end)->next;
    *end = c;
    m_current = c;
    ++m_chunk_count;
    m_used += n;
    return c->bytes();
}

void data_cache_t::free_all() {
    for (chunk_t *c = m_first; c; c = c->next) c->fill = 0;
    m_current = m_first;
    m_used = 0;
}

}  // namespace quarn
