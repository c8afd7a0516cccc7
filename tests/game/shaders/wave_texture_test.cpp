// The wave texture: its spectrum, parameters, the texels of every mip level against a
// plain computation of the formulas, and its refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <complex>
#include <cstring>
#include <vector>

#include "game/visuals/shaders/fft_wave_texture.h"
#include "outside/qrnshared/texobj.h"
#include "qrncore/qrnutils/hbmp/hbmp_tool.h"
#include "shader_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

using wave_texture = shader_fixture_t;

constexpr char NAME[] = "/procedural/water_noise.tobj";

// A fixed uniform source: a small generator over [0, 1).
struct fixed_source_t {
    uint32_t state = 7;
    float next() {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) * (1.0f / 16777216.0f);
    }
    static float draw(void *s) { return static_cast<fixed_source_t *>(s)->next(); }
    wave_random_t random() { return {&fixed_source_t::draw, this}; }
};

std::vector<uint8_t> level_bytes(const fft_wave_texture_t &t, uint32_t level) {
    const uint8_t *p = t.get_texels(level);
    return p ? std::vector<uint8_t>(p, p + 4 * t.level_width(level) * t.level_height(level)) : std::vector<uint8_t>();
}

TEST_F(wave_texture, the_texture_object_and_its_pixel_block) {
    fft_wave_texture_t t(64, 64, NAME, fft_wave_texture_t::NORMALS_Z_UP);
    ASSERT_TRUE(t.is_valid());
    EXPECT_EQ(t.get_mip_count(), 7u);
    texobj_u *tex = r_texobj_of(t.get_texture());
    ASSERT_NE(tex, nullptr);
    EXPECT_STREQ(t.get_texture()->get_name(), NAME);
    EXPECT_EQ(tex->pixels.get(), t.get_pixel_block());
    EXPECT_EQ(tex->desc.width, 64u);
    EXPECT_EQ(tex->desc.format, HBMP_RGBA);
    EXPECT_EQ(tex->desc.mip_count, 7u);
    hbmp_t header;
    memcpy(&header, t.get_pixel_block()->data, sizeof header);
    EXPECT_EQ(header.width, 64);
    EXPECT_EQ(header.height, 64);
    EXPECT_EQ(header.mip_levels, 7);
    EXPECT_EQ(header.type, HBMP_RGBA);
    EXPECT_EQ(header.pixels, t.get_texels(0));
    EXPECT_EQ(t.get_pixel_block()->size, R_PIXEL_BLOCK_HEADER + 4 * hbmp_pixel_count(64, 64, 7));

    // Another texture of the name takes the object over; the first one's end leaves it.
    {
        fft_wave_texture_t first(8, 8, "/procedural/twice.tobj", 0);
        fft_wave_texture_t second(8, 8, "/procedural/twice.tobj", 0);
        EXPECT_EQ(first.get_texture(), second.get_texture());
        EXPECT_EQ(r_texobj_of(second.get_texture())->pixels.get(), second.get_pixel_block());
    }
    EXPECT_EQ(r_texobj_count(), 1u) << "the shared object went with its last holder";
}

TEST_F(wave_texture, the_zero_cell_and_the_defaults) {
    fft_wave_texture_t t(64, 64, NAME, 0);
    EXPECT_EQ(t.get_wind_x(), 20.0f);
    EXPECT_EQ(t.get_wind_z(), 40.0f);
    EXPECT_EQ(t.get_amplitude(), 1e-6f);
    EXPECT_EQ(t.get_patch_size(), 50.0f);
    EXPECT_FALSE(t.is_spectrum_dirty()) << "built at construction";
    const fft_wave_texture_t::cell_t &zero = t.get_cell(32, 32);
    EXPECT_EQ(zero.kx, 0.0f);
    EXPECT_EQ(zero.kz, 0.0f);
    EXPECT_EQ(zero.k_length, 0.0f);
    EXPECT_EQ(zero.h0.re, 0.0f);
    EXPECT_EQ(zero.h0.im, 0.0f);
    EXPECT_EQ(fft_wave_texture_t::phillips(0, 0, 20, 40, 1e-6f), 0.0f);
    EXPECT_NE(t.get_cell(32, 33).h0.re, 0.0f);
    EXPECT_FLOAT_EQ(t.get_cell(32, 33).kx, 6.2831855f / 50.0f);
    EXPECT_FLOAT_EQ(t.get_cell(0, 0).kz, -32 * 6.2831855f / 50.0f);
}

