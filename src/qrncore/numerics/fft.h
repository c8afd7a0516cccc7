#pragma once
// In-place radix-2 fast Fourier transforms of single-precision complex values, in
// one and two dimensions. Sizes are powers of two given by their base-2 logarithms;
// a two-dimensional array is stored row after row.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/numerics/complex.h"

namespace quarn {

// Bit 0 picks the kernel's sign: clear e^(-2 pi i jk / N), set e^(+2 pi i jk / N).
// Bit 1 scales the result by 1 / N (1 / (rows * columns) in two dimensions).
enum fft_method_t : uint32_t {
    FFT_FORWARD = 0,
    FFT_INVERSE = 1,
    FFT_SCALE = 2,
};

constexpr fft_method_t operator|(fft_method_t a, fft_method_t b) { return fft_method_t(uint32_t(a) | uint32_t(b)); }

extern "C" {
// Entry i is i with its eight bits in reverse order.
QRNCORE_API extern const uint8_t bit_reversed_values[256];
}

// Transforms the 2^log2n values in place; one value (log2n = 0) stays as it is,
// apart from the scaling by 1. log2n must be below 32.
QRNCORE_API void fft1d(complex_t<float> *data, unsigned log2n, fft_method_t method);

// Transforms the 2^log2rows x 2^log2cols array in place: every row, then every
// column; a dimension of size 1 is skipped. Returns false, with the data untouched,
// when the working memory of a large transform cannot be had. Each logarithm must
// be below 32.
QRNCORE_API bool fft2d(complex_t<float> *data, unsigned log2rows, unsigned log2cols, fft_method_t method);

}  // namespace quarn
