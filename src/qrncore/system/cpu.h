#pragma once
// Processor identification and the memory-copy routine chosen for it. The routines
// are reached through exported function pointers, so a generic set (no
// identification) and the x86 set share one interface.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "qrncore/api.h"

namespace quarn {

enum cpu_feature_t : uint32_t {
    CPU_IDENTIFIED = 0x1,
    CPU_FPU = 0x2,
    CPU_MMX = 0x4,
    CPU_CMOV = 0x8,
    CPU_3DNOW = 0x10,
    CPU_3DNOWEXT = 0x20,
    CPU_SSE = 0x40,
    CPU_SSE2 = 0x80,
    CPU_CXMMX = 0x100,
    CPU_MMXEXT = 0x200,
};

extern "C" {
QRNCORE_API extern uint32_t (*fptr_identify_cpu)();
QRNCORE_API extern const char *(*fptr_get_cpu_name)();
QRNCORE_API extern const char *(*fptr_get_cpu_vendor)();
QRNCORE_API extern bool (*fptr_cpu_start_speed_monitor)();
QRNCORE_API extern bool (*fptr_cpu_stop_speed_monitor)();
QRNCORE_API extern bool (*fptr_cpu_speed_monitor)();
// Copies len bytes and returns the end of the destination.
QRNCORE_API extern void *(*fptr_mm_memcpy)(void *dst, const void *src, size_t len);
}

// CPU start-up: installs the routine sets, identifies the processor when asked (else
// the feature set is CPU_FPU alone), measures its speed and picks the copy routine.
// Returns the feature set.
QRNCORE_API uint32_t cpu_startup(bool identify);
QRNCORE_API uint32_t cpu_get_features();
// The measured speed in MHz; never below 1.
QRNCORE_API unsigned cpu_get_cpu_speed();
// Logs "[cpu] %s [%s] at ~%uMHz." and the features in use.
QRNCORE_API void cpu_display_info();

// Measures the speed against the millisecond clock with the given number of samples
// (0 means 7, never more than 7) and returns it in MHz, at least 1.
QRNCORE_API unsigned cpu_measure_speed(unsigned samples);
// The model name for a vendor, family and model; "unknown" when the table has none.
QRNCORE_API const char *cpu_model_name(const char *vendor, unsigned family, unsigned model);

// Copies of at least this many bytes bypass the caches with streaming stores: only
// there does that beat the C library's memcpy (measured in bench/qrncore/
// memcpy_bench.cpp, figures in docs/cpu.md); below it the cached copy is faster,
// and for small copies the fence alone costs many times the copy.
inline constexpr size_t CPU_STREAM_COPY_MIN = size_t(16) << 20;

// The copy routines, for tests and benchmarks. plain: memmove. sse: the C library's
// memcpy below CPU_STREAM_COPY_MIN, stream from it on. stream: streaming stores at
// any size (64 bytes on). None of them takes overlapping ranges but plain.
QRNCORE_API void *cpu_memcpy_plain(void *dst, const void *src, size_t len);
QRNCORE_API void *cpu_memcpy_sse(void *dst, const void *src, size_t len);
QRNCORE_API void *cpu_memcpy_stream(void *dst, const void *src, size_t len);

// The engine's copy, what its call sites use: copies len bytes between ranges that do
// not overlap and returns the end of the destination. Below CPU_STREAM_COPY_MIN
// every routine copies through the C library, so the copy calls memcpy right here:
// for a small copy a call through the pointer, or only reading the pointer to choose,
// costs a measurable part of the copy. From the threshold on the installed routine
// decides (fptr_mm_memcpy: streaming stores, or the plain copy without SSE).
inline void *cpu_copy(void *dst, const void *src, size_t len) {
    if (len < CPU_STREAM_COPY_MIN) [[likely]]
        return static_cast<char *>(memcpy(dst, src, len)) + len;
    return fptr_mm_memcpy(dst, src, len);
}

}  // namespace quarn
