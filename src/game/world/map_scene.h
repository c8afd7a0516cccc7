#pragma once
// What the map objects take from the running scene (the current controller):
// - world_link_t: the part of the world unit that map objects made in init_unit need
//   (its physics scene and landscape); the world unit implements it, and
//   map_current_world finds it on the current controller's world;
// - whether a sphere or a box can be seen by the active view (its frustum when it
//   keeps one, else the renderer's loaded camera);
// - the scene's packet sets, which models of map objects are drawn with.
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/sphere.h"

namespace quarn {

class landscape_u;
class model_desc_u;
class mstring_t;
class physics_scene_t;

class world_link_t {
public:
    virtual ~world_link_t() = default;
    virtual physics_scene_t *get_physics_scene() = 0;
    virtual landscape_u *get_landscape() = 0;
};

// The current controller's world as a world_link_t; null without a controller, a
// world, or when the world does not implement it.
world_link_t *map_current_world();
bool map_sphere_in_view(const sphere_t &sphere);
bool map_box_in_view(const aabox_t &box);
// The current controller's packet set i (bodies: 1), or null.
r_parameter_array_t *map_packet_set(uint32_t index);
// The strength class of the scene's wind (0 without one) and its direction.
int32_t map_wind_strength();
bool map_wind_direction(vec3_t &out);

// The index of a map object's look or variant name in its model: 0 for an empty name
// (the model's first), -1 for an unknown one.
int32_t map_model_look(const model_desc_u &model, const mstring_t &name);
int32_t map_model_variant(const model_desc_u &model, const mstring_t &name);

}  // namespace quarn