TEST_F(wave_texture, parameters) {
    fft_wave_texture_t t(8, 8, NAME, 0);
    message_capture_t log;
    t.set_scalar_parameter(3, 5.0f);
    EXPECT_TRUE(log.contains("Unknown dynamic texture parameter 3 (0x3)"));
    t.set_vector_parameter(3, {1, 2, 3, 4});
    EXPECT_EQ(log.texts(message_t::ERROR).size(), 2u);
    EXPECT_FALSE(t.is_spectrum_dirty());
    EXPECT_EQ(t.get_amplitude(), 1e-6f);

    t.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, 0.5f);
    EXPECT_EQ(t.get_amplitude(), 0.5f);
    EXPECT_TRUE(t.is_spectrum_dirty());
    t.set_scalar_parameter(fft_wave_texture_t::PARAM_PATCH_SIZE, 10.0f);
    EXPECT_EQ(t.get_patch_size(), 10.0f);
    t.set_vector_parameter(fft_wave_texture_t::PARAM_WIND, {3, 99, 4, 0});
    EXPECT_EQ(t.get_wind_x(), 3.0f);
    EXPECT_EQ(t.get_wind_z(), 4.0f);
    // Values that would break the spectrum are refused.
    t.set_scalar_parameter(fft_wave_texture_t::PARAM_PATCH_SIZE, 0.0f);
    t.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, -1.0f);
    t.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, NAN);
    t.set_vector_parameter(fft_wave_texture_t::PARAM_WIND, {INFINITY, 0, 0, 0});
    EXPECT_EQ(t.get_patch_size(), 10.0f);
    EXPECT_EQ(t.get_amplitude(), 0.5f);
    EXPECT_EQ(t.get_wind_x(), 3.0f);
    t.update(1.0f);
    EXPECT_FALSE(t.is_spectrum_dirty()) << "rebuilt by the update";
}

TEST_F(wave_texture, texels_wait_for_the_renderer) {
    fft_wave_texture_t t(16, 16, NAME, 0);
    t.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, 0.05f);
    t.update(1.0f);
    EXPECT_TRUE(t.get_texture()->has(c_item_t::CHANGED));
    EXPECT_TRUE(t.get_pixel_block()->has(c_item_t::CHANGED));
    const std::vector<uint8_t> first = level_bytes(t, 0);
    t.update(2.5f);
    EXPECT_EQ(level_bytes(t, 0), first) << "the renderer has not taken the first texels";
    // The renderer's frame end takes them.
    context.end_frame();
    EXPECT_FALSE(t.get_texture()->has(c_item_t::CHANGED));
    EXPECT_FALSE(t.get_pixel_block()->has(c_item_t::CHANGED));
    t.update(2.5f);
    EXPECT_NE(level_bytes(t, 0), first);

    // As the shader library's updater.
    context.end_frame();
    ASSERT_EQ(shaderlib_add_updater(&t), 1);
    shaderlib_update(1.0f);
    EXPECT_EQ(level_bytes(t, 0), first);
    shaderlib_remove_updater(&t);
}

TEST_F(wave_texture, levels_down_to_a_flat_one) {
    for (uint32_t mode : {0u, 1u}) {
        fft_wave_texture_t t(64, 64, NAME, mode);
        t.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, 0.01f);
        t.update(3.0f);
        ASSERT_EQ(t.get_mip_count(), 7u);
        for (uint32_t level = 0; level < 7; ++level) {
            EXPECT_EQ(t.level_width(level), 64u >> level);
            EXPECT_EQ(t.level_height(level), 64u >> level);
        }
        EXPECT_EQ(t.get_texels(7), nullptr);
        const std::vector<uint8_t> last = level_bytes(t, 6);
        const std::vector<uint8_t> flat =
            mode == 0 ? std::vector<uint8_t>{127, 255, 127, 255} : std::vector<uint8_t>{127, 127, 255, 255};
        EXPECT_EQ(last, flat);
        // Every texel is a unit normal pointing up, alpha 255.
        for (uint32_t level = 0; level < 6; ++level) {
            const std::vector<uint8_t> b = level_bytes(t, level);
            for (size_t i = 0; i < b.size(); i += 4) {
                EXPECT_EQ(b[i + 3], 255);
                EXPECT_GT(b[i + (mode == 0 ? 1 : 2)], 128) << "up";
            }
        }
        context.end_frame();
    }
    // A texture that is not square: the last level is one texel high.
    fft_wave_texture_t wide(32, 8, NAME, 0);
    wide.update(1.0f);
    EXPECT_EQ(wide.get_mip_count(), 4u);
    EXPECT_EQ(wide.level_width(3), 4u);
    EXPECT_EQ(wide.level_height(3), 1u);
    EXPECT_EQ(level_bytes(wide, 3), (std::vector<uint8_t>{127, 255, 127, 255, 127, 255, 127, 255, 127, 255, 127, 255,
                                                           127, 255, 127, 255}));
}

// The formulas, computed plainly in double precision with a naive transform.
struct reference_t {
    static constexpr int N = 8;
    std::complex<double> field[N][N];

