#pragma once
// fft_wave_texture_t: the animated normal map of water surfaces. A random spectrum
// shaped by the Phillips spectrum is advanced in time with the deep-water dispersion
// relation, transformed back to space with a two-dimensional FFT, and written as a
// normal map with its whole mip chain into a texture object of the renderer
// (r_texobj_create), which the water materials name. The game makes one, 64 x 64
// texels, "/procedural/water_noise.tobj", normals with z up, and the shader library
// updates it every frame.
//
// Sizes are powers of two from 1 to 2048; another size is refused at construction
// (logged): the texture then has no texels and updates do nothing. A wind of zero is
// calm water (a flat spectrum), never a division by zero.
#include <cstdint>

#include "game/visuals/shaders/dynamic_texture.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/numerics/complex.h"

namespace quarn {

// Uniform draws in [0, 1) for the spectrum's random pairs; the default draws from
// the core's shared generator (v_rand).
struct wave_random_t {
    float (*uniform)(void *state) = nullptr;
    void *state = nullptr;
};

class fft_wave_texture_t : public dynamic_texture_t {
public:
    // Parameter numbers: vector 0 the wind (x and z of the vector), scalar 1 the
    // Phillips constant, scalar 2 the side of the simulated patch.
    static constexpr uint32_t PARAM_WIND = 0;
    static constexpr uint32_t PARAM_AMPLITUDE = 1;
    static constexpr uint32_t PARAM_PATCH_SIZE = 2;
    static constexpr uint32_t MAX_SIZE = 2048;

    enum normal_mode_t : uint32_t {
        NORMALS_Y_UP = 0,
        NORMALS_Z_UP = 1,
    };

    // One cell of the spectrum (row = y, column = x): 28 bytes.
    struct cell_t {
        complex_t<float> h0;     // initial amplitude
        float kx = 0, kz = 0;    // wave vector
        complex_t<float> gauss;  // the random pair
        float k_length = 0;
    };

    fft_wave_texture_t(uint32_t width, uint32_t height, const char *texture_name, uint32_t normal_mode,
                       wave_random_t random = {});
    // Lets go of the texture object and the pixel block.
    ~fft_wave_texture_t() override;
    fft_wave_texture_t(const fft_wave_texture_t &) = delete;
    fft_wave_texture_t &operator=(const fft_wave_texture_t &) = delete;

    // Writes the texels for the time in seconds, unless the renderer has not yet taken
    // the last ones (the texture still carries c_item_t::CHANGED), or unless they are
    // less than MIN_INTERVAL older than the time (a later time; going back in time
    // always writes).
    void update(float time) override;

    // The water's normals change slowly: about 30 updates a second of game time are
    // all the eye can tell apart, whatever the frame rate. A little below 1/30 s, so
    // that every second frame at 60 Hz still updates.
    static constexpr float MIN_INTERVAL = 0.03f;
    // Waves of the same length share one frequency: the distinct frequencies of the
    // spectrum (about one in seven cells at 64 x 64), each cell's index into them.
    uint32_t get_frequency_count() const { return m_omega_count; }
    uint32_t get_frequency_index(uint32_t row, uint32_t column) const { return m_omega_index[row * m_width + column]; }
    // Scalar 1: the amplitude (0 or more); 2: the patch size (above 0). Vector 0: the
    // wind. Another number is logged ("Unknown dynamic texture parameter %u (0x%x)"),
    // a value out of range too; neither changes anything.
    void set_scalar_parameter(uint32_t id, float value) override;
    void set_vector_parameter(uint32_t id, const vec4_t &value) override;

    bool is_valid() const { return m_valid; }
    uint32_t get_width() const { return m_width; }
    uint32_t get_height() const { return m_height; }
    uint32_t get_mip_count() const { return m_mip_count; }
    float get_amplitude() const { return m_amplitude; }
    float get_patch_size() const { return m_patch_size; }
    float get_wind_x() const { return m_wind_x; }
    float get_wind_z() const { return m_wind_z; }
    bool is_spectrum_dirty() const { return m_dirty; }
    // The cell of row (y) and column (x).
    const cell_t &get_cell(uint32_t row, uint32_t column) const { return m_cells[row * m_width + column]; }
    c_item_t *get_texture() const { return m_texture.get(); }
    c_item_t *get_pixel_block() const { return m_pixels.get(); }
    // The texels of a mip level (4 bytes each, row after row); null without a pixel
    // block or for a level past the last.
    const uint8_t *get_texels(uint32_t level) const;
    // Width and height of a mip level.
    uint32_t level_width(uint32_t level) const;
    uint32_t level_height(uint32_t level) const;

    // The Phillips spectrum at k for the wind and amplitude: 0 at k = 0 and for no wind.
    static float phillips(float kx, float kz, float wind_x, float wind_z, float amplitude);

private:
    void draw_random_pairs(wave_random_t random);
    void build_spectrum();
    void advance_phases(float time);
    void write_texels();
    // The normals of count texels from their slopes, into 4 bytes each.
    void write_normals(uint8_t *texels, uint32_t count) const;
    bool make_texture(const char *texture_name);
    uint8_t *level_texels(uint32_t level) const;

    uint32_t m_width = 0;
    uint32_t m_height = 0;
    uint32_t m_log2_width = 0;
    uint32_t m_log2_height = 0;
    uint32_t m_mip_count = 0;
    uint32_t m_normal_mode = NORMALS_Y_UP;
    bool m_valid = false;
    bool m_dirty = true;
    float m_wind_x = 20.0f;
    float m_wind_z = 40.0f;
    float m_amplitude = 1e-6f;
    float m_patch_size = 50.0f;
    array_dyn_t<cell_t> m_cells;
    // The distinct frequencies, the cells' indices into them, and for each frequency
    // e^(i w t) at m_phase_time and e^(i w m_step), which advances it one equal step.
    array_dyn_t<float> m_omegas;
    uint32_t m_omega_count = 0;
    array_dyn_t<uint32_t> m_omega_index;
    array_dyn_t<uint32_t> m_order;  // scratch of build_spectrum
    array_dyn_t<complex_t<float>> m_phases;
    array_dyn_t<complex_t<float>> m_rotors;
    float m_phase_time = 0.0f;
    float m_step = 0.0f;
    // Steps taken since the phases were last computed outright; 0 without rotors for
    // m_step; -1 while the phases are not valid.
    int32_t m_stepped = -1;
    // Time of the texels written last, and whether there are any.
    float m_texel_time = 0.0f;
    bool m_has_texels = false;
    // The field transformed each update; kept between updates.
    array_dyn_t<complex_t<float>> m_field;
    // A level's two slopes of each texel, before they become normals (scratch of
    // write_texels).
    array_dyn_t<float> m_slope_x;
    array_dyn_t<float> m_slope_z;
    c_item_ptr_t m_texture;
    c_item_ptr_t m_pixels;  // fixed (locked) while held
    uint8_t *m_texels = nullptr;
};

// The game's wave texture while its shader library runs, null otherwise (the frame
// benchmark times its updates with the frame's).
fft_wave_texture_t *game_wave_texture();

}  // namespace quarn
