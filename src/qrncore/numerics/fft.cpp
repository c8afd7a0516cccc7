#include "qrncore/numerics/fft.h"

#include <cmath>
#include <cstddef>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

using cfloat = complex_t<float>;

namespace {

// Working buffers up to this many entries live on the stack; larger transforms take
// them from the host: on the stack whatever the size, large arrays would overflow it.
constexpr size_t FFT_STACK_ENTRIES = 512;

// The low log2n bits of i in reverse order; log2n from 1 to 31.
inline uint32_t reverse_bits(uint32_t i, unsigned log2n) {
    const uint32_t r = (uint32_t(bit_reversed_values[i & 0xFF]) << 24) |
                       (uint32_t(bit_reversed_values[(i >> 8) & 0xFF]) << 16) |
                       (uint32_t(bit_reversed_values[(i >> 16) & 0xFF]) << 8) |
                       uint32_t(bit_reversed_values[i >> 24]);
    return r >> (32 - log2n);
}

// Exchanges values i and bit-reversed i. One or two values need no exchange (and for
// n = 1 the bound n - 2 would wrap in unsigned arithmetic).
void permute(cfloat *x, unsigned log2n) {
    if (log2n < 2) return;
    const uint32_t n = uint32_t(1) << log2n;
    for (uint32_t i = 1; i + 1 < n; ++i) {
        const uint32_t j = reverse_bits(i, log2n);
        if (i < j) {
            const cfloat t = x[i];
            x[i] = x[j];
            x[j] = t;
        }
    }
}

// The twiddle of position i at half-size h; fft1d and the tables of fft2d share it
// so that a one-row fft2d gives exactly what fft1d gives.
inline cfloat twiddle(uint32_t h, uint32_t i, bool inverse) {
    const float theta = float(6.283185307179586 * double(i) / double(2 * uint64_t(h)));
    const float s = std::sin(theta);
    return {std::cos(theta), inverse ? s : -s};
}

inline void butterfly(cfloat *x, uint32_t n, uint32_t h, uint32_t i, cfloat w) {
    const uint32_t d = 2 * h;
    for (uint32_t k = i; k < n; k += d) {
        const cfloat t = w * x[k + h];
        x[k + h] = x[k] - t;
        x[k] = x[k] + t;
    }
}

// Stages of all twiddles one after the other: those of half-size h start at h - 1.
void transform_with_table(cfloat *x, unsigned log2n, const cfloat *table) {
    permute(x, log2n);
    const uint32_t n = uint32_t(1) << log2n;
    for (uint32_t h = 1; h < n; h <<= 1)
        for (uint32_t i = 0; i < h; ++i) butterfly(x, n, h, i, table[h - 1 + i]);
}

void scale(cfloat *x, size_t n, float f) {
    for (size_t i = 0; i < n; ++i) x[i] = x[i] * f;
}

// Room for count values: the stack buffer when it is large enough, else the host's.
class work_buffer_t {
public:
    explicit work_buffer_t(size_t count) {
        if (count > FFT_STACK_ENTRIES)
            m_heap = static_cast<cfloat *>(qrncore_system_new_vector(count * sizeof(cfloat)));
    }
    ~work_buffer_t() {
        if (m_heap) qrncore_system_delete_vector(m_heap);
    }
    work_buffer_t(const work_buffer_t &) = delete;
    work_buffer_t &operator=(const work_buffer_t &) = delete;

