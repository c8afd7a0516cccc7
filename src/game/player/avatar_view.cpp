#include "game/player/avatar_view.h"

#include "game/visuals/physics/physics_avatar.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "qrncore/system/messages.h"

namespace quarn {

avatar_view_t::avatar_view_t() = default;
avatar_view_t::~avatar_view_t() = default;

vec3_t avatar_view_t::get_position() const {
    if (!m_avatar || !m_avatar->get_body()) return {0.0f, 0.0f, 0.0f};
    return m_avatar->get_world_pose().position;
}

void avatar_view_t::set_position(const vec3_t &position) {
    if (m_avatar) m_avatar->set_position(position);
}

void avatar_view_t::attach_to_scene(physics_scene_t *scene) {
    // The old avatar goes first: it clears the scene's avatar when it is that one.
    m_avatar.reset();
    if (!scene) return;
    m_avatar.reset(scene->create_avatar());
    if (!m_avatar) return;
    const float s = scene->get_scale();
    if (!m_avatar->create(AVATAR_MASS, AVATAR_LENGTH * s, AVATAR_RADIUS * s)) {
        error("[game] The player's avatar cannot be made: the view stays without one");
        m_avatar.reset();
        return;
    }
    m_avatar->set_position({0.0f, 0.0f, 0.0f});
    m_avatar->set_collision_group(AVATAR_GROUP);
    if (physics_shape_t *shape = m_avatar->get_shape()) {
        shape->set_draw_mode(AVATAR_DRAW_MODE);
        shape->set_material(AVATAR_MATERIAL);
    }
}

vec3_t avatar_view_t::get_velocity() const {
    const physics_body_t *body = m_avatar ? m_avatar->get_body() : nullptr;
    return body ? body->get_world_linear_velocity() : vec3_t{0.0f, 0.0f, 0.0f};
}

placement_t avatar_view_t::get_placement() const {
    physics_body_t *body = m_avatar ? m_avatar->get_body() : nullptr;
    return body ? body->get_world_interpolated_pose() : placement_t{};
}

}  // namespace quarn
