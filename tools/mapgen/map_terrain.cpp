#include "map_terrain.h"

#include <algorithm>
#include <cmath>

#include "qrncore/math/scalar.h"

namespace mapgen {

namespace {

using quarn::clamp01;

uint32_t mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

// The lattice value at (ix, iz), in -1..1.
float lattice(uint32_t seed, int32_t ix, int32_t iz) {
    const uint32_t h = mix(seed * 0x9E3779B1u ^ mix(uint32_t(ix) * 0x85EBCA77u ^ mix(uint32_t(iz) * 0xC2B2AE3Du)));
    return float(h >> 8) * (2.0f / 16777215.0f) - 1.0f;
}

float smooth(float t) { return t * t * (3.0f - 2.0f * t); }


float grid_value(const map_feature_t &g, float x, float z) {
    if (g.count_x == 0 || g.count_z == 0) return 0.0f;
    const float fx = std::clamp((x - g.origin.x) / g.step, 0.0f, float(g.count_x - 1));
    const float fz = std::clamp((z - g.origin.y) / g.step, 0.0f, float(g.count_z - 1));
    const uint32_t ix = std::min(uint32_t(fx), g.count_x - 1), iz = std::min(uint32_t(fz), g.count_z - 1);
    const uint32_t jx = std::min(ix + 1, g.count_x - 1), jz = std::min(iz + 1, g.count_z - 1);
    const float tx = fx - float(ix), tz = fz - float(iz);
    auto at = [&](uint32_t i, uint32_t j) { return g.values[size_t(j) * g.count_x + i]; };
    const float low = at(ix, iz) + (at(jx, iz) - at(ix, iz)) * tx;
    const float high = at(ix, jz) + (at(jx, jz) - at(ix, jz)) * tx;
    return low + (high - low) * tz;
}

}  // namespace

float map_value_noise(uint32_t seed, float x, float z) {
    const float fx = std::floor(x), fz = std::floor(z);
    const int32_t ix = int32_t(fx), iz = int32_t(fz);
    const float tx = smooth(x - fx), tz = smooth(z - fz);
    const float a = lattice(seed, ix, iz), b = lattice(seed, ix + 1, iz);
    const float c = lattice(seed, ix, iz + 1), d = lattice(seed, ix + 1, iz + 1);
    const float low = a + (b - a) * tx, high = c + (d - c) * tx;
    return low + (high - low) * tz;
}

float map_fractal_noise(uint32_t seed, float x, float z, float wavelength, uint32_t octaves, float persistence) {
    float sum = 0.0f, norm = 0.0f, amplitude = 1.0f, frequency = 1.0f / wavelength;
    for (uint32_t o = 0; o < octaves; ++o) {
        sum += amplitude * map_value_noise(seed + o * 1013u, x * frequency, z * frequency);
        norm += amplitude;
        amplitude *= persistence;
        frequency *= 2.0f;
    }
    return norm > 0.0f ? sum / norm : 0.0f;
}

float map_apply_feature(const map_feature_t &f, float x, float z, float h) {
    switch (f.kind) {
    case map_feature_t::NOISE:
        return h + f.amplitude * map_fractal_noise(f.seed, x, z, f.wavelength, f.octaves, f.persistence);
    case map_feature_t::HILL: {
        const float dx = (x - f.centre.x) / f.radius.x, dz = (z - f.centre.y) / f.radius.y;
        const float d2 = dx * dx + dz * dz;
        if (d2 >= 1.0f) return h;
        const float k = 1.0f - d2;
        return h + f.height * k * k;
    }
    case map_feature_t::RAMP: {
        const vec2_t d = f.to - f.from;
        const float len2 = quarn::dot(d, d);
        const float t = len2 > 0.0f ? clamp01(quarn::dot(vec2_t{x, z} - f.from, d) / len2) : 1.0f;
        return h + f.height * smooth(t);
    }
    case map_feature_t::FLATTEN: {
        const float dist = quarn::length(vec2_t{x - f.centre.x, z - f.centre.y});
        float w = 0.0f;
        if (dist <= f.radius.x) w = 1.0f;
        else if (f.blend > 0.0f && dist < f.radius.x + f.blend) w = smooth(1.0f - (dist - f.radius.x) / f.blend);
        return h + (f.height - h) * w;
    }
    case map_feature_t::LINE: {
        const vec2_t d = f.to - f.from, p = vec2_t{x, z} - f.from;
        const float len2 = quarn::dot(d, d);
        const float t = len2 > 0.0f ? clamp01(quarn::dot(p, d) / len2) : 0.0f;
        const vec2_t off = p - d * t;
        const float d2 = quarn::dot(off, off) / (f.radius.x * f.radius.x);
        if (d2 >= 1.0f) return h;
        const float k = 1.0f - d2;
        return h + f.height * k * k;
    }
    case map_feature_t::GRID:
        return h + grid_value(f, x, z);
    }
    return h;
}

float map_ramp_value(const map_ramp_t &ramp, float v) {
    if (ramp.from == ramp.to) return v >= ramp.to ? 1.0f : 0.0f;
    return clamp01((v - ramp.from) / (ramp.to - ramp.from));
}

float map_layer_weight(const map_layer_rule_t &rule, float x, float z, float h, const vec3_t &n) {
    float w = 0.0f;
    if (rule.slope.set) w = std::max(w, map_ramp_value(rule.slope, 1.0f - n.y));
    if (rule.height.set) w = std::max(w, map_ramp_value(rule.height, h));
    if (rule.noise) w += rule.noise_amplitude * map_fractal_noise(rule.noise_seed, x, z, rule.noise_wavelength, 2, 0.5f);
    return clamp01(w);
}

float map_t::height_at(float x, float z) const {
    float h = 0.0f;
    for (const map_feature_t &f : landscape.heights) h = map_apply_feature(f, x, z, h);
    return h;
}

vec3_t map_t::normal_at(float x, float z) const {
    const float s = landscape.spacing;
    vec3_t n{height_at(x - s, z) - height_at(x + s, z), 2.0f * s, height_at(x, z - s) - height_at(x, z + s)};
    quarn::normalize(n);
    return n;
}

float map_t::ground_at(float x, float z) const {
    const map_landscape_t &l = landscape;
    const float s = l.spacing;
    const float cells_x = std::floor((l.hi.x - l.lo.x) / s + 0.5f), cells_z = std::floor((l.hi.y - l.lo.y) / s + 0.5f);
    const float gu = std::clamp((x - l.lo.x) / s, 0.0f, cells_x), gv = std::clamp((z - l.lo.y) / s, 0.0f, cells_z);
    // The cell (i, j) holding the point; the last row and column belong to the cell
    // before them.
    const float i = std::min(std::floor(gu), std::max(cells_x - 1.0f, 0.0f));
    const float j = std::min(std::floor(gv), std::max(cells_z - 1.0f, 0.0f));
    const float u = gu - i, v = gv - j;
    const float x0 = l.lo.x + i * s, z0 = l.lo.y + j * s;
    const float a = height_at(x0, z0), b = height_at(x0 + s, z0), c = height_at(x0, z0 + s);
    // Triangles (a, c, b) and (b, c, d): the diagonal runs from b to c.
    if (u + v <= 1.0f) return a + u * (b - a) + v * (c - a);
    const float d = height_at(x0 + s, z0 + s);
    return d + (1.0f - u) * (c - d) + (1.0f - v) * (b - d);
}

bool map_t::on_terrain(float x, float z) const {
    return x >= landscape.lo.x && x <= landscape.hi.x && z >= landscape.lo.y && z <= landscape.hi.y;
}

uint32_t map_t::find_texture(const std::string &name) const {
    for (size_t i = 0; i < textures.size(); ++i)
        if (textures[i].name == name) return uint32_t(i);
    return MAP_NONE;
}

uint32_t map_t::find_material(const std::string &name) const {
    for (size_t i = 0; i < materials.size(); ++i)
        if (materials[i].name == name) return uint32_t(i);
    return MAP_NONE;
}

}  // namespace mapgen
