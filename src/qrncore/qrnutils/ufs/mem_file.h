#pragma once
// Memory files: a file_t that is not backed by a device. A growable memory file keeps
// its bytes in pages of 1024 bytes made as writes reach them; pages never written
// read as zeros. A bound memory file views a block that the caller owns, read-only,
// without copying it. Sizes are 32-bit: nothing is read or written past 4 GiB.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/auto_ptr.h"

namespace quarn {

class QRNCORE_API mem_file_t : public file_t {
public:
    static constexpr uint32_t PAGE_SIZE = 1024;

    // An empty, writable file "<mem-file>".
    mem_file_t();
    // A read-only file "<mem-addr-file>" of len bytes viewing block, which must
    // outlive the file.
    mem_file_t(const void *block, uint32_t len);
    ~mem_file_t() override;

    bool is_read_only() const { return m_read_only; }
    uint32_t get_page_size() const { return m_page_size; }
    // Entries of the page directory, and how many of them hold a page of their own.
    uint32_t get_page_count() const { return m_pages.get_count(); }
    uint32_t get_owned_pages() const;

    class page_t;

protected:
    // True at once for len 0 or no buffer; false when the bytes pass the size.
    bool io_read(void *buf, uint32_t len, uint64_t offset) override;
    // False for a bound file and for bytes past 4 GiB - 1; true at once for len 0 or
    // no buffer. Bytes between the old end and offset read as zeros.
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override;
    bool io_stat(fs_stat_t *out) override;

private:
    bool m_read_only;
    uint32_t m_size = 0;
    uint32_t m_page_size;
    array_dyn_t<page_t *> m_pages;  // null entries read as zeros
};

// An owned, empty, writable memory file; null when the host has no memory.
QRNCORE_API auto_ptr_t<file_t>::ret_t mem_file_create();
// An owned, read-only memory file over the caller's block; null when the host has no
// memory.
QRNCORE_API auto_ptr_t<file_t>::ret_t mem_file_bind(const void *block, uint32_t len);

}  // namespace quarn
