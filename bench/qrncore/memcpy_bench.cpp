// The engine's copy routines beside the C library's, the peers they must match: the
// installed routine (what memory files, mbio_t writes and the TGA reader call, through
// the pointer fptr_mm_memcpy) at every size from 64 B to 8 MiB, beside memcpy called
// directly and beside the C library's mempcpy (the same contract: it returns the end)
// called through a pointer the same way; and the streaming copy beside memcpy up to
// 128 MiB, which shows where streaming stores start to pay (CPU_STREAM_COPY_MIN).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "qrncore/system/cpu.h"

namespace {

template <void *(*Copy)(void *, const void *, size_t)>
void bm_copy(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    std::vector<unsigned char> src(n, 0x5A), dst(n);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Copy(dst.data(), src.data(), n));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}

void *libc_memcpy(void *d, const void *s, size_t n) { return static_cast<char *>(memcpy(d, s, n)) + n; }

// The C library's routine in the engine's place: reached through a pointer that the
// compiler cannot see through, as fptr_mm_memcpy is.
void *(*volatile libc_pointer)(void *, const void *, size_t) = mempcpy;
void *libc_through_pointer(void *d, const void *s, size_t n) { return libc_pointer(d, s, n); }

// Through the pointer the start-up installs (before the first benchmark), as the
// engine calls it.
const bool cpu_started = (quarn::cpu_startup(true), true);
void *installed(void *d, const void *s, size_t n) { return quarn::fptr_mm_memcpy(d, s, n); }

}  // namespace

BENCHMARK(bm_copy<libc_memcpy>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<libc_through_pointer>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<installed>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<quarn::cpu_memcpy_plain>)->RangeMultiplier(8)->Range(64, 8 << 20);
BENCHMARK(bm_copy<libc_memcpy>)->Name("bm_copy<libc_memcpy>/large")->RangeMultiplier(2)->Range(16 << 20, 128 << 20);
BENCHMARK(bm_copy<quarn::cpu_memcpy_stream>)->RangeMultiplier(2)->Range(1 << 20, 128 << 20);
