#include "game/visuals/physics/ode_physics_avatar.h"

#include <cmath>

#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_checks.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "qrncore/geometry/distance.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// A quarter turn about x: the capsule's axis (body z) points along y.
quat_t upright() {
    quat_t q;
    q.set_axis_angle({1, 0, 0}, float(M_PI / 2));
    return q;
}

// Squared speed below which a standing avatar is held still.
constexpr float HOLD_SPEED_SQUARED = 0.0625f;
// Ground whose normal has at least this y holds a standing avatar.
constexpr float HOLD_NORMAL_Y = 0.8f;
// A walk within this of the ground normal's direction (1 - |cos|) pushes nothing.
constexpr float STEEP_MARGIN = 0.2f;
constexpr float MOVING_SQUARED = 0.001f;
constexpr float DAMPING = 0.8f;

}  // namespace

ode_physics_avatar_t::ode_physics_avatar_t() : m_contact(this) {}

ode_physics_avatar_t::~ode_physics_avatar_t() { release(); }

void ode_physics_avatar_t::release() {
    // The shape before its body, so it never outlives its owner.
    delete m_shape;
    delete m_body;
    m_shape = nullptr;
    m_body = nullptr;
}

bool ode_physics_avatar_t::create(float mass, float length, float radius) {
    const char *op = "avatar create";
    if (!m_scene) {
        error("[phys] %s: the avatar has no scene", op);
        return false;
    }
    if (!phys_check_positive(op, "mass", mass) || !phys_check_not_negative(op, "length", length) ||
        !phys_check_positive(op, "radius", radius))
        return false;
    release();
    const float inv = m_scene->get_inverse_scale();
    m_body = m_scene->create_body();
    if (!m_body || !m_body->set_mass_capsule(mass, length * inv, radius * inv)) {
        release();
        return false;
    }
    m_body->set_rotation(upright());
    m_body->set_sweep(true);
    m_body->set_auto_disable(false);
    m_body->set_disabled(false);
    m_shape = m_scene->create_shape();
    if (!m_shape || !m_shape->create_capsule(m_body, length * inv, radius * inv, nullptr)) {
        release();
        return false;
    }
    m_shape->set_contact_listener(&m_contact);
    m_shape->set_material(0);
    return true;
}

bool ode_physics_avatar_t::set_collision_group(int group) {
    if (!m_body || !m_shape) return false;
    return m_shape->set_collision_group(group) && m_body->set_collision_group(group);
}

bool ode_physics_avatar_t::set_position(const vec3_t &world_position) {
    if (!m_body || !m_scene) return false;
    return m_body->set_position(m_scene->world_to_local(world_position));
}

const physics_pose_t &ode_physics_avatar_t::get_world_pose() {
    if (m_body) m_world_pose = m_body->get_world_interpolated_pose();
    return m_world_pose;
}

void ode_physics_avatar_t::stop() {
    m_body->set_angular_velocity({});
    m_body->set_world_linear_velocity({});
}

void ode_physics_avatar_t::activate() {
    if (!m_body || !m_shape) return;
    m_body->set_disabled(false);
    m_shape->enable();
    stop();
}

void ode_physics_avatar_t::deactivate() {
    if (!m_body || !m_shape) return;
    stop();
    m_body->set_disabled(true);
    m_shape->disable();
}

bool ode_physics_avatar_t::move(const vec3_t &velocity) {
    if (!phys_check_finite("avatar move", "velocity", velocity)) return false;
    m_was_moving = m_moving;
    m_desired = velocity;
    m_moving = length_squared(velocity) >= MOVING_SQUARED;
    return true;
}

void ode_physics_avatar_t::contact_t::on_contact(physics_shape_t *self, physics_shape_t *other,
                                                 const vec3_t &position, const vec3_t &normal) {
    const vec3_t n = normalized(normal);
    if (n.y > m_avatar->m_ground_normal.y) m_avatar->m_ground_normal = n;
    m_avatar->m_ground_timer = GROUND_TIME;
    if (m_avatar->m_owner_listener) m_avatar->m_owner_listener->on_contact(self, other, position, normal);
}

void ode_physics_avatar_t::update() {
    if (!m_body || !m_scene) return;
    vec3_t v = m_body->get_linear_velocity();
    vec3_t g = m_ground_normal;
    m_ground_normal = NO_GROUND;

    // Horizontal damping; a fall keeps its speed.
    m_body->wake();
    m_body->set_linear_velocity({DAMPING * v.x, v.y > 0.0f ? DAMPING * v.y : v.y, DAMPING * v.z});
    // The avatar never tips.
    m_body->set_angular_velocity({});
    m_body->set_rotation(upright());

    // Airborne: damping only.
    if (m_ground_timer <= 0.0f) return;
    m_ground_timer -= m_scene->get_step_time();
    v = m_body->get_linear_velocity();

    if (!m_moving) {
        if (g.y >= HOLD_NORMAL_Y && length_squared(v) < HOLD_SPEED_SQUARED) {
            m_body->set_linear_velocity({});
            // Standing still, held where it stood: no sliding down slopes.
            if (!m_was_moving) {
                const physics_pose_t &previous = m_body->get_previous_pose();
                const physics_pose_t &current = m_body->get_current_pose();
                m_body->set_pose({{previous.position.x, current.position.y, previous.position.z},
                                  previous.rotation});
            }
        }
        return;
    }

    if (g == NO_GROUND) g = {0, 1, 0};
    const float speed = length(m_desired);
    const vec3_t d = m_desired / speed;
    if (1.0f - std::fabs(dot(d, g)) < STEEP_MARGIN) {
        if (m_ground_timer >= 0.0f && length_squared(v) < HOLD_SPEED_SQUARED) m_body->set_linear_velocity({});
        return;
    }
    // Along the ground: the desired direction without its part along the normal.
    const vec3_t side = normalized(cross(g, d));
    const vec3_t target = normalized(cross(side, g)) * speed;
    vec3_t along;
    project_vector2vector(target, v, &along);
    // The force that brings the velocity along the target to it within one step.
    m_body->set_force((target - along) * (m_body->get_mass() / m_scene->get_step_time()));
}

}  // namespace quarn
