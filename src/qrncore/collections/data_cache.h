#pragma once
// data_cache_t: scratch memory that hands out blocks of any size and frees them all at
// once. It takes its memory in chunks of the host's vector allocation (the first of
// the size it was made with, later ones at least as large as the block asked for)
// and keeps them: after free_all the same chunks serve again, so a cache used every
// frame stops allocating once it has grown to the frame's needs.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

class QRNCORE_API data_cache_t {
public:
    static constexpr size_t ALIGN = 16;

    // chunk_size: bytes of the first chunk (and the least of every later one).
    explicit data_cache_t(size_t chunk_size);
    // Frees every chunk.
    ~data_cache_t();
    data_cache_t(const data_cache_t &) = delete;
    data_cache_t &operator=(const data_cache_t &) = delete;

    // A block of bytes bytes aligned to 16, valid until free_all; null when the host
    // has no memory for a new chunk.
    void *alloc(size_t bytes);
    // Every block handed out is free again; the chunks stay.
    void free_all();
    // Bytes handed out since the last free_all (blocks rounded to 16).
    size_t get_used() const { return m_used; }
    uint32_t get_chunk_count() const { return m_chunk_count; }

private:
    struct chunk_t;

    chunk_t *m_first = nullptr;
    chunk_t *m_current = nullptr;
    size_t m_chunk_size;
    size_t m_used = 0;
    uint32_t m_chunk_count = 0;
};

}  // namespace quarn
