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

}  // namespace

BENCHMARK(bm_copy<libc_memcpy>)->Range(64, 8 << 20);
BENCHMARK(bm_copy<quarn::cpu_memcpy_plain>)->Range(64, 8 << 20);
BENCHMARK(bm_copy<quarn::cpu_memcpy_sse>)->Range(64, 8 << 20);
