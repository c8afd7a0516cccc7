#pragma once
// quarn::cfile_t: a file that scrambles every byte written through it and unscrambles
// every byte read, for the savegame. The mask of a byte depends only on its position
// in the file, so the file may be read and written in pieces of any size at any
// offset.
//
// For the byte at file offset p, with k = (p mod 256 + CFILE_SCRAMBLE_CONSTANT)
// mod 256, the mask is (((k << 2) ^ ~k) << 3) ^ k in 8 bits; the byte is XORed with it.
// The constant is part of the savegame format: never change it.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/qrnutils/ufs/file.h"

namespace quarn {

inline constexpr uint8_t CFILE_SCRAMBLE_CONSTANT = 0xA7;

// XORs len bytes that lie at file offset offset with their masks (scrambles and
// unscrambles alike).
QRNCORE_API void cfile_scramble(void *buf, uint32_t len, uint64_t offset);

class QRNCORE_API cfile_t : public file_proxy_t {
public:
    // Takes the inner file (which must be there) out of inner.
    explicit cfile_t(auto_ptr_t<file_t> &inner) : file_proxy_t(inner) {}

protected:
    // Reads through the inner file, then unscrambles in place.
    bool io_read(void *buf, uint32_t len, uint64_t offset) override;
    // Writes a scrambled copy (from the host's memory) through the inner file; false
    // when the copy cannot be had or the write fails.
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override;
};

}  // namespace quarn