    reference_t(fixed_source_t source, double amplitude, double time) {
        const double two_pi = 6.2831855, patch = 50.0, wx = 20.0, wz = 40.0;
        std::complex<double> h0[N][N];
        double kx[N][N], kz[N][N];
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j) {
                const double angle = source.next() * two_pi;
                double g = 0;
                for (int tries = 0; tries < 64; ++tries) {
                    const double u = 2.0 * source.next() - 1.0, w = 2.0 * source.next() - 1.0, s = u * u + w * w;
                    if (s > 0 && s < 1) {
                        g = u * std::sqrt(-2.0 * std::log(s) / s);
                        break;
                    }
                }
                kx[i][j] = two_pi / patch * (j - N / 2);
                kz[i][j] = two_pi / patch * (i - N / 2);
                const double k2 = kx[i][j] * kx[i][j] + kz[i][j] * kz[i][j];
                double p = 0;
                if (k2 > 0) {
                    const double w2 = wx * wx + wz * wz, l = w2 / 9.81, kw = kx[i][j] * wx + kz[i][j] * wz;
                    p = amplitude * std::exp(-std::sqrt(k2)) * std::exp(-1.0 / (k2 * l * l)) / (k2 * k2) * kw * kw /
                        (k2 * w2);
                }
                h0[i][j] = std::sqrt(p) / std::sqrt(2.0) * std::complex<double>(g * std::cos(angle), g * std::sin(angle));
            }
        // Slopes in the frequency domain, then the inverse transform, e^(+2 pi i ...).
        std::complex<double> slopes[N][N];
        for (int i = 0; i < N; ++i)
            for (int j = 0; j < N; ++j) {
                const double omega = std::sqrt(9.81 * std::hypot(kx[i][j], kz[i][j]));
                const std::complex<double> h = h0[i][j] * std::polar(1.0, omega * time);
                const double s = ((i + j) % 2) ? -1.0 : 1.0;
                slopes[i][j] = s * std::complex<double>(0, 1) * h * std::complex<double>(kx[i][j], kz[i][j]);
            }
        for (int y = 0; y < N; ++y)
            for (int x = 0; x < N; ++x) {
                std::complex<double> sum;
                for (int i = 0; i < N; ++i)
                    for (int j = 0; j < N; ++j) sum += slopes[i][j] * std::polar(1.0, 2 * M_PI * (double(i * y) / N + double(j * x) / N));
                field[y][x] = sum;
            }
    }

    static int byte(double c) { return std::clamp(int(std::floor(c * 127.5 + 128.0 + 0.5)), 0, 255); }

    // The texel of level 0 or a sampled level, normals with y up.
    std::vector<int> texel(int row, int column, double factor) const {
        const double s = ((row + column) % 2) ? -1.0 : 1.0;
        const double x = -factor * s * field[row][column].real(), z = -factor * s * field[row][column].imag();
        const double len = std::sqrt(x * x + 1 + z * z);
        return {byte(x / len), byte(1 / len), byte(z / len), 255};
    }
};

TEST_F(wave_texture, eight_by_eight_matches_the_formulas) {
    for (float amplitude : {1e-6f, 0.02f}) {
        fixed_source_t source;
        const reference_t ref(source, amplitude, 1.75);
        fft_wave_texture_t t(8, 8, NAME, 0, source.random());
        t.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, amplitude);
        t.update(1.75f);
        context.end_frame();
        int spread = 0;
        for (uint32_t level = 0; level + 1 < t.get_mip_count(); ++level) {
            const int step = 1 << level;
            const std::vector<uint8_t> b = level_bytes(t, level);
            for (uint32_t y = 0; y < t.level_height(level); ++y)
                for (uint32_t x = 0; x < t.level_width(level); ++x) {
                    const int row = level ? step / 2 - 1 + int(y) * step : int(y);
                    const int column = level ? step / 2 - 1 + int(x) * step : int(x);
                    const std::vector<int> want = ref.texel(row, column, 1.0 / step);
                    for (int c = 0; c < 4; ++c) {
                        const int got = b[4 * (y * t.level_width(level) + x) + uint32_t(c)];
                        EXPECT_NEAR(got, want[size_t(c)], 1) << "level " << level << " (" << x << ", " << y << ") " << c;
                        spread = std::max(spread, std::abs(got - 128));
                    }
                }
        }
        if (amplitude > 1e-3f) {
            EXPECT_GT(spread, 40) << "the texels are far from flat";
        }
    }
}

