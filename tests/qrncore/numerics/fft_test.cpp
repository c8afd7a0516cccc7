#include "qrncore/numerics/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <vector>

#include "qrncore/system/crash_log.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "support/message_capture.h"
#include "support/noise.h"
#include "support/temp_dir.h"

namespace quarn {
namespace {

using cf = complex_t<float>;
using cvec = std::vector<cf>;

cvec noise(size_t n, uint32_t seed) {
    cvec v(n);
    for (cf &c : v) {
        c.re = float(test::lcg_step(seed) >> 8) / float(1 << 24) - 0.5f;
        c.im = float(test::lcg_step(seed) >> 8) / float(1 << 24) - 0.5f;
    }
    return v;
}

// The transform by its definition, in double precision; rows x cols stored row by row.
cvec slow_dft(const cvec &x, size_t rows, size_t cols, bool inverse) {
    const double sign = inverse ? 1.0 : -1.0;
    cvec out(x.size());
    for (size_t u = 0; u < rows; ++u)
        for (size_t v = 0; v < cols; ++v) {
            std::complex<double> sum = 0;
            for (size_t r = 0; r < rows; ++r)
                for (size_t c = 0; c < cols; ++c) {
                    const double a = 2 * M_PI * (double(u * r) / double(rows) + double(v * c) / double(cols));
                    sum += std::complex<double>(x[r * cols + c].re, x[r * cols + c].im) *
                           std::polar(1.0, sign * a);
                }
            out[u * cols + v] = cf(float(sum.real()), float(sum.imag()));
        }
    return out;
}

void expect_near(const cvec &a, const cvec &b, float tolerance, const char *what) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_NEAR(a[i].re, b[i].re, tolerance) << what << " at " << i;
        ASSERT_NEAR(a[i].im, b[i].im, tolerance) << what << " at " << i;
    }
}

TEST(fft, bit_reversal_table) {
    EXPECT_EQ(bit_reversed_values[0], 0);
    EXPECT_EQ(bit_reversed_values[1], 128);
    EXPECT_EQ(bit_reversed_values[3], 192);
    for (unsigned i = 0; i < 256; ++i)
        for (unsigned b = 0; b < 8; ++b) ASSERT_EQ((i >> b) & 1, (bit_reversed_values[i] >> (7 - b)) & 1u) << i;
}

TEST(fft, impulse_and_constant) {
    struct row_t {
        cvec in;
        fft_method_t method;
        cvec out;
    };
    const cf one(1, 0), zero(0, 0);
    const row_t rows[] = {
        {{one, zero, zero, zero}, FFT_FORWARD, {one, one, one, one}},
        {{one, zero, zero, zero}, FFT_INVERSE, {one, one, one, one}},
        {{one, one, one, one}, FFT_FORWARD, {cf(4, 0), zero, zero, zero}},
        {{one, one, one, one}, FFT_FORWARD | FFT_SCALE, {one, zero, zero, zero}},
        {{one, one, one, one}, FFT_INVERSE | FFT_SCALE, {one, zero, zero, zero}},
        // A shifted impulse turns the opposite ways forward and inverse.
        {{zero, one, zero, zero}, FFT_FORWARD, {one, cf(0, -1), cf(-1, 0), cf(0, 1)}},
        {{zero, one, zero, zero}, FFT_INVERSE, {one, cf(0, 1), cf(-1, 0), cf(0, -1)}},
    };
    for (const row_t &r : rows) {
        cvec x = r.in;
        fft1d(x.data(), 2, r.method);
        expect_near(x, r.out, 1e-6f, "fft1d");
        cvec y = r.in;
        ASSERT_TRUE(fft2d(y.data(), 0, 2, r.method));
        expect_near(y, r.out, 1e-6f, "fft2d one row");
    }
}

TEST(fft, single_values_stay_as_they_are) {
    for (fft_method_t m : {FFT_FORWARD, FFT_INVERSE | FFT_SCALE}) {
        cf x(3.5f, -2.0f);
        fft1d(&x, 0, m);
        EXPECT_EQ(x, cf(3.5f, -2.0f));
        cf y(3.5f, -2.0f);
        EXPECT_TRUE(fft2d(&y, 0, 0, m));
        EXPECT_EQ(y, cf(3.5f, -2.0f));
    }
    // Two values need no reordering.
    cvec two = {cf(1, 2), cf(3, 4)};
    fft1d(two.data(), 1, FFT_FORWARD);
    expect_near(two, {cf(4, 6), cf(-2, -2)}, 0, "two values");
}

TEST(fft, matches_the_definition_in_both_directions) {
    for (unsigned log2n : {3u, 4u, 6u}) {
        const size_t n = size_t(1) << log2n;
        const cvec in = noise(n, log2n);
        for (bool inverse : {false, true}) {
            cvec x = in;
            fft1d(x.data(), log2n, inverse ? FFT_INVERSE : FFT_FORWARD);
            expect_near(x, slow_dft(in, 1, n, inverse), 1e-4f * float(n), "fft1d");
        }
    }
    const cvec in = noise(4 * 8, 5);
    for (bool inverse : {false, true}) {
        cvec x = in;
        ASSERT_TRUE(fft2d(x.data(), 2, 3, inverse ? FFT_INVERSE : FFT_FORWARD));
        expect_near(x, slow_dft(in, 4, 8, inverse), 1e-4f * 32, "fft2d 4x8");
        cvec y = noise(8 * 2, 6), y0 = y;
        ASSERT_TRUE(fft2d(y.data(), 3, 1, inverse ? FFT_INVERSE : FFT_FORWARD));
        expect_near(y, slow_dft(y0, 8, 2, inverse), 1e-4f * 16, "fft2d 8x2");
    }
}

