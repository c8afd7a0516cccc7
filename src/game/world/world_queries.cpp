// The world's ground and segment queries. Each readies the terrain chunks around what
// it asks (their collision built on demand) and then casts a ray through the physics
// scene in world units.
#include <cmath>

#include "game/visuals/models/model_hit.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/world/body.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

namespace {

// Rays of find_ground: the first starts this far above the point and reaches as far
// below it; each miss doubles both.
constexpr float GROUND_RAY_START = 50.0f;
constexpr int GROUND_TRIES = 5;
// Half width of the region readied for a ground ray, and its height.
constexpr float GROUND_REGION_HALF = 0.5f;
constexpr float GROUND_REGION_HEIGHT = 2000.0f;
// The model re-test of a body hit covers this much of the ray on either side.
constexpr float BODY_RETEST_REACH = 2.0f;
// Slabs of the ground probe's triangle query around the ground point.
constexpr float PROBE_MARGIN = 0.1f;

aabox_t segment_box(const vec3_t &p0, const vec3_t &p1) { return aabox_t(v_min(p0, p1), v_max(p0, p1)); }

// A segment's direction and length; false when it has no length to speak of (a ray of
// no direction is not cast).
bool segment_ray(const vec3_t &p0, const vec3_t &p1, vec3_t &direction, float &length) {
    const vec3_t d = p1 - p0;
    const float l2 = length_squared(d);
    // Also false for ends that are not finite (the scene would log the ray).
    if (!(l2 > vec_traits_t<float>::EPSILON) || !std::isfinite(l2) || !std::isfinite(p0.x + p0.y + p0.z))
        return false;
    length = std::sqrt(l2);
    direction = d / length;
    return true;
}

}  // namespace

bool world_u::find_ground(physics_ray_hit_t &hit, const vec3_t &p, int mask) {
    // The scene would refuse (and log) rays from a point that is not finite.
    if (!m_scene || !std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    m_landscape->prepare_region(aabox_t({p.x - GROUND_REGION_HALF, -GROUND_REGION_HEIGHT, p.z - GROUND_REGION_HALF},
                                        {p.x + GROUND_REGION_HALF, GROUND_REGION_HEIGHT, p.z + GROUND_REGION_HALF}),
                                mask);
    float above = GROUND_RAY_START;
    float length = 2.0f * GROUND_RAY_START;
    for (int t = 0; t < GROUND_TRIES; ++t) {
        if (m_scene->ray_first_hit_world(mask, {p.x, p.y + above, p.z}, {0.0f, -1.0f, 0.0f}, length, &hit))
            return true;
        above += 0.5f * length;
        length *= 2.0f;
    }
    return false;
}

bool world_u::trace_segment(physics_ray_hit_t &hit, const vec3_t &p0, const vec3_t &p1, int mask) {
    vec3_t direction;
    float length = 0.0f;
    if (!m_scene || !segment_ray(p0, p1, direction, length)) return false;
    m_landscape->prepare_region(segment_box(p0, p1), mask);
    return m_scene->ray_first_hit_world(mask, p0, direction, length, &hit);
}

bool world_u::trace_segment_filtered(physics_ray_hit_t &hit, const vec3_t &p0, const vec3_t &p1, int mask) {
    vec3_t direction;
    float length = 0.0f;
    if (!m_scene || !segment_ray(p0, p1, direction, length)) return false;
    m_landscape->prepare_region(segment_box(p0, p1), mask);
    array_dyn_t<physics_ray_hit_t> hits;
    m_scene->ray_all_hits(mask, p0, direction, length, hits);
    for (const physics_ray_hit_t &h : hits) {
        // Shapes carry the unit they stand for (bodies, chunks) as user data.
        auto *unit = h.shape ? static_cast<unit_base_t *>(h.shape->get_user_data()) : nullptr;
        auto *body = unit ? unit_cast<body_inst_u>(unit) : nullptr;
        if (body && body->is_alive()) {
            model_hit_t model_hit;
            if (!body->test_segment_world(model_hit, h.position - direction * BODY_RETEST_REACH,
                                          h.position + direction * BODY_RETEST_REACH))
                continue;
        }
        hit = h;
        return true;
    }
    return false;
}

bool world_u::get_ground_probe(ground_probe_t &probe, const vec3_t &p) {
    probe.position = p;
    if (!find_ground(probe.ground_hit, p, MASK_TERRAIN)) return false;
    const vec3_t g = probe.ground_hit.position;
    probe.ground_height = g.y;

    landscape_triangle_query_t query;
    m_landscape->query_triangles_box(query, landscape_volume_t::of_point(g, PROBE_MARGIN));
    probe.surface_kind = query.surface_kind;
    probe.triangle = query.triangle;
    if (query.piece) {
        const uint32_t c = query.piece->get_colour(uint32_t(query.triangle), 0.5f, 0.5f);  // 0xAARRGGBB
        probe.ground_colour[0] = landscape_chunk_piece_u::light_byte(c);  // red
        probe.ground_colour[1] = uint8_t(c >> 8);
        probe.ground_colour[2] = uint8_t(c);
        probe.ground_colour[3] = uint8_t(c >> 24);
    }

    if (trace_segment(probe.water_hit, {g.x, g.y + GROUND_RAY_START, g.z}, g, MASK_WATER) &&
        !(probe.water_hit.position.y < g.y)) {
        probe.water_height = probe.water_hit.position.y;
        probe.water_depth = probe.water_height - probe.ground_height;
    }
    return true;
}

}  // namespace quarn
