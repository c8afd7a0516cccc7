#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"

namespace quarn {

updatable_t::~updatable_t() = default;
void updatable_t::on_attached() {}
void updatable_t::draw() {}

scene_view_t::~scene_view_t() = default;
vec3_t scene_view_t::get_velocity() const { return {0.0f, 0.0f, 0.0f}; }
const frustum_t *scene_view_t::get_frustum() const { return nullptr; }

vec3_t scene_object_t::get_position() const { return {0.0f, 0.0f, 0.0f}; }
quat_t scene_object_t::get_rotation() const { return {}; }
void scene_object_t::set_position(const vec3_t &) {}
void scene_object_t::set_rotation(const quat_t &) {}
void scene_object_t::attach_to_scene(physics_scene_t *) {}
bool scene_object_t::has_weapon_overlay() const { return false; }
void scene_object_t::draw_weapon_overlay() {}

}  // namespace quarn
