#include "game/visuals/shaders/fft_wave_texture.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "kernel/memory/m_server.h"
#include "outside/qrnshared/texobj.h"
#include "qrncore/numerics/fft.h"
#include "qrncore/numerics/random.h"
#include "qrncore/qrnutils/hbmp/hbmp_tool.h"
#include "qrncore/system/messages.h"

namespace quarn {

static_assert(sizeof(fft_wave_texture_t::cell_t) == 28, "a spectrum cell is seven floats");

namespace {

constexpr float TWO_PI = 6.2831855f;
constexpr float GRAVITY = 9.81f;
constexpr float INV_GRAVITY = 0.101936795f;
constexpr float INV_SQRT2 = 0.70710677f;
// Tries of the polar method before a source that never lands inside the unit circle
// (a constant test source) gives a deviate of 0.
constexpr int GAUSS_TRIES = 64;
// Phases advance by one complex product a step while the updates come at equal
// steps (a fixed frame rate): within this share of a step of the time the phases
// stand for plus one step, so the phases never drift from the clock by more. Every
// RESYNC_STEPS steps they are computed outright again, against rounding.
constexpr float STEP_TOLERANCE = 0.01f;
constexpr int32_t RESYNC_STEPS = 256;

float default_uniform(void *) { return v_rand(); }

float gauss(const wave_random_t &r) {
    for (int i = 0; i < GAUSS_TRIES; ++i) {
        const float u = 2.0f * r.uniform(r.state) - 1.0f;
        const float w = 2.0f * r.uniform(r.state) - 1.0f;
        const float s = u * u + w * w;
        if (s > 0.0f && s < 1.0f) return u * std::sqrt(-2.0f * std::log(s) / s);
    }
    return 0.0f;
}

// -1 where row + column is odd: the factor that centres the spectrum in the FFT.
float sign_of(uint32_t row, uint32_t column) { return ((row ^ column) & 1) ? -1.0f : 1.0f; }

// floor(c x 127.5 + 128 + 0.5) clamped to 0-255. Clamped first, the value is 0 or
// more, where truncation is the floor: a conversion instead of a call of floor, and
// the clamps without branches, for each of the some 16000 components an update
// writes (the same bytes; a NaN gives 0).
uint8_t to_byte(float c) {
    const float v = c * 127.5f + 128.0f + 0.5f;
    const float low = v > 0.0f ? v : 0.0f;
    return uint8_t(int(low < 255.0f ? low : 255.0f));
}

// Normalises (x, y, z) and writes x, y, z, 255.
void put_normal(uint8_t *texel, float x, float y, float z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    const float inv = length > 0.0f ? 1.0f / length : 0.0f;
    texel[0] = to_byte(x * inv);
    texel[1] = to_byte(y * inv);
    texel[2] = to_byte(z * inv);
    texel[3] = 255;
}

// Four texels at once: the same operations in the same order as put_normal and
// to_byte, lane by lane (a square root, a division, the clamps as masks, truncation),
// so the bytes are the same to the bit; the processor just does four at once. The
// normalising is most of an update's time after the transform.
using lanes_t = float __attribute__((vector_size(4 * sizeof(float))));
using int_lanes_t = int32_t __attribute__((vector_size(4 * sizeof(int32_t))));
constexpr uint32_t LANES = 4;

int_lanes_t to_bytes(lanes_t c) {
    const lanes_t v = c * 127.5f + 128.0f + 0.5f;
    // v > 0 ? v : 0, then low < 255 ? low : 255 (a NaN fails the first and gives 0).
    const int_lanes_t low = reinterpret_cast<int_lanes_t>(v) & (v > 0.0f);
    const lanes_t low_f = reinterpret_cast<lanes_t>(low);
    const int_lanes_t below = low_f < 255.0f;
    const lanes_t top = {255.0f, 255.0f, 255.0f, 255.0f};
    const lanes_t clamped = reinterpret_cast<lanes_t>((low & below) | (reinterpret_cast<int_lanes_t>(top) & ~below));
    return __builtin_convertvector(clamped, int_lanes_t);
}

void put_normals(uint8_t *texels, lanes_t x, lanes_t y, lanes_t z) {
    const lanes_t squares = x * x + y * y + z * z;
#if defined(__SSE__)
    const lanes_t length = reinterpret_cast<lanes_t>(_mm_sqrt_ps(reinterpret_cast<__m128>(squares)));
#else
    lanes_t length;
    for (uint32_t l = 0; l < LANES; ++l) length[l] = std::sqrt(squares[l]);
#endif
    const lanes_t one = {1.0f, 1.0f, 1.0f, 1.0f};
    const lanes_t inv = reinterpret_cast<lanes_t>(reinterpret_cast<int_lanes_t>(one / length) & (length > 0.0f));
    const int_lanes_t bx = to_bytes(x * inv), by = to_bytes(y * inv), bz = to_bytes(z * inv);
    for (uint32_t l = 0; l < LANES; ++l, texels += 4) {
        texels[0] = uint8_t(bx[l]);
        texels[1] = uint8_t(by[l]);
        texels[2] = uint8_t(bz[l]);
        texels[3] = 255;
    }
}

bool is_size(uint32_t n) { return n >= 1 && n <= fft_wave_texture_t::MAX_SIZE && std::has_single_bit(n); }

}  // namespace

fft_wave_texture_t::fft_wave_texture_t(uint32_t width, uint32_t height, const char *texture_name, uint32_t normal_mode,
                                       wave_random_t random)
    : m_normal_mode(normal_mode == NORMALS_Z_UP ? NORMALS_Z_UP : NORMALS_Y_UP) {
    if (!is_size(width) || !is_size(height)) {
        error("[game] A wave texture of %u x %u texels is refused: sizes are powers of two from 1 to %u", width,
              height, MAX_SIZE);
        return;
    }
    m_width = width;
    m_height = height;
    m_log2_width = uint32_t(std::countr_zero(width));
    m_log2_height = uint32_t(std::countr_zero(height));
    m_mip_count = (m_log2_width < m_log2_height ? m_log2_width : m_log2_height) + 1;
    const uint32_t count = width * height;
    if (!m_cells.grow(count) || !m_field.grow(count) || !m_omega_index.grow(count) || !m_order.grow(count) ||
        !m_omegas.grow(count) || !m_phases.grow(count) || !m_rotors.grow(count) || !m_slope_x.grow(count) ||
        !m_slope_z.grow(count)) {
        error("[game] No memory for a wave texture of %u x %u texels", width, height);
        return;
    }
    if (!random.uniform) random.uniform = default_uniform;
    draw_random_pairs(random);
    build_spectrum();
    m_valid = make_texture(texture_name);
}

fft_wave_texture_t::~fft_wave_texture_t() {
    // Another wave texture of the same name may have taken the texture object over.
    if (texobj_u *tex = r_texobj_of(m_texture.get()))
        if (tex->pixels.get() == m_pixels.get()) r_texobj_attach(m_texture.get(), nullptr);
    m_texture.release();
    if (m_texels) m_pixels->unlock();
    m_texels = nullptr;
    m_pixels.release();
}

bool fft_wave_texture_t::make_texture(const char *texture_name) {
    const size_t pixels = hbmp_pixel_count(m_width, m_height, int32_t(m_mip_count));
    c_item_t *block = mm_obtain_resource(MM_ANONYMOUS_REF, "", &plain_u::unit_descriptor, c_item_t::MLRU_DISALLOWED);
    if (!block) {
        error("[game] No pixel block for the wave texture '%s'", texture_name ? texture_name : "");
        return false;
    }
    m_pixels = block;
    block->release_ref();  // the holder counts it now
    uint8_t *memory = static_cast<uint8_t *>(block->lock_entry(R_PIXEL_BLOCK_HEADER + 4 * pixels));
    if (!memory) {
        error("[game] No memory for the texels of the wave texture '%s'", texture_name ? texture_name : "");
        m_pixels.release();
        return false;
    }
    m_texels = memory + R_PIXEL_BLOCK_HEADER;
    memset(memory, 0, R_PIXEL_BLOCK_HEADER + 4 * pixels);
    hbmp_t header;
    header.width = uint16_t(m_width);
    header.height = uint16_t(m_height);
    header.mip_levels = int16_t(m_mip_count);
    header.type = HBMP_RGBA;
    header.pixels = m_texels;
    memcpy(memory, &header, sizeof header);

    r_texture_desc_t desc;
    desc.width = m_width;
    desc.height = m_height;
    desc.format = HBMP_RGBA;
    desc.mip_count = m_mip_count;
    desc.flags = R_TEXTURE_MIPMAPS | R_TEXTURE_LINEAR | R_TEXTURE_REPEAT;
    c_item_t *texture = r_texobj_create(texture_name, desc);
    if (!texture) return false;
    m_texture = texture;
    texture->release_ref();
    return r_texobj_attach(texture, block);
}

void fft_wave_texture_t::draw_random_pairs(wave_random_t random) {
    for (cell_t &c : m_cells) {
        // The angle's draw comes first, then the deviate's pairs.
        const float angle = random.uniform(random.state) * TWO_PI;
        const float g = gauss(random);
        c.gauss = {g * std::cos(angle), g * std::sin(angle)};
    }
}

float fft_wave_texture_t::phillips(float kx, float kz, float wind_x, float wind_z, float amplitude) {
    const float k2 = kx * kx + kz * kz;
    const float w2 = wind_x * wind_x + wind_z * wind_z;
    // No wave vector, or calm water: nothing (a zero wind would give 0 / 0).
    if (k2 == 0.0f || w2 == 0.0f) return 0.0f;
    const float l = w2 * INV_GRAVITY;
    const float kw = kx * wind_x + kz * wind_z;
    return amplitude * std::exp(-std::sqrt(k2)) * std::exp(-1.0f / (k2 * l * l)) / (k2 * k2) * (kw * kw) / (k2 * w2);
}

void fft_wave_texture_t::build_spectrum() {
    const float step = TWO_PI / m_patch_size;
    for (uint32_t i = 0; i < m_height; ++i)
        for (uint32_t j = 0; j < m_width; ++j) {
            cell_t &c = m_cells[i * m_width + j];
            c.kx = step * (float(j) - float(m_width / 2));
            c.kz = step * (float(i) - float(m_height / 2));
            c.k_length = std::sqrt(c.kx * c.kx + c.kz * c.kz);
            c.h0 = c.gauss * (std::sqrt(phillips(c.kx, c.kz, m_wind_x, m_wind_z, m_amplitude)) * INV_SQRT2);
        }
    // The frequencies, each once: cells with equal |k| (the same wave length in every
    // direction) share their w, so the phases are computed per frequency.
    const uint32_t count = m_width * m_height;
    const cell_t *cells = m_cells.get_data();
    uint32_t *order = m_order.get_data();
    float *omegas = m_omegas.get_data();
    uint32_t *index = m_omega_index.get_data();
    for (uint32_t n = 0; n < count; ++n) order[n] = n;
    std::sort(order, order + count, [&](uint32_t a, uint32_t b) { return cells[a].k_length < cells[b].k_length; });
    m_omega_count = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const float w = std::sqrt(GRAVITY * cells[order[i]].k_length);
        if (m_omega_count == 0 || omegas[m_omega_count - 1] != w) omegas[m_omega_count++] = w;
        index[order[i]] = m_omega_count - 1;
    }
    m_stepped = -1;
    m_dirty = false;
}

