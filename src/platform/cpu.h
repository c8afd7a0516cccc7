#pragma once
// Processor identification. On x86-64 the CPUID instruction answers; elsewhere
// every query reports that no identification is possible.
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

struct cpuid_regs_t {
    uint32_t eax, ebx, ecx, edx;
};

// True when the CPUID instruction exists (always on x86-64).
QRN_PLATFORM_API bool cpu_has_cpuid();
// Runs CPUID for a leaf (sub-leaf 0). False, with all registers 0, without CPUID.
QRN_PLATFORM_API bool cpu_cpuid(uint32_t leaf, cpuid_regs_t *out);

}  // namespace quarn::platform
