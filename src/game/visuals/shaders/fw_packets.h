#pragma once
// The game's parameter packets, carried in the seven slots of a prototype's packet
// array (docs/graphics.md):
//
//   slot 0 pp_camera (shared layer)      slot 4 fw4pp_terrain_uv       (empty by default)
//   slot 1 fw4pp_model                   slot 5 fw4pp_texture_transform (empty by default)
//   slot 2 pp_fog (shared layer)         slot 6 fw4pp_light_modulator  (empty by default)
//   slot 3 fw4pp_light
//
// The default content of an array is the unit file "/effect/fw4/defaults.unit" (a
// parameter_packet_holder). A pass that finds a slot empty, or holding a packet of
// another class, uses that class's initial values (packet_or_default).
#include <cstdint>

#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

enum fw_packet_slot_t : uint32_t {
    FW_SLOT_CAMERA = 0,
    FW_SLOT_MODEL = 1,
    FW_SLOT_FOG = 2,
    FW_SLOT_LIGHT = 3,
    FW_SLOT_TERRAIN_UV = 4,
    FW_SLOT_TEXTURE_TRANSFORM = 5,
    FW_SLOT_LIGHT_MODULATOR = 6,
};

class fw4pp_model_u : public pp_model_u {
    QRN_UNIT_CLASS(fw4pp_model_u, pp_model_u);

public:
    // matrix = the placement's matrix, matrix_inv = its inverse.
    void set_matrix_and_inverse(const placement_scale_t &placement);

    mat4_t matrix = mat4_t::identity();
    mat4_t matrix_inv = mat4_t::identity();
};

class fw4pp_light_u : public parameter_packet_u {
    QRN_UNIT_CLASS(fw4pp_light_u, parameter_packet_u);

public:
    vec4_t ambient{0, 0, 0, 0};
    vec4_t diffuse{1, 1, 1, 0};
    vec4_t specular{0.5f, 0.5f, 0.5f, 0};
    vec4_t es_direction{0, 0, -1, 0};  // the light's direction in camera space
};

// The texture transforms of three terrain layers: two columns of four floats each.
class fw4pp_terrain_uv_u : public parameter_packet_u {
    QRN_UNIT_CLASS(fw4pp_terrain_uv_u, parameter_packet_u);

public:
    vec4_t columns[3][2] = {};
};

class fw4pp_texture_transform_u : public parameter_packet_u {
    QRN_UNIT_CLASS(fw4pp_texture_transform_u, parameter_packet_u);

public:
    mat4_t matrix = mat4_t::identity();
};

class fw4pp_light_modulator_u : public parameter_packet_u {
    QRN_UNIT_CLASS(fw4pp_light_modulator_u, parameter_packet_u);

public:
    vec4_t modulator{1, 1, 1, 1};
};

// A new model packet in the default unit system, or null when none could be made
// (or it is not alive).
owner_ptr_ret_t<fw4pp_model_u> create_fw4pp_model_unit();

// The packet of class T in the prototype's slot, or null.
template <class T>
const T *packet_at(const r_proto_t *proto, uint32_t slot) {
    const parameter_packet_u *p = proto && proto->parameters ? proto->parameters->get(slot) : nullptr;
    return p && p->is_kind_of(T::unit_descriptor) ? static_cast<const T *>(p) : nullptr;
}

// The values a pass reads from the packets, with the initial values of each class
// for an empty slot.
struct fw_packet_view_t {
    explicit fw_packet_view_t(const r_proto_t *proto);

    const mat4_t *projection, *view, *camera;  // slot 0
    const mat4_t *model, *model_inv;            // slot 1
    const vec4_t *fog_colour;                   // slot 2
    const vec4_t *light_ambient, *light_diffuse, *light_specular, *light_direction;  // slot 3
    const vec4_t (*terrain_columns)[2];         // slot 4: null for zero layers
    const mat4_t *texture_transform;            // slot 5
    const vec4_t *modulator;                    // slot 6
};

}  // namespace quarn
