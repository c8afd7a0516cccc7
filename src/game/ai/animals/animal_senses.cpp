// The live animal's senses: sight by the head's look, smell and hearing by distance,
// the hunter's scent on the wind, where a point lies from the facing, and the
// reactions to attractant items (docs/animal-ai.md, "Senses").
#include <cmath>

#include "game/ai/animals/animal.h"
#include "game/ai/animals/species_interaction.h"
#include "game/world/environment.h"
#include "game/world/wind.h"
#include "qrncore/math/scalar.h"

namespace quarn {

namespace {

// Views: predators (species 7, 11 and 12) see fully within 60° of their look and
// nothing beyond 90°; the others 90° and 120°. The fade between takes 30°.
constexpr float PREDATOR_FULL_VIEW = 60.0f;
constexpr float PREDATOR_BLIND = 90.0f;
constexpr float FULL_VIEW = 90.0f;
constexpr float BLIND = 120.0f;
constexpr float VIEW_FADE = 30.0f;
// Scent: near everywhere within R0 (fully within R1), downwind in a cone W wide, as
// shares of the range; the fall-off's exponent.
constexpr float SCENT_NEAR = 0.042f;
constexpr float SCENT_FULL = 0.025f;
constexpr float SCENT_CONE = 0.0166f;
constexpr float SCENT_EXPONENT = 1.07f;
// Direction sectors: ahead within 22.5°, half-ahead within 67.5°.
constexpr float SECTOR_AHEAD = 0.3926991f;
constexpr float SECTOR_SIDE = 1.1780972f;

float cross_y(const vec3_t &a, const vec3_t &b) { return a.z * b.x - a.x * b.z; }

// 1 up to near, 0 from far on, straight between; a band of no width cuts at near.
float falloff(float d, float near_distance, float far_distance) {
    const float band = far_distance - near_distance;
    if (!(band > 0.0f)) return d <= near_distance ? 1.0f : 0.0f;
    return clamp01(1.0f - (d - near_distance) / band);
}

}  // namespace

float animal_t::sight_test(const vec3_t &point, float near_distance, float far_distance) const {
    const vec3_t to = point - m_position;
    const float d = length(to);
    if (d >= SIGHT_LIMIT) return 0.0f;
    const float f = falloff(d, near_distance, far_distance);
    if (f <= 0.0f) return 0.0f;
    vec3_t look = m_presentation ? m_presentation->head_direction() : vec3_t{0.0f, 0.0f, -1.0f};
    look = m_rotation.rotate(look);
    look.y = 0.0f;
    if (length_squared(look) <= vec_traits_t<float>::EPSILON || d <= 0.0f) return f;
    look = normalized(look);
    const float cosine = dot(look, to) / d;
    const float alpha = std::acos(clamp_value(cosine, -1.0f, 1.0f)) * RAD_TO_DEG;
    const bool predator = species_is_predator(m_species_index);
    const float full = predator ? PREDATOR_FULL_VIEW : FULL_VIEW;
    const float blind = predator ? PREDATOR_BLIND : BLIND;
    if (alpha < full) return f;
    return f * clamp01((blind - alpha) / VIEW_FADE);
}

float animal_t::smell_test(const vec3_t &point, float range) const {
    if (!(range > 0.0f)) return 0.0f;
    return clamp01(1.0f - length(point - m_position) / range);
}

float animal_t::hearing_test(const vec3_t &point, float near_distance, float far_distance) const {
    return falloff(length(point - m_position), near_distance, far_distance);
}

float animal_t::scent_test(const vec3_t &point, float range) const {
    const environment_u *environment = get_current_environment();
    return scent_test(point, range, environment ? environment->get_wind() : nullptr);
}

float animal_t::scent_test(const vec3_t &point, float range, const wind_u *wind) const {
    if (!(range > 0.0f)) return 0.0f;
    const vec3_t w = wind ? wind->get_direction() : vec3_t{0.0f, 0.0f, 0.0f};
    const float s = wind ? wind->get_speed() : 0.0f;
    const vec3_t to = m_position - point;
    const float d = length(to);
    const float r0 = SCENT_NEAR * range;
    const float r1 = SCENT_FULL * range;
    const float near = clamp01((r1 - d) / (r0 - r1));
    const bool upwind = dot(w, to) <= 0.0f;
    if (upwind && d > r0) return 0.0f;
    if (d == 0.0f) return 0.0f;
    // The side of the wind's line through the point the animal is on.
    const bool side = cross_y(w, to) > 0.0f;
    vec3_t turned = w;
    if (!wind || !wind->turn_direction(turned, side)) return d > r0 ? 0.0f : near;
    if (upwind) return near;
    // Downwind: the scent reaches along the wind to the full range, fading with the
    // distance and out of a cone of width W beside the turned wind.
    float p = clamp01(1.0f - std::pow(d / s, SCENT_EXPONENT) / std::pow(range / s, SCENT_EXPONENT));
    const vec3_t normal = side ? vec3_t{turned.z, 0.0f, -turned.x} : vec3_t{-turned.z, 0.0f, turned.x};
    const float l = dot(normal, to);
    const float cone = SCENT_CONE * range;
    if (l >= 0.0f) p = l < cone ? p * (1.0f - clamp01(l / cone)) : 0.0f;
    return p > near ? p : near;
}

int32_t animal_t::direction_sector(const vec3_t &point, int32_t base) const {
    vec3_t to = point - m_position;
    to.y = 0.0f;
    const vec3_t f{m_facing.x, 0.0f, m_facing.z};
    if (length_squared(to) <= vec_traits_t<float>::EPSILON || length_squared(f) <= vec_traits_t<float>::EPSILON)
        return base;
    const float side = cross_y(f, to);
    const float angle = std::atan2(std::fabs(side), dot(f, to));
    const bool left = side > 0.0f;
    if (angle < SECTOR_AHEAD) return base;
    if (angle < SECTOR_SIDE) return left ? base + 1 : base + 2;
    return left ? base + 3 : base + 4;
}

const ai_reaction_t &animal_t::get_reaction(const ai_item_t &item) {
    return m_reactions.get(item, m_species_index, m_gender_index);
}

}  // namespace quarn
