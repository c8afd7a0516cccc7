#pragma once
// bmem_manager_t: a pool of equal-size blocks carved from larger chunks taken from the
// host's vector allocation function. Every list node of the core comes from one.
// Blocks are never returned to the host one by one: they go back on the pool's free
// list and live until the pool is destroyed, which frees all chunks at once.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

class QRNCORE_API bmem_manager_t {
public:
    // Every block handed out is aligned to this, so block sizes are multiples of it.
    static constexpr size_t BLOCK_ALIGN = 16;
    // Bytes in front of the blocks of a chunk: the link to the chunk allocated
    // before it, padded so that the first block keeps the alignment.
    static constexpr size_t CHUNK_HEADER = BLOCK_ALIGN;

    // An unset pool: no block size yet, no chunks.
    bmem_manager_t() = default;
    // Frees every chunk; all blocks die with it.
    ~bmem_manager_t();
    bmem_manager_t(const bmem_manager_t &) = delete;
    bmem_manager_t &operator=(const bmem_manager_t &) = delete;

    // Sets the block size to max(size, 1) taken up to the next multiple of BLOCK_ALIGN
    // (which always holds the free-list link) and the number of blocks per chunk
    // (at least 1). Setting a pool again to the same block size is harmless (pools
    // shared by several lists); changing the block size once chunks exist aborts.
    void set_pars(size_t size, uint32_t blocks_per_chunk);

    // Returns a block of get_block_size() bytes, never null: the block freed last, or
    // a block of a new chunk when none is free. Aborts when the host has no memory.
    // Inline: every list node of the core passes here.
    void *alloc() {
        if (!m_free) add_chunk();
        void *block = m_free;
        m_free = *static_cast<void **>(block);
        return block;
    }
    // Puts a block back on the free list; the next alloc returns it. The block must
    // have come from this pool (not checked).
    void free(void *block) {
        *static_cast<void **>(block) = m_free;
        m_free = block;
    }

    size_t get_block_size() const { return m_block_size; }
    uint32_t get_blocks_per_chunk() const { return m_blocks_per_chunk; }
    // Bytes of one host allocation: the chunk header and the blocks.
    size_t get_chunk_bytes() const { return CHUNK_HEADER + size_t(m_blocks_per_chunk) * m_block_size; }

private:
    void add_chunk();

    // Most recent chunk; the first word of every chunk links to the one before it.
    void *m_chunks = nullptr;
    // First free block; the first word of every free block links to the next one.
    void *m_free = nullptr;
    size_t m_block_size = 0;
    uint32_t m_blocks_per_chunk = 0;
};

}  // namespace quarn