    // Null when the host had no memory.
    cfloat *get(size_t count) { return count > FFT_STACK_ENTRIES ? m_heap : m_stack; }

private:
    cfloat *m_heap = nullptr;
    alignas(16) cfloat m_stack[FFT_STACK_ENTRIES];  // 16: it also holds lane vectors
};

// Four transforms side by side: lane l of every vector belongs to the l-th row (or
// column) of a group of four. Each lane does exactly the operations, in the same
// order, that transform_with_table does for one array, so the results are the same
// to the bit; the processor just does four at once.
using lanes_t = float __attribute__((vector_size(4 * sizeof(float))));
constexpr size_t LANES = 4;

// Stages over n points of four lanes, real and imaginary parts apart, already in
// bit-reversed order.
void transform_lanes(lanes_t *re, lanes_t *im, uint32_t n, const cfloat *table) {
    for (uint32_t h = 1; h < n; h <<= 1) {
        const uint32_t d = 2 * h;
        for (uint32_t i = 0; i < h; ++i) {
            const cfloat w = table[h - 1 + i];
            for (uint32_t k = i; k < n; k += d) {
                const lanes_t tr = w.re * re[k + h] - w.im * im[k + h];
                const lanes_t ti = w.re * im[k + h] + w.im * re[k + h];
                re[k + h] = re[k] - tr;
                im[k + h] = im[k] - ti;
                re[k] = re[k] + tr;
                im[k] = im[k] + ti;
            }
        }
    }
}

// Transforms four arrays of 2^log2n values: array l starts at data + l * group and
// its values lie stride apart. The work vectors hold 2^log2n lanes each.
void transform_four(cfloat *data, size_t group, size_t stride, unsigned log2n, const cfloat *table, lanes_t *re,
                    lanes_t *im) {
    const uint32_t n = uint32_t(1) << log2n;
    for (uint32_t j = 0; j < n; ++j) {
        const uint32_t from = log2n ? reverse_bits(j, log2n) : 0;
        for (size_t l = 0; l < LANES; ++l) {
            const cfloat v = data[l * group + from * stride];
            re[j][l] = v.re;
            im[j][l] = v.im;
        }
    }
    transform_lanes(re, im, n, table);
    for (uint32_t j = 0; j < n; ++j)
        for (size_t l = 0; l < LANES; ++l) data[l * group + j * stride] = {re[j][l], im[j][l]};
}

}  // namespace

extern "C" {
const uint8_t bit_reversed_values[256] = {
    0x00, 0x80, 0x40, 0xC0, 0x20, 0xA0, 0x60, 0xE0, 0x10, 0x90, 0x50, 0xD0, 0x30, 0xB0, 0x70, 0xF0,
    0x08, 0x88, 0x48, 0xC8, 0x28, 0xA8, 0x68, 0xE8, 0x18, 0x98, 0x58, 0xD8, 0x38, 0xB8, 0x78, 0xF8,
    0x04, 0x84, 0x44, 0xC4, 0x24, 0xA4, 0x64, 0xE4, 0x14, 0x94, 0x54, 0xD4, 0x34, 0xB4, 0x74, 0xF4,
    0x0C, 0x8C, 0x4C, 0xCC, 0x2C, 0xAC, 0x6C, 0xEC, 0x1C, 0x9C, 0x5C, 0xDC, 0x3C, 0xBC, 0x7C, 0xFC,
    0x02, 0x82, 0x42, 0xC2, 0x22, 0xA2, 0x62, 0xE2, 0x12, 0x92, 0x52, 0xD2, 0x32, 0xB2, 0x72, 0xF2,
    0x0A, 0x8A, 0x4A, 0xCA, 0x2A, 0xAA, 0x6A, 0xEA, 0x1A, 0x9A, 0x5A, 0xDA, 0x3A, 0xBA, 0x7A, 0xFA,
    0x06, 0x86, 0x46, 0xC6, 0x26, 0xA6, 0x66, 0xE6, 0x16, 0x96, 0x56, 0xD6, 0x36, 0xB6, 0x76, 0xF6,
    0x0E, 0x8E, 0x4E, 0xCE, 0x2E, 0xAE, 0x6E, 0xEE, 0x1E, 0x9E, 0x5E, 0xDE, 0x3E, 0xBE, 0x7E, 0xFE,
    0x01, 0x81, 0x41, 0xC1, 0x21, 0xA1, 0x61, 0xE1, 0x11, 0x91, 0x51, 0xD1, 0x31, 0xB1, 0x71, 0xF1,
    0x09, 0x89, 0x49, 0xC9, 0x29, 0xA9, 0x69, 0xE9, 0x19, 0x99, 0x59, 0xD9, 0x39, 0xB9, 0x79, 0xF9,
    0x05, 0x85, 0x45, 0xC5, 0x25, 0xA5, 0x65, 0xE5, 0x15, 0x95, 0x55, 0xD5, 0x35, 0xB5, 0x75, 0xF5,
    0x0D, 0x8D, 0x4D, 0xCD, 0x2D, 0xAD, 0x6D, 0xED, 0x1D, 0x9D, 0x5D, 0xDD, 0x3D, 0xBD, 0x7D, 0xFD,
    0x03, 0x83, 0x43, 0xC3, 0x23, 0xA3, 0x63, 0xE3, 0x13, 0x93, 0x53, 0xD3, 0x33, 0xB3, 0x73, 0xF3,
    0x0B, 0x8B, 0x4B, 0xCB, 0x2B, 0xAB, 0x6B, 0xEB, 0x1B, 0x9B, 0x5B, 0xDB, 0x3B, 0xBB, 0x7B, 0xFB,
    0x07, 0x87, 0x47, 0xC7, 0x27, 0xA7, 0x67, 0xE7, 0x17, 0x97, 0x57, 0xD7, 0x37, 0xB7, 0x77, 0xF7,
    0x0F, 0x8F, 0x4F, 0xCF, 0x2F, 0xAF, 0x6F, 0xEF, 0x1F, 0x9F, 0x5F, 0xDF, 0x3F, 0xBF, 0x7F, 0xFF,
};
}

