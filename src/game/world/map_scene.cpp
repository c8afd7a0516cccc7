#include "game/world/map_scene.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/world/environment.h"
#include "game/world/landscape_scene.h"
#include "game/world/wind.h"
#include "game/visuals/models/model_desc.h"
#include "qrncore/strings/mstring.h"
#include "outside/visbase/camera.h"
#include "qrncore/geometry/frustum.h"

namespace quarn {

world_link_t *map_current_world() {
    base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? dynamic_cast<world_link_t *>(ctrl->get_world_unit()) : nullptr;
}

bool map_sphere_in_view(const sphere_t &sphere) {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    if (const frustum_t *frustum = view ? view->get_frustum() : nullptr) return frustum->intersects(sphere);
    return gfx_sphere_visible(sphere, mat4_t::identity());
}

bool map_box_in_view(const aabox_t &box) { return landscape_box_in_view(box); }

r_parameter_array_t *map_packet_set(uint32_t index) {
    base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? ctrl->get_packet_set(index) : nullptr;
}

namespace {

wind_u *scene_wind() {
    base_ctrl_u *ctrl = get_current_ctrl();
    environment_u *environment = ctrl ? ctrl->get_environment() : nullptr;
    return environment ? environment->get_wind() : nullptr;
}

}  // namespace

int32_t map_wind_strength() {
    const wind_u *wind = scene_wind();
    return wind ? wind->get_strength() : 0;
}

bool map_wind_direction(vec3_t &out) {
    const wind_u *wind = scene_wind();
    if (!wind) return false;
    out = wind->get_direction();
    return true;
}

int32_t map_model_look(const model_desc_u &model, const mstring_t &name) {
    return name.is_empty() ? 0 : model.find_look(name.c_str());
}

int32_t map_model_variant(const model_desc_u &model, const mstring_t &name) {
    return name.is_empty() ? 0 : model.find_variant(name.c_str());
}

}  // namespace quarn
