// The engine's copy routines beside the C library's, the peers they must match: the
// engine's copy (cpu_copy, as memory files, mbio_t writes and the TGA reader make it)
// and the installed routine called through fptr_mm_memcpy, at every size from 64 B to
// 8 MiB, beside memcpy called directly and beside the C library's mempcpy (the same
// contract: it returns the end) called through a pointer; and the streaming copy
// beside memcpy up to 128 MiB, which shows where streaming stores start to pay
// (CPU_STREAM_COPY_MIN).
//
// bm_copy_pair sets the engine's copy and memcpy side by side in one benchmark: blocks
// of copies of each are timed in turn (the order alternating), so that load elsewhere
// on the machine falls on both alike. The rates are the medians of the blocks; the
// "ratio" counter, the engine's rate over memcpy's, is the median of the ratios of
// the two blocks of each pair.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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

// The C library's routine reached through a pointer that the compiler cannot see
// through: what every call through a routine pointer costs.
void *(*volatile libc_pointer)(void *, const void *, size_t) = mempcpy;
void *libc_through_pointer(void *d, const void *s, size_t n) { return libc_pointer(d, s, n); }

// The engine's copy as its call sites make it (cpu_copy), and the installed routine
// called through fptr_mm_memcpy, after the start-up (before the first benchmark)
// installed the routine for this processor.
const bool cpu_started = (quarn::cpu_startup(true), true);
void *engine_copy(void *d, const void *s, size_t n) { return quarn::cpu_copy(d, s, n); }
void *installed(void *d, const void *s, size_t n) { return quarn::fptr_mm_memcpy(d, s, n); }

// The time of copies copies of n bytes (a multiple of 8). Not inlined and aligned, so
// the two loops sit alike in the code, and eight copies to a pass: a small copy takes
// a few cycles, and in a loop of one copy the place of its branches alone moved the
// time of identical code by a sixth or more.
template <void *(*Copy)(void *, const void *, size_t)>
[[gnu::noinline, gnu::aligned(64)]] double time_block(unsigned char *dst, const unsigned char *src, size_t n, size_t copies) {
    const auto start = std::chrono::steady_clock::now();
    for (size_t i = 0; i < copies; i += 8) {
#pragma GCC unroll 8
        for (int k = 0; k < 8; ++k) {
            benchmark::DoNotOptimize(Copy(dst, src, n));
            benchmark::ClobberMemory();
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void bm_copy_pair(benchmark::State &state) {
    const size_t n = size_t(state.range(0));
    // Blocks of about 2 MiB (tens of microseconds), at least eight copies.
    const size_t copies = n >= (size_t(256) << 10) ? 8 : (size_t(2) << 20) / n;
    // Both buffers on a page boundary, so every run copies between the same places.
    std::vector<unsigned char> memory(2 * n + 3 * 4096, 0x5A);
    auto page = [](unsigned char *p) {
        return reinterpret_cast<unsigned char *>((reinterpret_cast<uintptr_t>(p) + 4095) & ~uintptr_t(4095));
    };
    unsigned char *src = page(memory.data());
    unsigned char *dst = page(src + n + 4096);
    std::vector<double> libc_times, engine_times, ratios;
    bool engine_first = false;
    for (auto _ : state) {
        double t_libc = 0, t_engine = 0;
        for (int k = 0; k < 2; ++k) {
            if ((k == 0) == engine_first) t_engine = time_block<engine_copy>(dst, src, n, copies);
            else t_libc = time_block<libc_memcpy>(dst, src, n, copies);
        }
        libc_times.push_back(t_libc);
        engine_times.push_back(t_engine);
        ratios.push_back(t_libc / t_engine);
        engine_first = !engine_first;
    }
    auto median = [](std::vector<double> &v) {
        std::nth_element(v.begin(), v.begin() + ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double bytes = double(n) * double(copies);
    state.counters["memcpy_GBps"] = bytes / median(libc_times) / 1e9;
    state.counters["engine_GBps"] = bytes / median(engine_times) / 1e9;
    state.counters["ratio"] = median(ratios);
    state.SetBytesProcessed(int64_t(state.iterations()) * 2 * int64_t(bytes));
}

}  // namespace

BENCHMARK(bm_copy_pair)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<libc_memcpy>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<libc_through_pointer>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<engine_copy>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<installed>)->RangeMultiplier(2)->Range(64, 8 << 20);
BENCHMARK(bm_copy<quarn::cpu_memcpy_plain>)->RangeMultiplier(8)->Range(64, 8 << 20);
BENCHMARK(bm_copy<libc_memcpy>)->Name("bm_copy<libc_memcpy>/large")->RangeMultiplier(2)->Range(16 << 20, 128 << 20);
BENCHMARK(bm_copy<quarn::cpu_memcpy_stream>)->RangeMultiplier(2)->Range(1 << 20, 128 << 20);
