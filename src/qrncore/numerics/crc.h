#pragma once
// Cyclic redundancy checks. CRC-32 is the one of zlib and PNG (reflected polynomial
// 0xEDB88320) and chains across calls. The short CRCs of 16 down to 4 bits are
// unreflected, start from 0 and have no final XOR; their tables are filled by
// crc_initialize at library start.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

class QRNCORE_API crc32_t {
public:
    // Continues the CRC over the bytes, so two calls give the CRC of the
    // concatenation. Null data or a length of 0 changes nothing.
    void compute(const void *data, size_t length);
    // The same over the text up to its terminating zero.
    void compute(const string &text);

    uint32_t value = 0;
};

// CRC-32 of the bytes from a fresh value; 0 for no bytes.
QRNCORE_API uint32_t crc32(const void *data, size_t length);

// How CRC-32 is computed: eight bytes a step with tables (any processor), or 64
// bytes a step by carry-less multiplication where the processor has it (found at
// run time). Both give the same values.
enum class crc32_path_t { TABLES, CLMUL };
// The fastest path this processor has; what crc32 and crc32_t use.
QRNCORE_API crc32_path_t crc32_best_path();
// Continues a CRC-32 value over the bytes along the given path (tests and benchmarks
// compare the paths); a path the processor lacks falls back to the tables.
QRNCORE_API uint32_t crc32_continue(crc32_path_t path, uint32_t value, const void *data, size_t length);

// The short CRCs: CRC-16/XMODEM, CRC-14 (polynomial 0x202D, no final XOR),
// CRC-12/DECT, CRC-10/ATM, CRC-8/SMBUS, and 6 and 4 bits over 0x23 and 0x3. For the
// widths 6 and 4 only the low 6 or 4 bits of each byte count. Null data or a length
// of 0 gives 0.
QRNCORE_API unsigned crc16(const void *data, size_t length);
QRNCORE_API unsigned crc14(const void *data, size_t length);
QRNCORE_API unsigned crc12(const void *data, size_t length);
QRNCORE_API unsigned crc10(const void *data, size_t length);
QRNCORE_API unsigned crc8(const void *data, size_t length);
QRNCORE_API unsigned crc6(const void *data, size_t length);
QRNCORE_API unsigned crc4(const void *data, size_t length);

// Fills the short-CRC tables. They are already filled when the library is loaded,
// so code running before start-up gets the same values; calling this again is
// harmless.
QRNCORE_API void crc_initialize();
// Nothing to release.
QRNCORE_API void crc_shutdown();

}  // namespace quarn