void fft_wave_texture_t::advance_phases(float time) {
    const uint32_t count = m_omega_count;
    const float *omegas = m_omegas.get_data();
    complex_t<float> *phases = m_phases.get_data();
    complex_t<float> *rotors = m_rotors.get_data();
    const float ahead = time - (m_phase_time + m_step);
    if (m_stepped >= 0 && m_stepped < RESYNC_STEPS && m_step > 0.0f && std::fabs(ahead) <= m_step * STEP_TOLERANCE) {
        if (m_stepped == 0)
            for (uint32_t k = 0; k < count; ++k) rotors[k] = {std::cos(omegas[k] * m_step), std::sin(omegas[k] * m_step)};
        for (uint32_t k = 0; k < count; ++k) phases[k] = phases[k] * rotors[k];
        m_phase_time += m_step;
        ++m_stepped;
        return;
    }
    for (uint32_t k = 0; k < count; ++k) phases[k] = {std::cos(omegas[k] * time), std::sin(omegas[k] * time)};
    // The next update may come one such step later (a first update, or a time that
    // went back, gives no step).
    m_step = m_stepped >= 0 && time > m_phase_time ? time - m_phase_time : 0.0f;
    m_phase_time = time;
    m_stepped = 0;
}

void fft_wave_texture_t::update(float time) {
    if (!m_valid || !m_texels) return;
    // The renderer has not taken the last texels yet.
    if (m_texture->has(c_item_t::CHANGED)) return;
    // Recent enough texels stay (going back in time always writes).
    if (m_has_texels && time >= m_texel_time && time - m_texel_time < MIN_INTERVAL) return;
    if (m_dirty) build_spectrum();
    advance_phases(time);
    const uint32_t count = m_width * m_height;
    const cell_t *cells = m_cells.get_data();
    const complex_t<float> *phases = m_phases.get_data();
    const uint32_t *index = m_omega_index.get_data();
    complex_t<float> *field = m_field.get_data();
    for (uint32_t n = 0; n < count; ++n) {
        const cell_t &c = cells[n];
        const complex_t<float> h = c.h0 * phases[index[n]];
        // i h (kx + i kz): the x slope in the real part, the z slope in the imaginary.
        const complex_t<float> hk = h * complex_t<float>(c.kx, c.kz);
        const float s = sign_of(n >> m_log2_width, n & (m_width - 1));
        field[n] = {-hk.im * s, hk.re * s};
    }
    if (!fft2d(m_field.get_data(), m_log2_height, m_log2_width, FFT_INVERSE)) {
        error("[game] The wave texture's transform had no working memory");
        return;
    }
    m_texture->flags |= c_item_t::CHANGED;
    m_pixels->flags |= c_item_t::CHANGED;
    write_texels();
    m_texel_time = time;
    m_has_texels = true;
}

