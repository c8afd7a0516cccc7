#pragma once
// texgen: grey fields and what makes them. A field is one float a texel, row after
// row, first row at the top; values are usually 0..1 but nothing clamps them until
// they are painted. Every generator and operation wraps at the edges, so what it makes
// tiles, except where its settings place something (gradients, rectangles, spots with
// wrap=no). Generators take image coordinates 0..1 (x to the right, y down).
#include <cstdint>
#include <string>
#include <vector>

namespace texgen {

// Fields take their memory from a small pool of the thread's freed ones: a texture
// makes and drops dozens of fields of megabytes, and fresh memory costs a page fault
// every 4 KiB.
struct tex_field_t {
    uint32_t width = 0, height = 0;
    std::vector<float> v;

    tex_field_t() = default;
    tex_field_t(uint32_t w, uint32_t h, float fill = 0.0f);
    tex_field_t(const tex_field_t &other);
    tex_field_t(tex_field_t &&other) noexcept;
    tex_field_t &operator=(const tex_field_t &other);
    tex_field_t &operator=(tex_field_t &&other) noexcept;
    ~tex_field_t();

    float &at(uint32_t x, uint32_t y) { return v[size_t(y) * width + x]; }
    float at(uint32_t x, uint32_t y) const { return v[size_t(y) * width + x]; }
    // Bilinear, wrapping; x and y in texels (texel centres at whole numbers).
    float sample(float x, float y) const;
};

// A small, good integer hash, and the seed a statement's own seed gives under the
// description's seed.
uint32_t tex_hash(uint32_t x);
uint32_t tex_seed(uint32_t description_seed, uint32_t own_seed);

// Random numbers for scattering: the same seed, the same sequence.
class tex_random_t {
public:
    explicit tex_random_t(uint32_t seed) : m_state(0x9e3779b97f4a7c15ull ^ seed) {}
    uint64_t next();
    // [0, 1)
    float unit() { return float(next() >> 40) * (1.0f / 16777216.0f); }
    float between(float a, float b) { return a + (b - a) * unit(); }

private:
    uint64_t m_state;
};

enum class tex_noise_style_t { SMOOTH, TURBULENT, RIDGED };

struct tex_noise_t {
    uint32_t scale_x = 4, scale_y = 4;  // lattice cells across and down (the tiling period)
    uint32_t octaves = 4;
    float gain = 0.5f;        // amplitude of each octave to the one before
    uint32_t lacunarity = 2;  // frequency of each octave to the one before
    tex_noise_style_t style = tex_noise_style_t::SMOOTH;
    bool gradient = true;  // gradient noise; false: value noise
    uint32_t seed = 1;
};
// Fractal noise: smooth about 0.5 in 0..1; turbulent and ridged in 0..1 too. Octaves
// whose cells would be smaller than a texel are left out.
void tex_noise(tex_field_t &out, const tex_noise_t &n);

enum class tex_cells_output_t { NEAR, FAR, EDGE, ID };
// Cells around jittered points, one a lattice cell: the distance to the nearest point
// (near) or the second nearest (far) in cell units, their difference (edge: 0 on the
// borders between cells), or a random value of the nearest point's cell (id).
void tex_cells(tex_field_t &out, uint32_t scale_x, uint32_t scale_y, float jitter, tex_cells_output_t output,
               uint32_t seed);

enum class tex_stripe_shape_t { SINE, TRIANGLE, SAW, SQUARE };
// Stripes of the phase t = x * cx + y * cy + phase: x and y counts of stripes across
// and down (whole numbers, so they tile), shaped 0..1 over each period.
void tex_stripes(tex_field_t &out, int cx, int cy, float phase, tex_stripe_shape_t shape, float duty);

// 0 at `from`, 1 at `to`, clamped, along the line between them.
void tex_linear(tex_field_t &out, float fx, float fy, float tx, float ty);
// 0 at the centre, 1 at the radii (an ellipse) and beyond.
void tex_radial(tex_field_t &out, float cx, float cy, float rx, float ry);
// 1 inside the rectangle, 0 outside, with a soft border of that width (image units).
void tex_rect(tex_field_t &out, float x0, float x1, float y0, float y1, float softness);
// 1 below a ragged line, 0 above: the line is fractal noise along x, tiling across,
// its lowest point at `base` and its highest `height` above it (y counted down).
void tex_skyline(tex_field_t &out, float base, float height, uint32_t scale, uint32_t octaves, float gain,
                 float softness, uint32_t seed);

enum class tex_spot_shape_t { DISC, LEAF, BLADE };
enum class tex_spot_output_t { COVER, TONE, HEIGHT };
struct tex_spots_t {
    uint32_t count = 100;
    float size[2] = {0.02f, 0.05f};   // length (leaf, blade) or radius (disc), image widths
    float stretch[2] = {1.0f, 1.0f};  // width to length
    float angle[2] = {0.0f, 360.0f};  // degrees, counter-clockwise from the right
    float bend[2] = {0.0f, 0.0f};     // sideways bow, in widths, at the tip
    float x[2] = {0.0f, 1.0f}, y[2] = {0.0f, 1.0f};
    float value[2] = {1.0f, 1.0f};
    float softness = 0.2f;  // share of the width that fades out
    tex_spot_shape_t shape = tex_spot_shape_t::DISC;
    tex_spot_output_t output = tex_spot_output_t::COVER;
    bool column = false;  // pairs along from -> to instead of a scatter
    float from[2] = {0.5f, 1.0f}, to[2] = {0.5f, 0.0f};
    float taper = 0.0f;  // column: the last pair is this much smaller
    bool wrap = true;
    uint32_t seed = 1;
};
// Scattered shapes: cover is the most any spot covers a texel, tone the value of the
// last spot that covers it more than half, height the highest dome of value * cover.
void tex_spots(tex_field_t &out, const tex_spots_t &s);

// ---- operations ----
void tex_levels(tex_field_t &f, float in_lo, float in_hi, float out_lo, float out_hi, float gamma);
void tex_threshold(tex_field_t &f, float at, float soft);
void tex_normalize(tex_field_t &f);
// Three wrapping box blurs of that radius in texels: close to a Gaussian.
void tex_blur(tex_field_t &f, uint32_t radius);
// Reads the source displaced by (dx - 0.5, dy - 0.5) * 2 * amount image sizes.
tex_field_t tex_warp(const tex_field_t &src, const tex_field_t &dx, const tex_field_t &dy, float amount);
// Light on a height field (its values times strength are heights in texels): 0.5 where
// it is flat, more where it faces the light. Azimuth counter-clockwise from the right,
// elevation above the surface, both degrees.
tex_field_t tex_relief(const tex_field_t &height, float azimuth, float elevation, float strength);
// The unit normal of a height field at a texel: x right, y up the image, z out.
void tex_normal_at(const tex_field_t &height, float strength, uint32_t x, uint32_t y, float n[3]);

}  // namespace texgen
