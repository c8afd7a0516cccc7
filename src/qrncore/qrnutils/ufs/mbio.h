#pragma once
// quarn::mbio_t: a cursor over a block of memory, for readers and writers of formats
// held in memory. Reads are checked against the block: a read that would pass its
// end gives null and leaves the cursor where it was. Writes are the caller's to keep
// within the block; one that would pass the end is a programming error.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/qrnutils/ufs/file.h"

namespace quarn {

class QRNCORE_API mbio_t {
public:
    // Places the cursor at the start of the block; returns 0.
    int open(void *block, size_t size);

    // The current address, then the cursor moves on by len. Null, with the cursor
    // kept, when the cursor is at or past the end or fewer than len bytes remain.
    void *read(uint32_t len);
    // The same, copying the bytes to dst first.
    void *read(void *dst, uint32_t len);
    // Copies len bytes to the current address and moves on; returns the old address.
    void *write(const void *src, uint32_t len);

    // The current address and its offset from the start.
    uint8_t *tell() const { return m_current; }
    size_t get_offset() const { return size_t(m_current - m_base); }
    size_t get_size() const { return m_size; }
    void set(void *address) { m_current = static_cast<uint8_t *>(address); }
    // FS_SEEK_SET from the start, FS_SEEK_CUR from the cursor; another origin leaves
    // the cursor and gives false. The cursor is not checked here: reads check it.
    bool seek(int64_t offset, fs_whence_t whence);
    // Rounds the current address up to a multiple of a (a power of two).
    void align(uint32_t a);

private:
    // Bytes left from the cursor to the end, or -1 when the cursor is outside.
    int64_t remaining() const;

    uint8_t *m_base = nullptr;
    uint8_t *m_current = nullptr;
    size_t m_size = 0;
};

}  // namespace quarn
