#pragma once
// The terrain's functions: seeded value noise, the height features and the weights of
// the two extra texture layers. All are pure functions of their arguments, so every
// build of a description gives the same bytes, and neighbouring chunks, which sample
// the same world positions, agree on their shared edges.
#include <cstdint>

#include "map_model.h"

namespace mapgen {

// Value noise in -1..1 on a lattice of unit spacing, smoothly interpolated.
float map_value_noise(uint32_t seed, float x, float z);
// Octaves of value noise: the first at wavelength, each next at half the wavelength
// and persistence times the amplitude, normalised to -1..1.
float map_fractal_noise(uint32_t seed, float x, float z, float wavelength, uint32_t octaves, float persistence);
// What one feature makes of the height h at (x, z).
float map_apply_feature(const map_feature_t &feature, float x, float z, float h);
// 0 at ramp.from, 1 at ramp.to, clamped; a ramp of one point is a step there.
float map_ramp_value(const map_ramp_t &ramp, float v);
// The weight (0..1) of an extra layer at a point of height h and normal n.
float map_layer_weight(const map_layer_rule_t &rule, float x, float z, float h, const vec3_t &n);

}  // namespace mapgen
