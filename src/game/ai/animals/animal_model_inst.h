#pragma once
// animal_model_inst_u ("animal_model_inst", no attributes): the visible, animated body
// of one round-target animal built from an animal_model_desc_u: its animation
// instance (2 channels), model packets, trophy antlers on the antler bones, blob
// shadow, hit tests against the model's parts and the description's hit zones, and
// the ragdoll that takes over the pose when the animal is knocked down
// (docs/animal-bodies.md).
#include <cstdint>

#include "game/ai/animals/animal_hookup.h"
#include "game/visuals/models/model_hit.h"
#include "game/visuals/physics/physics_types.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/sphere.h"

namespace quarn {

class physics_scene_t;
class ragdoll_u;
class zba_inst_t;

class animal_model_inst_u : public unit_t, public physics_contact_listener_t {
    QRN_UNIT_CLASS(animal_model_inst_u, unit_t);

public:
    // The bounding sphere's stored radius is the model's times this.
    static constexpr float SPHERE_MARGIN = 1.3f;
    // A ragdoll heavier than this gets the contact effects.
    static constexpr float CONTACT_MASS = 20.0f;
    // Contact effects: at most this many per instance, this far apart (system time),
    // from a ragdoll body moving at least this fast (squared speed).
    static constexpr uint32_t MAX_CONTACT_EFFECTS = 5;
    static constexpr double CONTACT_EFFECT_PAUSE = 0.05;
    static constexpr float CONTACT_SPEED2 = 16.0f;
    static constexpr const char *CONTACT_EMITTER = "emitter.ragdoll";

    // A new instance of desc in the default unit system (scale = scale × the
    // description's), antlers picked from seed + 222, its animation instance reporting
    // to listener; null (logged) when the build fails.
    static owner_ptr_ret_t<animal_model_inst_u> create(animal_model_desc_u *desc, float scale, uint32_t seed,
                                                       zba_listener_t *listener);

    // Plays the required behaviour code (0-7) on a channel; ZBA_* result.
    int32_t play_behavior(uint32_t code, bool force, uint32_t channel);
    // Plays any behaviour number of the file (animal_model_desc_u::find_behavior).
    int32_t play_behavior_index(int32_t behavior, bool force, uint32_t channel);

    // Where the owner puts the animal this frame.
    void set_placement(const placement_t &placement) { m_placement = placement; }
    const placement_t &get_placement() const { return m_placement; }
    // Draws the model and its antlers with a uniform tint unless the bounding sphere
    // lies outside the current view; sets the visible flag accordingly.
    void draw(float tint);
    bool is_visible() const { return m_visible; }
    // Ragdoll (when active), then the animation instance by seconds × animation_speed,
    // then the bounding sphere follows the root bone.
    void animate(float seconds);
    // The root translation the animations produced since the last call, z × scale.
    float take_root_motion();

    // Tests the shot (world points) against the model's parts at placement: the nearest
    // hit goes into hit (reset first). False when the bounding sphere is missed or no
    // part is hit.
    bool intersect(model_hit_t &hit, const placement_t &placement, const vec3_t &start, const vec3_t &end);
    // The hit zone for a shot in model space: nearest part hit, a higher fever reward
    // never losing to a lower one; null when no zone is hit.
    animal_part_u *find_hit_zone(const vec3_t &local_start, const vec3_t &local_end);
    // Adds the blob shadow to the hunt's batch (under the ragdoll's root while it is
    // active).
    void draw_shadow(const placement_t &placement);

    // Ragdoll on (loads and fits a ragdoll of the level the hunt picks when none is
    // held, activates it, counts it in) or off (deactivates, counts it out). False when
    // it could not be turned on (logged; nothing stays in the physics scene): the
    // animal keeps its animation then.
    bool set_ragdoll(bool active);
    bool is_ragdoll_active() const { return m_ragdoll_active; }
    ragdoll_u *get_ragdoll() const;
    int32_t get_ragdoll_level() const { return m_ragdoll_level; }
    // Which file of names (highest detail first) a level loads: the level cut to the
    // last entry; an empty entry searches upward, then downward; -1 when all are empty.
    static int32_t pick_ragdoll_file(const array_dyn_t<mstring_dyn_t> &names, uint32_t level);

    bool has_ragdoll() const { return m_desc && m_desc->has_ragdoll(); }
    bool is_ground_based() const { return m_desc && m_desc->ground_based; }
    bool is_dangerous() const { return m_desc && m_desc->type == animal_model_desc_u::TYPE_DANGEROUS; }
    bool is_ambient() const { return m_desc && m_desc->type == animal_model_desc_u::TYPE_AMBIENT; }
    int32_t get_gender() const { return m_desc ? m_desc->gender : 0; }
    float get_scaled_radius() const { return m_scaled_radius; }
    float get_scale() const { return m_scale; }
    uint32_t get_trophy_score() const { return m_trophy_score; }
    bool has_monster_trophy() const;
    // The bounding sphere in the world after the last draw (centre, radius × scale).
    const sphere_t &get_world_sphere() const { return m_world_sphere; }

    animal_model_desc_u *get_desc() const;
    c_item_t *get_zba_item() const { return m_zba.get(); }
    zba_inst_t *get_zba() const;
    model_object_u *get_model() const;
    uint32_t get_antler_count() const { return m_antlers.get_count(); }
    animal_antler_u *get_antler(uint32_t index) const;
    // Contact effects emitted so far (never reset).
    uint32_t get_contact_effect_count() const { return m_effect_count; }
    // The ragdoll's contact handler: an "emitter.ragdoll" effect where a fast ragdoll
    // body meets the terrain (group 0), at most 5 per instance, 0.05 s apart.
    void on_contact(physics_shape_t *self, physics_shape_t *other, const vec3_t &position,
                    const vec3_t &normal) override;
    // The physics scene ragdolls go to when the current controller has no world (tools
    // and tests); null for none.
    static void set_fallback_physics_scene(physics_scene_t *scene);

protected:
    void on_construct();
    void on_destroy();
    bool _clone_finish(unit_base_t *target);

private:
    bool build(animal_model_desc_u *desc, float scale, uint32_t seed, zba_listener_t *listener);
    bool ragdoll_on();

    ref_ptr_t<animal_model_desc_u> m_desc;
    float m_scale = 1.0f;
    c_item_ptr_t m_zba;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<fw4pp_light_modulator_u> m_tint_packet;
    sphere_t m_sphere;        // model space, radius × 1.3
    vec3_t m_root_centre;     // the sphere's centre in the root bone's rest frame
    sphere_t m_world_sphere;  // after the last draw
    float m_scaled_radius = 0.0f;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_antlers;  // animal_antler_u
    uint32_t m_trophy_score = 0;
    owner_ptr_t<unit_base_t> m_ragdoll;  // ragdoll_u
    int32_t m_ragdoll_level = -1;
    bool m_ragdoll_active = false;
    placement_t m_placement;
    bool m_visible = true;
    double m_last_effect = -3.4028234663852886e38;
    uint32_t m_effect_count = 0;
};

}  // namespace quarn