uint32_t fft_wave_texture_t::level_width(uint32_t level) const {
    return level < 32 && (m_width >> level) ? m_width >> level : 1;
}

uint32_t fft_wave_texture_t::level_height(uint32_t level) const {
    return level < 32 && (m_height >> level) ? m_height >> level : 1;
}

uint8_t *fft_wave_texture_t::level_texels(uint32_t level) const {
    if (!m_texels || level >= m_mip_count) return nullptr;
    return m_texels + 4 * hbmp_pixel_count(m_width, m_height, int32_t(level));
}

const uint8_t *fft_wave_texture_t::get_texels(uint32_t level) const { return level_texels(level); }

void fft_wave_texture_t::write_texels() {
    const complex_t<float> *field = m_field.get_data();
    float *slope_x = m_slope_x.get_data();
    float *slope_z = m_slope_z.get_data();
    // The slopes of a level's texels (each level's texels sample the field), then
    // their normals.
    auto slopes = [&](uint32_t n, uint32_t row, uint32_t column, float factor) {
        const complex_t<float> &v = field[row * m_width + column];
        const float s = sign_of(row, column);
        slope_x[n] = -factor * s * v.re;
        slope_z[n] = -factor * s * v.im;
    };
    for (uint32_t i = 0, n = 0; i < m_height; ++i)
        for (uint32_t j = 0; j < m_width; ++j, ++n) slopes(n, i, j, 1.0f);
    write_normals(level_texels(0), m_width * m_height);

    const uint32_t last = m_mip_count - 1;
    for (uint32_t level = 1; level < last; ++level) {
        // Every level halves both sides here (the last level is the first to reach 1
        // on its smaller side), so the step doubles and the slopes halve.
        const uint32_t step = 1u << level;
        const float factor = 1.0f / float(step);
        uint32_t n = 0;
        for (uint32_t y = 0; y < level_height(level); ++y)
            for (uint32_t x = 0; x < level_width(level); ++x, ++n)
                slopes(n, step / 2 - 1 + y * step, step / 2 - 1 + x * step, factor);
        write_normals(level_texels(level), n);
    }
    if (last == 0) return;
    const bool z_up = m_normal_mode == NORMALS_Z_UP;
    static const uint8_t FLAT_Y_UP[4] = {127, 255, 127, 255};
    static const uint8_t FLAT_Z_UP[4] = {127, 127, 255, 255};
    uint8_t *texel = level_texels(last);
    for (uint32_t n = level_width(last) * level_height(last); n-- > 0; texel += 4)
        memcpy(texel, z_up ? FLAT_Z_UP : FLAT_Y_UP, 4);
}

