#include "game/visuals/physics/physics_body.h"

#include <cmath>

#include "game/visuals/physics/physics_checks.h"
#include "game/visuals/physics/physics_debug_draw.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "outside/visbase/transform_stack.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Squared displacement (scene units) below which a body counts as not moved: a
// shorter ray has no direction.
constexpr float SWEEP_MIN_SQUARED = 1e-10f;

}  // namespace

physics_body_t::~physics_body_t() {
    if (m_scene) m_scene->remove_body(this);
}

bool physics_body_t::attach_scene(physics_scene_t *scene) {
    m_scene = scene;
    return true;
}

void physics_body_t::interpolate(float alpha) {
    m_interpolated.interpolate(m_previous, m_current, alpha);
}

void physics_body_t::sweep() {
    if (!m_scene) return;
    const vec3_t delta = m_current.position - m_previous.position;
    const float moved = length_squared(delta);
    // Also false for a NaN displacement.
    if (!(moved > SWEEP_MIN_SQUARED)) return;
    const float distance = std::sqrt(moved);
    const float scale = m_scene->get_scale();
    array_dyn_t<physics_ray_hit_t> hits;
    m_scene->ray_all_hits(m_group, m_scene->local_to_world(m_previous.position), delta / distance, distance * scale,
                          hits);
    for (uint32_t i = 0; i < hits.get_count(); ++i) {
        const physics_shape_t *shape = hits[i].shape;
        if (!shape || shape->get_owner() == this) continue;
        const physics_pose_t back = m_scene->pose_to_world(m_previous);
        set_world_pose(back);
        set_world_linear_velocity(delta * (-10.0f * scale));
        return;
    }
}

bool physics_body_t::translate_poses(const vec3_t &delta) {
    const vec3_t previous = m_previous.position + delta;
    const vec3_t interpolated = m_interpolated.position + delta;
    if (!set_position(m_current.position + delta)) return false;
    m_previous.position = previous;
    m_interpolated.position = interpolated;
    return true;
}

void physics_body_t::apply_damping() {
    set_linear_velocity(get_linear_velocity() * 0.99f);
    set_angular_velocity(get_angular_velocity() * 0.95f);
}

void physics_body_t::debug_draw(int scene_mode) {
    if (!m_scene || !phys_draw_allowed(m_draw_mode, scene_mode)) return;
    const physics_pose_t &pose = get_world_interpolated_pose();
    const float s = m_scene->get_scale();
    gfx_push();
    gfx_translate(pose.position);
    gfx_qrotate(pose.rotation);
    gfx_scale({s, s, s});
    phys_draw_axes(0.5f);
    gfx_pop();
}

bool physics_body_t::set_collision_group(int group) {
    if (!phys_check_index("set_collision_group", "group", group)) return false;
    m_group = group;
    return true;
}

bool physics_body_t::set_mass_by_shape(float mass, int type, const vec3_t &sizes) {
    if (!in_scene("set_mass_by_shape")) return false;
    const vec3_t s = sizes * m_scene->get_inverse_scale();
    switch (type) {
    case PHYSICS_SHAPE_SPHERE: return set_mass_sphere(mass, s.x);
    case PHYSICS_SHAPE_BOX: return set_mass_box(mass, s);
    case PHYSICS_SHAPE_CAPSULE: return set_mass_capsule(mass, s.y, s.x);
    default: return true;
    }
}

const physics_pose_t &physics_body_t::get_world_interpolated_pose() {
    if (m_scene) m_world_interpolated = m_scene->pose_to_world(m_interpolated);
    return m_world_interpolated;
}

const physics_pose_t &physics_body_t::get_world_pose() {
    if (m_scene) m_world_current = m_scene->pose_to_world(m_current);
    return m_world_current;
}

bool physics_body_t::set_world_pose(const physics_pose_t &pose) {
    if (!in_scene("set_world_pose")) return false;
    return set_pose(m_scene->world_to_local_placement(pose));
}

vec3_t physics_body_t::get_world_linear_velocity() const {
    return m_scene ? get_linear_velocity() * m_scene->get_scale() : vec3_t{};
}

void physics_body_t::wake() {
    if (is_disabled()) set_disabled(false);
}

bool physics_body_t::in_scene(const char *operation) const {
    if (m_scene) return true;
    error("[phys] %s: the body has no scene", operation);
    return false;
}

bool physics_body_t::set_world_linear_velocity(const vec3_t &v) {
    const char *op = "set_world_linear_velocity";
    if (!in_scene(op) || !phys_check_finite(op, "velocity", v)) return false;
    wake();
    return set_linear_velocity(v * m_scene->get_inverse_scale());
}

bool physics_body_t::add_force_at_position(const vec3_t &force, const vec3_t &point) {
    const char *op = "add_force_at_position";
    if (!in_scene(op) || !phys_check_finite(op, "force", force) || !phys_check_finite(op, "position", point))
        return false;
    wake();
    return add_force_at_pos(force * m_scene->get_inverse_scale(), m_scene->world_to_local(point));
}

bool physics_body_t::set_world_force(const vec3_t &force) {
    if (!in_scene("set_world_force") || !phys_check_finite("set_world_force", "force", force)) return false;
    wake();
    return set_force(force * m_scene->get_inverse_scale());
}

}  // namespace quarn