void fft1d(cfloat *data, unsigned log2n, fft_method_t method) {
    V_ASSERT(log2n < 32);
    const bool inverse = method & FFT_INVERSE;
    const uint32_t n = uint32_t(1) << log2n;
    permute(data, log2n);
    for (uint32_t h = 1; h < n; h <<= 1)
        for (uint32_t i = 0; i < h; ++i) butterfly(data, n, h, i, twiddle(h, i, inverse));
    if (method & FFT_SCALE) scale(data, n, 1.0f / float(n));
}

bool fft2d(cfloat *data, unsigned log2rows, unsigned log2cols, fft_method_t method) {
    V_ASSERT(log2rows < 32 && log2cols < 32);
    const bool inverse = method & FFT_INVERSE;
    const size_t rows = size_t(1) << log2rows;
    const size_t cols = size_t(1) << log2cols;
    const size_t longest = rows > cols ? rows : cols;

    // Both passes share one table: the shorter dimension uses its leading stages. The
    // lane vectors (real and imaginary parts of the longest dimension, four lanes:
    // four complex values' room each) also serve as the single column's buffer.
    work_buffer_t table_memory(longest - 1);
    work_buffer_t lane_memory(4 * longest);
    cfloat *table = table_memory.get(longest - 1);
    cfloat *lanes = lane_memory.get(4 * longest);
    if (!table || !lanes) {
        error("[fft] no memory for a %zu x %zu transform.", rows, cols);
        return false;
    }
    for (uint32_t h = 1; h < longest; h <<= 1)
        for (uint32_t i = 0; i < h; ++i) table[h - 1 + i] = twiddle(h, i, inverse);
    auto *re = reinterpret_cast<lanes_t *>(lanes);
    lanes_t *im = re + longest;

    // Rows four at a time while four remain (every row count from 4 on is a multiple
    // of 4), then one by one; the columns likewise.
    if (cols > 1) {
        size_t r = 0;
        for (; r + LANES <= rows; r += LANES) transform_four(data + r * cols, cols, 1, log2cols, table, re, im);
        for (; r < rows; ++r) transform_with_table(data + r * cols, log2cols, table);
    }
    if (rows > 1) {
        size_t c = 0;
        for (; c + LANES <= cols; c += LANES) transform_four(data + c, 1, cols, log2rows, table, re, im);
        cfloat *column = lanes;
        for (; c < cols; ++c) {
            for (size_t r = 0; r < rows; ++r) column[r] = data[r * cols + c];
            transform_with_table(column, log2rows, table);
            for (size_t r = 0; r < rows; ++r) data[r * cols + c] = column[r];
        }
    }
    if (method & FFT_SCALE) scale(data, rows * cols, 1.0f / float(rows * cols));
    return true;
}

}  // namespace quarn