TEST(fft, forward_then_scaled_inverse_returns_the_input) {
    for (unsigned log2n : {1u, 2u, 5u, 10u, 14u}) {
        const cvec in = noise(size_t(1) << log2n, log2n + 100);
        cvec x = in;
        fft1d(x.data(), log2n, FFT_FORWARD);
        fft1d(x.data(), log2n, FFT_INVERSE | FFT_SCALE);
        expect_near(x, in, 1e-5f * float(log2n + 1), "fft1d");
    }
    // Shapes past the stack buffers take their working memory from the host.
    struct shape_t {
        unsigned log2rows, log2cols;
    };
    for (shape_t s : {shape_t{3, 5}, shape_t{6, 6}, shape_t{10, 1}, shape_t{1, 10}, shape_t{11, 0}, shape_t{0, 11}}) {
        const cvec in = noise(size_t(1) << (s.log2rows + s.log2cols), s.log2rows * 16 + s.log2cols);
        cvec x = in;
        ASSERT_TRUE(fft2d(x.data(), s.log2rows, s.log2cols, FFT_FORWARD));
        ASSERT_TRUE(fft2d(x.data(), s.log2rows, s.log2cols, FFT_INVERSE | FFT_SCALE));
        expect_near(x, in, 2e-5f * float(s.log2rows + s.log2cols + 1), "fft2d");
    }
}

TEST(fft, one_row_or_one_column_is_exactly_the_1d_transform) {
    for (unsigned log2n = 1; log2n <= 10; ++log2n) {
        const cvec in = noise(size_t(1) << log2n, log2n);
        for (fft_method_t m : {FFT_FORWARD, FFT_INVERSE | FFT_SCALE}) {
            cvec a = in, row = in, column = in;
            fft1d(a.data(), log2n, m);
            ASSERT_TRUE(fft2d(row.data(), 0, log2n, m));
            ASSERT_TRUE(fft2d(column.data(), log2n, 0, m));
            for (size_t i = 0; i < a.size(); ++i) {
                ASSERT_EQ(row[i], a[i]) << log2n << " row at " << i;
                ASSERT_EQ(column[i], a[i]) << log2n << " column at " << i;
            }
        }
    }
}

// The rows (then the columns) of an array are transformed several at a time; each
// must come out exactly as the one-dimensional transform of that row or column would,
// whatever the shape (groups of four, the rows or columns left over, tall and wide).
TEST(fft, every_row_and_column_is_exactly_the_1d_transform) {
    struct shape_t {
        unsigned log2rows, log2cols;
    };
    for (shape_t s : {shape_t{1, 1}, shape_t{1, 4}, shape_t{2, 3}, shape_t{3, 2}, shape_t{6, 6}, shape_t{4, 9}, shape_t{9, 4}})
        for (fft_method_t m : {FFT_FORWARD, FFT_INVERSE}) {
            const size_t rows = size_t(1) << s.log2rows, cols = size_t(1) << s.log2cols;
            const cvec in = noise(rows * cols, s.log2rows * 16 + s.log2cols + 100);
            cvec expected = in, x = in;
            for (size_t r = 0; r < rows; ++r) fft1d(expected.data() + r * cols, s.log2cols, m);
            for (size_t c = 0; c < cols; ++c) {
                cvec column(rows);
                for (size_t r = 0; r < rows; ++r) column[r] = expected[r * cols + c];
                fft1d(column.data(), s.log2rows, m);
                for (size_t r = 0; r < rows; ++r) expected[r * cols + c] = column[r];
            }
            ASSERT_TRUE(fft2d(x.data(), s.log2rows, s.log2cols, m));
            for (size_t i = 0; i < x.size(); ++i)
                ASSERT_EQ(x[i], expected[i]) << rows << " x " << cols << " at " << i;
        }
}

void *no_memory(size_t) { return nullptr; }

TEST(fft, a_large_transform_without_memory_fails_untouched) {
    test::message_capture_t capture;  // registers with the host's memory, so first
    const host_new_t saved = qrncore_system_new_vector;
    qrncore_system_new_vector = no_memory;
    const cvec in = noise(2048, 9);
    cvec x = in;
    const bool ok = fft2d(x.data(), 10, 1, FFT_FORWARD);
    // Small transforms need nothing from the host.
    cvec small = noise(64, 3);
    const bool small_ok = fft2d(small.data(), 3, 3, FFT_FORWARD);
    qrncore_system_new_vector = saved;
    EXPECT_FALSE(ok);
    EXPECT_TRUE(small_ok);
    for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(x[i], in[i]);
    EXPECT_TRUE(capture.contains("[fft] no memory for a 1024 x 2 transform."));
}

TEST(fft_death, sizes_beyond_32_bits_abort) {
    message_stdio_t out;
    test::temp_dir_t dir;
    dumper_set_file_name(dir.file("fft.crash").c_str());
    cf x;
    EXPECT_DEATH(fft1d(&x, 32, FFT_FORWARD), "log2n < 32");
    EXPECT_DEATH(fft2d(&x, 0, 40, FFT_FORWARD), "log2cols < 32");
}

}  // namespace
}  // namespace quarn
