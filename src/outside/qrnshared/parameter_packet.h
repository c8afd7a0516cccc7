#pragma once
// Parameter packets: units that carry what a draw needs besides its geometry. A
// prototype is drawn with an array of seven packet slots (r_parameter_array_t); the
// passes of its material read the slots by index (docs/graphics.md):
//
//   0 camera (pp_camera_u), 1 model (a pp_model_u), 2 fog (pp_fog_u), 3 light or
//   texture projection, 4-6 what the effect family puts there; empty slots are null.
//
// The camera packet holds the projection, the view matrix (world to camera) and the
// camera matrix (camera to world, the inverse of the view); the fog packet the fog's
// light colour and its intensity as one four-float colour. A holder unit
// (parameter_packet_holder_u) keeps a whole array's packets, so that a unit file can
// give the default content of an array.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class QRNSHARED_API parameter_packet_u : public unit_base_t {
    QRN_UNIT_CLASS(parameter_packet_u, unit_base_t);
};

class QRNSHARED_API pp_camera_u : public parameter_packet_u {
    QRN_UNIT_CLASS(pp_camera_u, parameter_packet_u);

public:
    // camera = the placement's matrix, view = its inverse.
    void set_placement(const placement_t &placement);

    mat4_t projection = mat4_t::identity();
    mat4_t view = mat4_t::identity();    // world to camera
    mat4_t camera = mat4_t::identity();  // camera to world
};

// The base of model packets: what places an object in the world. The layer's own
// identity packet stands for objects drawn untransformed (the screen's UI).
class QRNSHARED_API pp_model_u : public parameter_packet_u {
    QRN_UNIT_CLASS(pp_model_u, parameter_packet_u);
};

class QRNSHARED_API pp_model_identity_u : public pp_model_u {
    QRN_UNIT_CLASS(pp_model_identity_u, pp_model_u);
};

class QRNSHARED_API pp_fog_u : public parameter_packet_u {
    QRN_UNIT_CLASS(pp_fog_u, parameter_packet_u);

public:
    void set_colour(const vec3_t &light_colour) { colour = {light_colour.x, light_colour.y, light_colour.z, colour.w}; }
    void set_intensity(float intensity) { colour.w = intensity; }

    // The fog's light colour in x, y, z and its intensity (0..1) in w.
    vec4_t colour;
};

// The packets of one array, slot by slot (attribute "packets", owned, null for an
// empty slot). Unit file type "parameter_packet_holder".
class QRNSHARED_API parameter_packet_holder_u : public unit_base_t {
    QRN_UNIT_CLASS(parameter_packet_holder_u, unit_base_t);

public:
    array_dyn_t<owner_ptr_t<unit_base_t>> packets;
};

// The parameter packets a draw is made with: seven slots, each empty or counting its
// packet.
struct QRNSHARED_API r_parameter_array_t {
    static constexpr uint32_t SLOTS = 7;

    // Puts unit into the first slot after the last used one; false when the last
    // slot is used.
    bool append(parameter_packet_u *unit);
    // Counts unit into the slot (null empties it); false for a slot past the last.
    bool set(uint32_t slot, parameter_packet_u *unit);
    // Takes the holder's packets slot by slot (entries that are not packets, and
    // entries past the seventh, stay empty); the slots the holder does not fill are
    // emptied.
    void fill_from(const parameter_packet_holder_u &holder);
    // Empties every slot, the last first.
    void clear();
    // One past the last used slot.
    uint32_t get_count() const { return count; }
    // The packet in the slot; null for an empty slot or a slot past the last.
    parameter_packet_u *get(uint32_t slot) const { return slot < SLOTS ? units[slot].get() : nullptr; }

    ref_ptr_t<parameter_packet_u> units[SLOTS];
    uint32_t count = 0;
};

// Registers the layer's packet classes (camera, model, identity model, fog, holder)
// with the bank; false when one is refused.
QRNSHARED_API bool parameter_packet_register_classes(unit_bank_t &bank);

}  // namespace quarn
