#include "qrncore/system/mem_info.h"

#include <cstdint>

#include "platform/memory.h"

namespace quarn {

namespace {
unsigned cap32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : unsigned(v); }
}  // namespace

void mem_info(unsigned *total_physical, unsigned *free_physical, unsigned *total_virtual, unsigned *free_virtual) {
    *total_physical = *free_physical = *total_virtual = *free_virtual = 0x4000000u;
    platform::memory_status_t st{};
    if (!platform::memory_status(&st)) return;
    *total_physical = cap32(st.total_physical);
    *free_physical = cap32(st.free_physical);
    *total_virtual = cap32(st.total_virtual);
    *free_virtual = cap32(st.free_virtual);
}

}  // namespace quarn
