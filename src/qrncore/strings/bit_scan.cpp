#include "qrncore/strings/bit_scan.h"

namespace quarn {

uint32_t v_bit_scan_forward_impl(uint32_t x) {
    if (!x) return 0xFFFFFFFFu;
    uint32_t r = 0;
    for (uint32_t width = 16; width; width >>= 1) {
        uint32_t mask = (1u << width) - 1;
        if (!(x & mask)) {
            r += width;
            x >>= width;
        }
    }
    return r;
}

uint32_t v_bit_scan_reverse_impl(uint32_t x) {
    if (!x) return 0xFFFFFFFFu;
    uint32_t r = 0;
    for (uint32_t width = 16; width; width >>= 1) {
        if (x >> width) {
            r += width;
            x >>= width;
        }
    }
    return r;
}

}  // namespace quarn
