#include "tex_field.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace texgen {

namespace {

constexpr float TAU = 2.0f * std::numbers::pi_v<float>;

// Wraps i into 0..n-1 for any sign.
inline uint32_t wrap(int64_t i, uint32_t n) {
    const int64_t m = i % int64_t(n);
    return uint32_t(m < 0 ? m + n : m);
}

inline float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }
inline float lerp(float a, float b, float t) { return a + (b - a) * t; }
inline float smoothstep(float e0, float e1, float x) {
    if (e0 == e1) return x < e0 ? 0.0f : 1.0f;
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// A lattice point's hash under a seed.
inline uint32_t lattice(uint32_t i, uint32_t j, uint32_t seed) { return tex_hash(i + tex_hash(j + tex_hash(seed))); }

inline float unit_of(uint32_t h) { return float(h >> 8) * (1.0f / 16777216.0f); }

// One octave of tileable noise over a px x py lattice, in -1..1 (gradient noise is
// rescaled from its natural range of about +-0.7).
void octave(std::vector<float> &out, uint32_t w, uint32_t h, uint32_t px, uint32_t py, bool gradient, uint32_t seed) {
    // The lattice is made once: a value, or a gradient's two components, a point.
    std::vector<float> gx(size_t(px) * py), gy(gradient ? size_t(px) * py : 0);
    for (uint32_t j = 0; j < py; ++j)
        for (uint32_t i = 0; i < px; ++i) {
            const uint32_t hsh = lattice(i, j, seed);
            if (gradient) {
                const float a = unit_of(hsh) * TAU;
                gx[size_t(j) * px + i] = std::cos(a);
                gy[size_t(j) * px + i] = std::sin(a);
            } else {
                gx[size_t(j) * px + i] = unit_of(hsh) * 2.0f - 1.0f;
            }
        }
    std::vector<uint32_t> i0(w), i1(w);
    std::vector<float> fx(w), ux(w);
    for (uint32_t x = 0; x < w; ++x) {
        const float u = (float(x) + 0.5f) * float(px) / float(w);
        const float fl = std::floor(u);
        i0[x] = wrap(int64_t(fl), px);
        i1[x] = wrap(int64_t(fl) + 1, px);
        fx[x] = u - fl;
        ux[x] = fade(fx[x]);
    }
    for (uint32_t y = 0; y < h; ++y) {
        const float v = (float(y) + 0.5f) * float(py) / float(h);
        const float fl = std::floor(v);
        const size_t r0 = size_t(wrap(int64_t(fl), py)) * px, r1 = size_t(wrap(int64_t(fl) + 1, py)) * px;
        const float fy = v - fl, uy = fade(fy);
        float *row = &out[size_t(y) * w];
        for (uint32_t x = 0; x < w; ++x) {
            const size_t a = r0 + i0[x], b = r0 + i1[x], c = r1 + i0[x], d = r1 + i1[x];
            float n;
            if (gradient) {
                const float dx = fx[x];
                const float na = gx[a] * dx + gy[a] * fy;
                const float nb = gx[b] * (dx - 1.0f) + gy[b] * fy;
                const float nc = gx[c] * dx + gy[c] * (fy - 1.0f);
                const float nd = gx[d] * (dx - 1.0f) + gy[d] * (fy - 1.0f);
                n = std::clamp(lerp(lerp(na, nb, ux[x]), lerp(nc, nd, ux[x]), uy) * 1.4f, -1.0f, 1.0f);
            } else {
                n = lerp(lerp(gx[a], gx[b], ux[x]), lerp(gx[c], gx[d], ux[x]), uy);
            }
            row[x] = n;
        }
    }
}

// Fractal 1D noise along a line of w texels, tiling over scale cells, stretched to 0..1.
std::vector<float> line_noise(uint32_t w, uint32_t scale, uint32_t octaves, float gain, uint32_t seed) {
    std::vector<float> sum(w, 0.0f);
    float amp = 1.0f;
    uint32_t period = scale;
    for (uint32_t o = 0; o < octaves; ++o) {
        if (o > 0 && period > w) break;
        const uint32_t s = tex_hash(seed + o * 0x51ed27u);
        for (uint32_t x = 0; x < w; ++x) {
            const float u = (float(x) + 0.5f) * float(period) / float(w);
            const float fl = std::floor(u);
            const float a = unit_of(lattice(wrap(int64_t(fl), period), 0, s));
            const float b = unit_of(lattice(wrap(int64_t(fl) + 1, period), 0, s));
            sum[x] += amp * lerp(a, b, fade(u - fl));
        }
        amp *= gain;
        period *= 2;
    }
    // Stretched to 0..1, so that the line's lowest and highest points are where the
    // settings put them.
    const auto [lo, hi] = std::minmax_element(sum.begin(), sum.end());
    const float a = *lo, b = *hi;
    for (float &v : sum) v = b > a ? (v - a) / (b - a) : 0.5f;
    return sum;
}

// The thread's freed field memory, at most a few dozen blocks.
constexpr size_t POOL_BLOCKS = 32;
thread_local std::vector<std::vector<float>> pool;

std::vector<float> take(size_t n) {
    for (size_t i = 0; i < pool.size(); ++i)
        if (pool[i].capacity() >= n) {
            std::vector<float> v = std::move(pool[i]);
            pool.erase(pool.begin() + std::ptrdiff_t(i));
            v.resize(n);
            return v;
        }
    return std::vector<float>(n);
}

void give(std::vector<float> &v) {
    if (v.capacity() && pool.size() < POOL_BLOCKS) pool.push_back(std::move(v));
    v = std::vector<float>();
}

}  // namespace

