#include "platform/cpu.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace quarn::platform {

bool cpu_has_cpuid() {
#if defined(__x86_64__) || defined(__i386__)
    return true;
#else
    return false;
#endif
}

bool cpu_cpuid(uint32_t leaf, cpuid_regs_t *out) {
    *out = {};
#if defined(__x86_64__) || defined(__i386__)
    __cpuid_count(leaf, 0, out->eax, out->ebx, out->ecx, out->edx);
    return true;
#else
    (void)leaf;
    return false;
#endif
}

}  // namespace quarn::platform
