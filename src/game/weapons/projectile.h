#pragma once
// The ammunition of a weapon (docs/weapons.md).
//
// projectile_u (unit type "projectile"): the root of an ammunition file
// ("/script/ammo/30-06.unit"), a light unit without a name of its own. It owns the
// bullet (pellet_u) and the spent case (casing_u) and names the particle emitter of
// the muzzle smoke. The shot's receivers get the projectile itself.
//
// pellet_u (unit type "pellet"): the bullet's model and its drift.
// casing_u (unit type "casing"): the spent case, moved to the ground after every shot
// (one case per projectile: every shot moves the same one).
//
// The post-loads run innermost first: a pellet or a casing without its model, or a
// projectile without either or with no pellets, fails its tree's load.
#include <cstdint>

#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class model_object_u;

class pellet_u : public unit_t {
    QRN_UNIT_CLASS(pellet_u, unit_t);

public:
    // "pellet_model not found" without a live model.
    bool _call_post_load() override;
    model_object_u *get_model() const;

    float pellet_drift = 0.0f;
    owner_ptr_t<unit_base_t> model_object;  // model_object_u
};

class casing_u : public unit_t {
    QRN_UNIT_CLASS(casing_u, unit_t);

public:
    // "model_object not found" without a live model.
    bool _call_post_load() override;
    // A model packet of its own and the packet set: the scene's first camera packet,
    // the model packet, the scene's fog packet and its first light packet (the scene
    // slots stay empty without a running scene); the set is bound to the model's
    // materials. False when the packet cannot be made.
    bool prepare();
    // Moves the case: the model packet takes the placement, and the bounds become the
    // whole model's bounding sphere moved to the placement's position.
    void place(const placement_t &placement);

    model_object_u *get_model() const;
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }
    const r_parameter_array_t &get_packets() const { return m_packets; }
    const sphere_t &get_bounds() const { return m_bounds; }
    const placement_t &get_placement() const { return m_placement; }

    owner_ptr_t<unit_base_t> model_object;  // model_object_u

private:
    void on_destroy();

    owner_ptr_t<fw4pp_model_u> m_model_packet;
    r_parameter_array_t m_packets;
    sphere_t m_bounds;
    placement_t m_placement;
};

class projectile_u : public unit_base_t {
    QRN_UNIT_CLASS(projectile_u, unit_base_t);

public:
    // In this order: "No pellet found", "No casing found", "pellet_count must be > 0";
    // then the casing is prepared and the pellet's model takes its materials.
    bool _call_post_load() override;

    pellet_u *get_pellet() const;
    casing_u *get_casing() const;

    owner_ptr_t<unit_base_t> casing;  // casing_u
    owner_ptr_t<unit_base_t> pellet;  // pellet_u
    uint32_t pellet_count = 1;
    mstring_dyn_t muzzle_smoke;
};

// The ammunition file at path: its root, which must be a live projectile; null (with
// the core loader's messages) otherwise.
owner_ptr_ret_t<projectile_u> load_projectile_tree(const char *path);

}  // namespace quarn
