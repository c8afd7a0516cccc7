#pragma once
// Loose things that fall and tumble (no map of ours places one):
//
// body_actor_desc_u (unit type "body_actor_desc"): a model and its collision model,
// loaded like a body description but without instances of its own.
//
// body_actor_inst_u (unit type "body_actor_inst"): a description placed in the world
// as a dynamic physics body. init_unit makes its model object (with a model packet of
// its own over the scene's packet set 1) and a body in the world's physics scene with
// shapes from the collision model (scene material 1, collision group 3, the body's
// mass the sum of the shapes' shares, distributed as its first shape), and queues it
// for updates. Each update takes the body's interpolated pose; draw draws the model
// while its bounding sphere can be seen. After every physics step the body's linear
// velocity is capped at 10 and its angular velocity at 2π × 10 per component (from
// above), a capped vector applied only when it is clearly slower.
#include <cstdint>

#include "game/game_unit.h"
#include "game/scene/updatable.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/physics/physics_types.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class physics_body_t;
class physics_scene_t;
class physics_shape_t;

class body_actor_desc_u : public game_unit_base_u {
    QRN_UNIT_CLASS(body_actor_desc_u, game_unit_base_u);

public:
    model_desc_u *get_model() const { return m_model.get(); }
    model_coll_u *get_collision() const { return m_collision.get(); }
    int32_t get_look_index() const { return m_look_index; }
    int32_t get_variant_index() const { return m_variant_index; }

    // ".zmd" (a missing model fails, warned), ".zmc" (a missing one is warned), look
    // and variant (an empty name is index 0; an unknown one fails).
    bool _call_post_load() override;

    // Attributes.
    mstring_dyn_t m_model_file;
    mstring_dyn_t m_look;
    mstring_dyn_t m_variant;

protected:
    void on_destroy();

private:
    model_ref_t<model_desc_u> m_model;
    model_ref_t<model_coll_u> m_collision;
    int32_t m_look_index = -1;
    int32_t m_variant_index = -1;
};

class body_actor_inst_u : public game_unit_base_u, public updatable_t, public physics_step_listener_t {
    QRN_UNIT_CLASS(body_actor_inst_u, game_unit_base_u);

public:
    static constexpr int SHAPE_MATERIAL = 1;
    static constexpr int SHAPE_GROUP = 3;
    static constexpr float MAX_LINEAR_SPEED = 10.0f;
    static constexpr float MAX_ANGULAR_SPEED = 62.831856f;

    // In the world's physics scene (map_scene.h); false without one.
    bool init_unit() override;
    // The work of init_unit in a given scene: the model object, the body and its
    // shapes, the update list. False (logged) when the object or the body cannot be
    // made.
    bool init_in_scene(physics_scene_t &scene);
    // Leaves the update list and deletes the body and its shapes.
    void cleanup_unit() override;

    void update(float dt) override;
    void draw() override;
    // The velocity caps (the body's step listener).
    void on_step(physics_body_t *body) override;

    body_actor_desc_u *get_desc() const;
    const placement_scale_t &get_placement() const { return m_placement; }
    physics_body_t *get_body() const { return m_body; }
    uint32_t get_shape_count() const { return m_shapes.get_count(); }
    model_object_u *get_object() const { return m_object.get(); }
    float get_radius() const { return m_radius; }

    // Needs a live description (warned).
    bool _call_post_load() override;

    // Attributes.
    ref_ptr_t<unit_base_t> m_body_actor_desc;
    placement_scale_t m_placement;

protected:
    void on_destroy();

private:
    void release_physics();

    owner_ptr_t<model_object_u> m_object;
    physics_body_t *m_body = nullptr;
    array_dyn_t<physics_shape_t *> m_shapes;
    float m_radius = 0.0f;
    bool m_queued = false;
};

}  // namespace quarn
