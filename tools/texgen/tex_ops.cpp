// Operations on fields: value remapping, blur, warp and relief.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "tex_field.h"

namespace texgen {

namespace {

// One wrapping box blur of a line of n values spaced by stride: each value becomes
// the mean of the 2r + 1 around it.
void box_line(float *line, size_t n, size_t stride, uint32_t r, std::vector<float> &scratch) {
    scratch.resize(n);
    for (size_t i = 0; i < n; ++i) scratch[i] = line[i * stride];
    const size_t span = 2 * size_t(r) + 1;
    // The window's sum starts around index 0, reaching back over the wrap.
    double sum = 0.0;
    for (int64_t k = -int64_t(r); k <= int64_t(r); ++k)
        sum += scratch[size_t(((k % int64_t(n)) + int64_t(n)) % int64_t(n))];
    for (size_t i = 0; i < n; ++i) {
        line[i * stride] = float(sum / double(span));
        const size_t out = size_t((int64_t(i) - int64_t(r)) % int64_t(n) + int64_t(n)) % n;
        const size_t in = (i + r + 1) % n;
        sum += double(scratch[in]) - double(scratch[out]);
    }
}

}  // namespace

void tex_levels(tex_field_t &f, float in_lo, float in_hi, float out_lo, float out_hi, float gamma) {
    for (float &v : f.v) {
        float t = in_hi == in_lo ? (v < in_lo ? 0.0f : 1.0f) : std::clamp((v - in_lo) / (in_hi - in_lo), 0.0f, 1.0f);
        if (gamma != 1.0f) t = std::pow(t, 1.0f / gamma);
        v = out_lo + (out_hi - out_lo) * t;
    }
}

void tex_threshold(tex_field_t &f, float at, float soft) {
    for (float &v : f.v) {
        if (soft <= 0.0f) {
            v = v < at ? 0.0f : 1.0f;
        } else {
            const float t = std::clamp((v - (at - soft)) / (2.0f * soft), 0.0f, 1.0f);
            v = t * t * (3.0f - 2.0f * t);
        }
    }
}

void tex_normalize(tex_field_t &f) {
    const auto [lo, hi] = std::minmax_element(f.v.begin(), f.v.end());
    const float a = *lo, b = *hi;
    for (float &v : f.v) v = b > a ? (v - a) / (b - a) : 0.5f;
}

void tex_blur(tex_field_t &f, uint32_t radius) {
    if (radius == 0) return;
    std::vector<float> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        // A radius past the side would only count texels more than once.
        const uint32_t rx = std::min(radius, (f.width - 1) / 2), ry = std::min(radius, (f.height - 1) / 2);
        if (rx)
            for (uint32_t y = 0; y < f.height; ++y) box_line(&f.v[size_t(y) * f.width], f.width, 1, rx, scratch);
        if (ry)
            for (uint32_t x = 0; x < f.width; ++x) box_line(&f.v[x], f.height, f.width, ry, scratch);
    }
}

tex_field_t tex_warp(const tex_field_t &src, const tex_field_t &dx, const tex_field_t &dy, float amount) {
    tex_field_t out(src.width, src.height);
    const float ax = 2.0f * amount * float(src.width), ay = 2.0f * amount * float(src.height);
    for (uint32_t y = 0; y < src.height; ++y)
        for (uint32_t x = 0; x < src.width; ++x)
            out.at(x, y) = src.sample(float(x) + (dx.at(x, y) - 0.5f) * ax, float(y) + (dy.at(x, y) - 0.5f) * ay);
    return out;
}

void tex_normal_at(const tex_field_t &h, float strength, uint32_t x, uint32_t y, float n[3]) {
    const uint32_t w = h.width, ht = h.height;
    const float left = h.at((x + w - 1) % w, y), right = h.at((x + 1) % w, y);
    const float up = h.at(x, (y + ht - 1) % ht), down = h.at(x, (y + 1) % ht);
    // Slopes in texels; the image's y runs down, the normal's y up.
    const float sx = (right - left) * 0.5f * strength, sy = (up - down) * 0.5f * strength;
    const float len = std::sqrt(sx * sx + sy * sy + 1.0f);
    n[0] = -sx / len;
    n[1] = -sy / len;
    n[2] = 1.0f / len;
}

tex_field_t tex_relief(const tex_field_t &height, float azimuth, float elevation, float strength) {
    const float deg = std::numbers::pi_v<float> / 180.0f;
    const float l[3] = {std::cos(azimuth * deg) * std::cos(elevation * deg),
                        std::sin(azimuth * deg) * std::cos(elevation * deg), std::sin(elevation * deg)};
    tex_field_t out(height.width, height.height);
    for (uint32_t y = 0; y < height.height; ++y)
        for (uint32_t x = 0; x < height.width; ++x) {
            float n[3];
            tex_normal_at(height, strength, x, y, n);
            const float lit = std::max(0.0f, n[0] * l[0] + n[1] * l[1] + n[2] * l[2]);
            out.at(x, y) = std::clamp(0.5f * lit / l[2], 0.0f, 1.0f);
        }
    return out;
}

}  // namespace texgen
