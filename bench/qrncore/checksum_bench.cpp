// CRC-32 and Adler-32 beside zlib's, over the same buffers in the same run.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

#include "qrncore/numerics/adler32.h"
#include "qrncore/numerics/crc.h"
#include "support/noise.h"

namespace {

std::vector<uint8_t> make_data(size_t n) { return quarn::test::noise_bytes(n, 12345); }

void bm_crc32_quarn(benchmark::State &state) {
    const auto data = make_data(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(quarn::crc32(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void bm_crc32_zlib(benchmark::State &state) {
    const auto data = make_data(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(::crc32(0, data.data(), uInt(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void bm_adler32_quarn(benchmark::State &state) {
    const auto data = make_data(size_t(state.range(0)));
    for (auto _ : state) {
        quarn::adler32_t a;
        a.compute(data.data(), data.size());
        benchmark::DoNotOptimize(a.value());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void bm_adler32_zlib(benchmark::State &state) {
    const auto data = make_data(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(::adler32(1, data.data(), uInt(data.size())));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

void bm_crc12_quarn(benchmark::State &state) {
    const auto data = make_data(size_t(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(quarn::crc12(data.data(), data.size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}

}  // namespace

BENCHMARK(bm_crc32_quarn)->Arg(4)->Arg(4096)->Arg(1 << 20);
BENCHMARK(bm_crc32_zlib)->Arg(4)->Arg(4096)->Arg(1 << 20);
BENCHMARK(bm_adler32_quarn)->Arg(4)->Arg(4096)->Arg(1 << 20);
BENCHMARK(bm_adler32_zlib)->Arg(4)->Arg(4096)->Arg(1 << 20);
// The spatial hash's key hash: four bytes at a time.
BENCHMARK(bm_crc12_quarn)->Arg(4)->Arg(4096);
