#include "game/world/landscape_scene.h"

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/visuals/shaders/fw_packets.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cvar.h"
#include "outside/visbase/camera.h"

namespace quarn {

landscape_scene_packets_t landscape_scene_packets() {
    landscape_scene_packets_t p;
    if (base_ctrl_u *ctrl = get_current_ctrl()) {
        p.camera = ctrl->get_camera_packet(0);  // camera 1, the main camera
        p.fog = ctrl->get_fog_packet();
        p.light = ctrl->get_light_packet(0);  // light 1, the sun
    }
    return p;
}

void landscape_fill_scene_slots(r_parameter_array_t &array) {
    const landscape_scene_packets_t p = landscape_scene_packets();
    array.set(FW_SLOT_CAMERA, p.camera);
    array.set(FW_SLOT_FOG, p.fog);
    array.set(FW_SLOT_LIGHT, p.light);
}

bool landscape_camera_position(vec3_t &out) {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    if (!view) return false;
    out = view->get_placement().position;
    return true;
}

bool landscape_box_in_view(const aabox_t &box) {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    if (const frustum_t *frustum = view ? view->get_frustum() : nullptr) return frustum->intersects(box);
    return gfx_box_visible(box);
}

bool landscape_chunk_stats_enabled() {
    const cvar_t *v = cvar_get("g_chunks");
    return v && v->get_int() != 0;
}

}  // namespace quarn