void fft_wave_texture_t::write_normals(uint8_t *texel, uint32_t count) const {
    const bool z_up = m_normal_mode == NORMALS_Z_UP;
    const float *slope_x = m_slope_x.get_data();
    const float *slope_z = m_slope_z.get_data();
    // Up is 1: the normal is (x, z, 1) with z up, else (x, 1, z).
    const lanes_t up = {1.0f, 1.0f, 1.0f, 1.0f};
    uint32_t n = 0;
    for (; n + LANES <= count; n += LANES, texel += 4 * LANES) {
        lanes_t x, z;
        memcpy(&x, slope_x + n, sizeof x);
        memcpy(&z, slope_z + n, sizeof z);
        if (z_up) put_normals(texel, x, z, up);
        else put_normals(texel, x, up, z);
    }
    for (; n < count; ++n, texel += 4) {
        if (z_up) put_normal(texel, slope_x[n], slope_z[n], 1.0f);
        else put_normal(texel, slope_x[n], 1.0f, slope_z[n]);
    }
}

void fft_wave_texture_t::set_scalar_parameter(uint32_t id, float value) {
    switch (id) {
    case PARAM_AMPLITUDE:
        if (!(value >= 0.0f) || !std::isfinite(value)) break;
        m_amplitude = value;
        m_dirty = true;
        return;
    case PARAM_PATCH_SIZE:
        if (!(value > 0.0f) || !std::isfinite(value)) break;
        m_patch_size = value;
        m_dirty = true;
        return;
    default:
        error("[game] Unknown dynamic texture parameter %u (0x%x)", id, id);
        return;
    }
    error("[game] The wave texture refuses %g for parameter %u", double(value), id);
}

void fft_wave_texture_t::set_vector_parameter(uint32_t id, const vec4_t &value) {
    if (id != PARAM_WIND) {
        error("[game] Unknown dynamic texture parameter %u (0x%x)", id, id);
        return;
    }
    if (!std::isfinite(value.x) || !std::isfinite(value.z)) {
        error("[game] The wave texture refuses a wind that is not finite");
        return;
    }
    m_wind_x = value.x;
    m_wind_z = value.z;
    m_dirty = true;
}

}  // namespace quarn
