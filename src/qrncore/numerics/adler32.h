#pragma once
// The Adler-32 checksum of RFC 1950 (zlib streams, PNG image data). Calls chain: the
// value after several calls is that of the concatenated bytes.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

class QRNCORE_API adler32_t {
public:
    // Adds the bytes to the sums. Null data or a length of 0 changes nothing.
    void compute(const void *data, size_t length);
    // b * 65536 + a; 1 for a fresh checksum.
    uint32_t value() const { return (b << 16) | a; }

    uint32_t a = 1;
    uint32_t b = 0;
};

}  // namespace quarn
