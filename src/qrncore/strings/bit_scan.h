#pragma once
// Bit scans of 32-bit values by binary search, for code that must not depend on the
// processor's own instructions.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

// Index 0-31 of the lowest set bit; 0xFFFFFFFF for 0.
QRNCORE_API uint32_t v_bit_scan_forward_impl(uint32_t x);
// Index 0-31 of the highest set bit; 0xFFFFFFFF for 0.
QRNCORE_API uint32_t v_bit_scan_reverse_impl(uint32_t x);

}  // namespace quarn