tex_field_t::tex_field_t(uint32_t w, uint32_t h, float fill) : width(w), height(h), v(take(size_t(w) * h)) {
    std::fill(v.begin(), v.end(), fill);
}

tex_field_t::tex_field_t(const tex_field_t &other) : width(other.width), height(other.height), v(take(other.v.size())) {
    std::copy(other.v.begin(), other.v.end(), v.begin());
}

tex_field_t::tex_field_t(tex_field_t &&other) noexcept
    : width(other.width), height(other.height), v(std::move(other.v)) {}

tex_field_t &tex_field_t::operator=(const tex_field_t &other) {
    if (this == &other) return *this;
    if (v.size() != other.v.size()) {
        give(v);
        v = take(other.v.size());
    }
    std::copy(other.v.begin(), other.v.end(), v.begin());
    width = other.width;
    height = other.height;
    return *this;
}

tex_field_t &tex_field_t::operator=(tex_field_t &&other) noexcept {
    if (this == &other) return *this;
    give(v);
    v = std::move(other.v);
    width = other.width;
    height = other.height;
    return *this;
}

tex_field_t::~tex_field_t() { give(v); }

uint32_t tex_hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    x ^= x >> 16;
    return x;
}

uint32_t tex_seed(uint32_t description_seed, uint32_t own_seed) {
    return tex_hash(description_seed * 0x9e3779b9u + tex_hash(own_seed));
}

