// Two-dimensional transforms of square arrays; items are complex values.
#include <benchmark/benchmark.h>

#include <vector>

#include "qrncore/numerics/fft.h"

namespace {

void bm_fft2d(benchmark::State &state) {
    const unsigned log2n = unsigned(state.range(0));
    const size_t n = size_t(1) << log2n;
    std::vector<quarn::complex_t<float>> data(n * n);
    for (size_t i = 0; i < data.size(); ++i) data[i] = {float(i % 17) - 8.0f, float(i % 5)};
    for (auto _ : state) {
        // Forward then scaled inverse keeps the values bounded over iterations.
        quarn::fft2d(data.data(), log2n, log2n, quarn::FFT_FORWARD);
        quarn::fft2d(data.data(), log2n, log2n, quarn::FFT_INVERSE | quarn::FFT_SCALE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2 * int64_t(n * n));
    state.SetLabel(std::to_string(n) + "x" + std::to_string(n) + ", 2 transforms");
}

void bm_fft1d(benchmark::State &state) {
    const unsigned log2n = unsigned(state.range(0));
    const size_t n = size_t(1) << log2n;
    std::vector<quarn::complex_t<float>> data(n);
    for (size_t i = 0; i < n; ++i) data[i] = {float(i % 17) - 8.0f, 0.0f};
    for (auto _ : state) {
        quarn::fft1d(data.data(), log2n, quarn::FFT_FORWARD);
        quarn::fft1d(data.data(), log2n, quarn::FFT_INVERSE | quarn::FFT_SCALE);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 2 * int64_t(n));
}

}  // namespace

BENCHMARK(bm_fft2d)->DenseRange(6, 8);  // 64x64 to 256x256
BENCHMARK(bm_fft1d)->Arg(8)->Arg(16);
