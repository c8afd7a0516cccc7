#include "platform/memory.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/sysinfo.h>

namespace quarn::platform {

bool memory_status(memory_status_t *out) {
    struct sysinfo si {};
    if (sysinfo(&si) != 0) return false;
    const uint64_t unit = si.mem_unit ? si.mem_unit : 1;
    out->total_physical = uint64_t(si.totalram) * unit;
    out->free_physical = uint64_t(si.freeram + si.bufferram) * unit;
    // The address space: the limit on it if one is set, else the 47-bit user space.
    rlimit lim{};
    uint64_t total_virtual = uint64_t(1) << 47;
    if (getrlimit(RLIMIT_AS, &lim) == 0 && lim.rlim_cur != RLIM_INFINITY) total_virtual = lim.rlim_cur;
    out->total_virtual = total_virtual;
    out->free_virtual = total_virtual;
    return true;
}

void *memory_reserve(size_t bytes) {
    if (bytes == 0) return nullptr;
    void *p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void memory_release(void *base, size_t bytes) {
    if (base) munmap(base, bytes);
}

}  // namespace quarn::platform