uint64_t tex_random_t::next() {
    uint64_t z = (m_state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

float tex_field_t::sample(float x, float y) const {
    const float fx = std::floor(x), fy = std::floor(y);
    const uint32_t x0 = wrap(int64_t(fx), width), x1 = wrap(int64_t(fx) + 1, width);
    const uint32_t y0 = wrap(int64_t(fy), height), y1 = wrap(int64_t(fy) + 1, height);
    const float tx = x - fx, ty = y - fy;
    return lerp(lerp(at(x0, y0), at(x1, y0), tx), lerp(at(x0, y1), at(x1, y1), tx), ty);
}

void tex_noise(tex_field_t &out, const tex_noise_t &n) {
    const uint32_t w = out.width, h = out.height;
    tex_field_t sum_field(w, h), one_field(w, h);
    std::vector<float> &sum = sum_field.v, &one = one_field.v;
    float amp = 1.0f, norm = 0.0f;
    uint64_t px = n.scale_x, py = n.scale_y;
    for (uint32_t o = 0; o < n.octaves; ++o) {
        if (o > 0 && (px > w || py > h)) break;
        octave(one, w, h, uint32_t(px), uint32_t(py), n.gradient, tex_hash(n.seed + o * 0x632be5u));
        for (size_t i = 0; i < sum.size(); ++i) {
            const float v = one[i];
            switch (n.style) {
            case tex_noise_style_t::SMOOTH:
                sum[i] += amp * v;
                break;
            case tex_noise_style_t::TURBULENT:
                sum[i] += amp * std::fabs(v);
                break;
            case tex_noise_style_t::RIDGED:
                sum[i] += amp * (1.0f - std::fabs(v)) * (1.0f - std::fabs(v));
                break;
            }
        }
        norm += amp;
        amp *= n.gain;
        px *= n.lacunarity;
        py *= n.lacunarity;
    }
    for (size_t i = 0; i < sum.size(); ++i) {
        const float v = sum[i] / norm;
        out.v[i] = n.style == tex_noise_style_t::SMOOTH ? 0.5f + 0.5f * v : v;
    }
}

void tex_cells(tex_field_t &out, uint32_t sx, uint32_t sy, float jitter, tex_cells_output_t output, uint32_t seed) {
    const uint32_t w = out.width, h = out.height;
    for (uint32_t y = 0; y < h; ++y) {
        const float v = (float(y) + 0.5f) * float(sy) / float(h);
        const int64_t cj = int64_t(std::floor(v));
        for (uint32_t x = 0; x < w; ++x) {
            const float u = (float(x) + 0.5f) * float(sx) / float(w);
            const int64_t ci = int64_t(std::floor(u));
            float f1 = 1e9f, f2 = 1e9f;
            uint32_t id = 0;
            for (int dj = -1; dj <= 1; ++dj)
                for (int di = -1; di <= 1; ++di) {
                    const uint32_t hsh = lattice(wrap(ci + di, sx), wrap(cj + dj, sy), seed);
                    const float px = float(ci + di) + 0.5f + jitter * (unit_of(hsh) - 0.5f);
                    const float py = float(cj + dj) + 0.5f + jitter * (unit_of(tex_hash(hsh)) - 0.5f);
                    const float d = std::sqrt((px - u) * (px - u) + (py - v) * (py - v));
                    if (d < f1) {
                        f2 = f1;
                        f1 = d;
                        id = hsh;
                    } else if (d < f2) {
                        f2 = d;
                    }
                }
            float r = 0.0f;
            switch (output) {
            case tex_cells_output_t::NEAR:
                r = std::min(f1, 1.0f);
                break;
            case tex_cells_output_t::FAR:
                r = std::min(f2 / 1.5f, 1.0f);
                break;
            case tex_cells_output_t::EDGE:
                r = std::min(f2 - f1, 1.0f);
                break;
            case tex_cells_output_t::ID:
                r = unit_of(tex_hash(id ^ 0x5bd1e995u));
                break;
            }
            out.at(x, y) = r;
        }
    }
}

void tex_stripes(tex_field_t &out, int cx, int cy, float phase, tex_stripe_shape_t shape, float duty) {
    const uint32_t w = out.width, h = out.height;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const double p = (double(x) + 0.5) / w * cx + (double(y) + 0.5) / h * cy + phase;
            const float t = float(p - std::floor(p));
            float r = 0.0f;
            switch (shape) {
            case tex_stripe_shape_t::SINE:
                r = 0.5f - 0.5f * std::cos(t * TAU);
                break;
            case tex_stripe_shape_t::TRIANGLE:
                r = 1.0f - std::fabs(2.0f * t - 1.0f);
                break;
            case tex_stripe_shape_t::SAW:
                r = t;
                break;
            case tex_stripe_shape_t::SQUARE:
                r = t < duty ? 1.0f : 0.0f;
                break;
            }
            out.at(x, y) = r;
        }
}

void tex_linear(tex_field_t &out, float fx, float fy, float tx, float ty) {
    const float dx = tx - fx, dy = ty - fy, len2 = dx * dx + dy * dy;
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x) {
            const float u = (float(x) + 0.5f) / float(out.width), v = (float(y) + 0.5f) / float(out.height);
            out.at(x, y) = std::clamp(((u - fx) * dx + (v - fy) * dy) / len2, 0.0f, 1.0f);
        }
}

void tex_radial(tex_field_t &out, float cx, float cy, float rx, float ry) {
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x) {
            const float u = ((float(x) + 0.5f) / float(out.width) - cx) / rx;
            const float v = ((float(y) + 0.5f) / float(out.height) - cy) / ry;
            out.at(x, y) = std::min(std::sqrt(u * u + v * v), 1.0f);
        }
}

void tex_rect(tex_field_t &out, float x0, float x1, float y0, float y1, float softness) {
    const float s = softness / 2.0f;
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x) {
            const float u = (float(x) + 0.5f) / float(out.width), v = (float(y) + 0.5f) / float(out.height);
            float r;
            if (s > 0.0f) {
                r = smoothstep(x0 - s, x0 + s, u) * (1.0f - smoothstep(x1 - s, x1 + s, u)) *
                    smoothstep(y0 - s, y0 + s, v) * (1.0f - smoothstep(y1 - s, y1 + s, v));
            } else {
                r = u >= x0 && u < x1 && v >= y0 && v < y1 ? 1.0f : 0.0f;
            }
            out.at(x, y) = r;
        }
}

void tex_skyline(tex_field_t &out, float base, float height, uint32_t scale, uint32_t octaves, float gain,
                 float softness, uint32_t seed) {
    const std::vector<float> line = line_noise(out.width, scale, octaves, gain, seed);
    for (uint32_t x = 0; x < out.width; ++x) {
        const float top = base - height * line[x];
        for (uint32_t y = 0; y < out.height; ++y) {
            const float v = (float(y) + 0.5f) / float(out.height);
            out.at(x, y) = smoothstep(top - softness, top + softness, v);
        }
    }
}

}  // namespace texgen
