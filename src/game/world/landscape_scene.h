#pragma once
// What the terrain takes from the running scene (the current controller, when there
// is one): the packets it draws with and where the camera is. Without a scene the
// packets are empty and there is no camera.
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/math/vec.h"

namespace quarn {

struct landscape_scene_packets_t {
    parameter_packet_u *camera = nullptr;  // the scene's first camera packet
    parameter_packet_u *fog = nullptr;     // its fog packet
    parameter_packet_u *light = nullptr;   // its first light packet
};

// The scene's packets for slots 0, 2 and 3 of the terrain's arrays.
landscape_scene_packets_t landscape_scene_packets();
// Fills slots 0 (camera), 2 (fog) and 3 (light) of an array from the scene.
void landscape_fill_scene_slots(r_parameter_array_t &array);
// The position of the scene's camera (its active view); false without one.
bool landscape_camera_position(vec3_t &out);
// Whether a world box can be seen: against the active view's frustum when it keeps
// one, else against the renderer's loaded camera.
bool landscape_box_in_view(const aabox_t &box);
// The console variable "g_chunks" (0 when it is not registered).
bool landscape_chunk_stats_enabled();

}  // namespace quarn
