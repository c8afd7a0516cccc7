#pragma once
// Static things placed on a map (trees, bushes, rocks, buildings), from
// "landscape.game.unit":
//
// body_desc_u (unit type "body_desc"): a model, an optional looping animation, its look
// and variant and whether it collides. After load it holds unique_instances model
// instances (all playing the animation), the collision model when collidable, and the
// look and variant indices. The base file name's extension is replaced in place by
// ".zmd", ".zma" and ".zmc" in turn, so model_file ends with ".zmc" once loaded.
// init_unit queues it in the scene's update list, where it advances its instances.
//
// body_inst_u (unit type "body_inst"): a description placed in the world. The world
// hands it to the landscape chunk under it; the chunk creates, enables, disables and
// deletes its physics shapes (each carrying the instance as user data) as the viewer
// moves, and the world's segment tests re-test hits on it against its model
// (test_segment_world). A placement must have a scale above 0.
//
// Descriptions with an empty look or variant take index 0.
#include <cstdint>
#include <memory>

#include "game/game_unit.h"
#include "game/scene/updatable.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_hit.h"
#include "game/visuals/models/model_inst.h"
#include "game/visuals/models/model_lib.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class decal_mesh_t;
class landscape_u;
class physics_scene_t;
class physics_shape_t;

class body_desc_u : public game_unit_u, public updatable_t {
    QRN_UNIT_CLASS(body_desc_u, game_unit_u);

public:
    // What every shape of a body gets: scene material 2, collision group 2 (map
    // objects).
    static constexpr int SHAPE_MATERIAL = 2;
    static constexpr int SHAPE_GROUP = 2;

    // Queued in / dropped from the current scene's update list.
    bool init_unit() override;
    void cleanup_unit() override;
    // Every instance advances its animation by dt and updates its pose.
    void update(float dt) override;

    // The indices of the parts the plant tests hit ("DefaultPart"); null for bodies.
    virtual const array_dyn_t<uint32_t> *get_part_indices() const { return nullptr; }
    // The ground's shadow under an instance at the placement, cut out of the
    // landscape; null for bodies.
    virtual std::unique_ptr<decal_mesh_t> make_ground_shadow(landscape_u &landscape,
                                                             const placement_scale_t &placement);
    // The first instance's segment test in model space (false without an instance).
    virtual bool test_segment(const vec3_t &p0, const vec3_t &p1, model_hit_t &hit);

    // Physics shapes of the collision model (set 0, material row 0) in the scene at
    // the placement, appended to out, each of SHAPE_MATERIAL and SHAPE_GROUP. False
    // without a collision model, and (warned, out as before) when a shape cannot be
    // made.
    bool build_instance_shapes(const placement_scale_t &placement, physics_scene_t &scene,
                               array_dyn_t<physics_shape_t *> &out);

    uint32_t get_instance_count() const { return m_instances.get_count(); }
    model_inst_u *get_instance(uint32_t i) const { return m_instances[i].get(); }
    model_coll_u *get_collision() const { return m_collision.get(); }
    model_desc_u *get_model() const { return m_model.get(); }
    int32_t get_look_index() const { return m_look_index; }
    int32_t get_variant_index() const { return m_variant_index; }
    // The model's whole bounding box (the first instance's geometry); false without
    // an instance.
    bool get_model_box(aabox_t &out) const;

    // The load described above; false (warned) for a missing model, animation or
    // instance.
    bool _call_post_load() override;

    // Attributes.
    mstring_dyn_t m_model_file;
    mstring_dyn_t m_model_anim;
    mstring_dyn_t m_look;
    mstring_dyn_t m_variant;
    uint32_t m_unique_instances = 1;  // 1..8
    bool m_is_collidable = false;

protected:
    void on_destroy();

private:
    void leave_scene();

    model_ref_t<model_desc_u> m_model;
    model_ref_t<model_anim_u> m_animation;
    model_ref_t<model_coll_u> m_collision;
    array_dyn_t<owner_ptr_t<model_inst_u>> m_instances;
    int32_t m_look_index = -1;
    int32_t m_variant_index = -1;
    bool m_queued = false;
};

class body_inst_u : public game_unit_base_u {
    QRN_UNIT_CLASS(body_inst_u, game_unit_base_u);

public:
    // The world box: the description's model box through the placement, or the point
    // of the placement's position when the description has no instance.
    bool init_unit() override;

    body_desc_u *get_desc() const;
    const placement_scale_t &get_placement() const { return m_placement; }
    const aabox_t &get_world_box() const { return m_world_box; }
    float get_light() const { return m_light; }
    void set_light(float light) { m_light = light; }

    // The chunks' shape operations. create_shapes deletes shapes made before, then
    // has the description build them (each carrying this instance as user data);
    // false when it builds none.
    bool create_shapes(physics_scene_t &scene);
    void delete_shapes();
    void enable_shapes();
    void disable_shapes();
    uint32_t get_shape_count() const { return m_shapes.get_count(); }
    physics_shape_t *get_shape(uint32_t i) const { return m_shapes[i]; }

    // The segment p0-p1 (world) tested against the description's model: the hit's
    // point and plane in world space and its distance from p0 in world units.
    bool test_segment_world(model_hit_t &hit, const vec3_t &p0, const vec3_t &p1);

    // Needs a live description and a scale above 0 (logged).
    bool _call_post_load() override;

    // Attributes.
    ref_ptr_t<unit_base_t> m_body_desc;
    placement_scale_t m_placement;

protected:
    void on_destroy();

private:
    aabox_t m_world_box;
    array_dyn_t<physics_shape_t *> m_shapes;
    float m_light = 1.0f;
};

}  // namespace quarn
