#include "qrncore/collections/bmem_manager.h"

#include <cstdio>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

void *&link_of(void *memory) { return *static_cast<void **>(memory); }

}  // namespace

bmem_manager_t::~bmem_manager_t() {
    void *chunk = m_chunks;
    while (chunk) {
        void *previous = link_of(chunk);
        qrncore_system_delete_vector(chunk);
        chunk = previous;
    }
    m_chunks = nullptr;
    m_free = nullptr;
}

void bmem_manager_t::set_pars(size_t size, uint32_t blocks_per_chunk) {
    V_ASSERT(blocks_per_chunk >= 1);
    // The block size is rounded to the block alignment rather than to a word: blocks
    // carry pointers and vectors on this platform and must stay 16-byte aligned.
    if (size == 0) size = 1;
    V_ASSERT(size <= SIZE_MAX / 2);
    const size_t block = (size + BLOCK_ALIGN - 1) & ~(BLOCK_ALIGN - 1);
    if (m_chunks && block != m_block_size) V_ABORT("Block size of a pool changed after its first allocation.");
    m_block_size = block;
    m_blocks_per_chunk = blocks_per_chunk;
}

void bmem_manager_t::add_chunk() {
    if (m_block_size == 0) V_ABORT("Block pool used before its block size was set.");
    V_ASSERT(m_block_size <= (SIZE_MAX - CHUNK_HEADER) / m_blocks_per_chunk);
    const size_t bytes = get_chunk_bytes();
    char *chunk = static_cast<char *>(qrncore_system_new_vector(bytes));
    // The host's null result was dereferenced here before; running out of memory now
    // ends the process with a message that says so.
    if (!chunk) {
        char text[96];
        snprintf(text, sizeof(text), "Block pool out of memory (chunk of %zu bytes).", bytes);
        V_ABORT(text);
    }
    if (reinterpret_cast<uintptr_t>(chunk) % BLOCK_ALIGN != 0) V_ABORT("Host allocation is not aligned to 16 bytes.");
    link_of(chunk) = m_chunks;
    m_chunks = chunk;
    // Thread the blocks in address order, the last one ending the list. The free list
    // is empty here, so the chunk's blocks are the whole of it.
    char *block = chunk + CHUNK_HEADER;
    for (uint32_t i = 1; i < m_blocks_per_chunk; ++i, block += m_block_size) link_of(block) = block + m_block_size;
    link_of(block) = nullptr;
    m_free = chunk + CHUNK_HEADER;
}

}  // namespace quarn