// At a steady frame rate the phases advance by one product a step instead of a sine
// and a cosine; the texels stay those of the time itself (within the rounding of a
// byte), also after a parameter change and far into the game. Updates closer than
// MIN_INTERVAL keep the texels.
TEST_F(wave_texture, stepped_phases_and_the_update_rate) {
    const fixed_source_t seed;
    fixed_source_t source = seed;
    fft_wave_texture_t stepped(32, 32, NAME, 0, source.random());
    stepped.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, 0.02f);
    float time = 3.0f;
    auto expect_as_computed_outright = [&](const char *when) {
        fixed_source_t same = seed;
        fft_wave_texture_t outright(32, 32, "/procedural/outright.tobj", 0, same.random());
        outright.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, stepped.get_amplitude());
        outright.set_scalar_parameter(fft_wave_texture_t::PARAM_PATCH_SIZE, stepped.get_patch_size());
        outright.update(time);
        context.end_frame();
        const std::vector<uint8_t> a = level_bytes(stepped, 0), b = level_bytes(outright, 0);
        ASSERT_EQ(a.size(), b.size());
        int worst = 0;
        for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
        EXPECT_LE(worst, 1) << when;
    };
    for (int frame = 0; frame < 300; ++frame, time += 0.04f) {
        stepped.update(time);
        context.end_frame();
    }
    time -= 0.04f;
    expect_as_computed_outright("after 300 steps");

    stepped.set_scalar_parameter(fft_wave_texture_t::PARAM_PATCH_SIZE, 30.0f);
    for (int frame = 0; frame < 20; ++frame) {
        time += 0.05f;
        stepped.update(time);
        context.end_frame();
    }
    expect_as_computed_outright("after a new spectrum");

    // A frame rate above the texture's: the texels wait for MIN_INTERVAL.
    const std::vector<uint8_t> before = level_bytes(stepped, 0);
    stepped.update(time + 0.5f * fft_wave_texture_t::MIN_INTERVAL);
    EXPECT_FALSE(stepped.get_texture()->has(c_item_t::CHANGED));
    EXPECT_EQ(level_bytes(stepped, 0), before);
    stepped.update(time + 1.5f * fft_wave_texture_t::MIN_INTERVAL);
    EXPECT_TRUE(stepped.get_texture()->has(c_item_t::CHANGED));
    context.end_frame();

    // Waves of one length share a frequency: far fewer than the cells.
    fft_wave_texture_t big(64, 64, NAME, 0);
    EXPECT_LT(big.get_frequency_count(), 64u * 64u / 5);
    EXPECT_EQ(big.get_frequency_index(32, 33), big.get_frequency_index(33, 32));
    EXPECT_EQ(big.get_frequency_index(32, 31), big.get_frequency_index(31, 32));
    EXPECT_NE(big.get_frequency_index(32, 33), big.get_frequency_index(32, 34));
}

TEST_F(wave_texture, bad_sizes_and_calm_water) {
    const struct {
        uint32_t width, height;
    } bad[] = {{0, 64}, {64, 0}, {48, 64}, {64, 100}, {4096, 4096}};
    for (const auto &b : bad) {
        message_capture_t log;
        fft_wave_texture_t t(b.width, b.height, NAME, 0);
        EXPECT_FALSE(t.is_valid()) << b.width << " x " << b.height;
        EXPECT_EQ(t.get_texels(0), nullptr);
        EXPECT_EQ(t.get_pixel_block(), nullptr);
        t.update(1.0f);
        t.set_scalar_parameter(1, 1.0f);
        EXPECT_TRUE(log.contains("is refused: sizes are powers of two from 1 to 2048"));
    }
    // No wind: a flat sea, not NaN.
    fft_wave_texture_t calm(16, 16, NAME, 0);
    calm.set_vector_parameter(fft_wave_texture_t::PARAM_WIND, {0, 0, 0, 0});
    calm.set_scalar_parameter(fft_wave_texture_t::PARAM_AMPLITUDE, 1.0f);
    calm.update(2.0f);
    EXPECT_EQ(fft_wave_texture_t::phillips(1, 1, 0, 0, 1), 0.0f);
    for (uint32_t i = 0; i < 16 * 16; ++i) {
        EXPECT_EQ(calm.get_cell(i / 16, i % 16).h0.re, 0.0f);
        EXPECT_EQ(calm.get_cell(i / 16, i % 16).h0.im, 0.0f);
    }
    const std::vector<uint8_t> b = level_bytes(calm, 0);
    for (size_t i = 0; i < b.size(); i += 4)
        ASSERT_EQ((std::vector<uint8_t>{b[i], b[i + 1], b[i + 2], b[i + 3]}), (std::vector<uint8_t>{128, 255, 128, 255}));
    // One texel: one flat level.
    fft_wave_texture_t one(1, 1, "/procedural/one.tobj", 1);
    one.update(1.0f);
    EXPECT_EQ(one.get_mip_count(), 1u);
    EXPECT_EQ(level_bytes(one, 0), (std::vector<uint8_t>{128, 128, 255, 255}));
}

}  // namespace
}  // namespace quarn::test
