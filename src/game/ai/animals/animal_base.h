#pragma once
// animal_base_t: the body of a live animal of the AI world (docs/animal-ai.md, "Live
// animals"). It joins the animal's placement, its animated model (an animation
// instance of the gender's behaviour file), its ground contact, breath and step dust,
// footstep sounds, footprints and blood, blob shadow and detail level. The AI state
// that moves the body is animal_t's (animal.h); the mission commands are
// simple_animal_t's (simple_animal.h); deer add antlers (deer_animal.h).
//
// An animal is what the AI world knows as ai_animal_t, what the scene updates and
// draws (updatable_t: update is the body step, draw the visibility pass) and what
// its animation instance reports to (zba_listener_t).
#include <cstdint>
#include <memory>

#include "game/ai/mind/ai_animal.h"
#include "game/ai/zba/zba_inst.h"
#include "game/scene/updatable.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class bits_t;
class decal_mesh_t;
class fw4pp_light_modulator_u;
class fw4pp_model_u;
class model_object_u;
class particle_set_u;
class sound_u;

// How a hit on one row of the part table acts on the animal; stored for a damage
// model (nothing of the body reads them).
struct animal_hit_factors_t {
    float impact_absorption = 0.0f;
    float travel_absorption = 0.0f;
    float impact_damage = 0.0f;
    float travel_damage = 0.0f;
    bool vital = false;
    bool instant = false;
};

// One row of the part table: the model part it names, the hit-zone text, whether the
// model must have it, and the row's base hit factors.
struct animal_part_row_t {
    const char *part;
    const char *zone;
    bool required;
    animal_hit_factors_t factors;
};

class animal_base_t : public ai_animal_t, public updatable_t, public zba_listener_t {
public:
    // Channels of the animal's animation instance.
    static constexpr uint32_t CHANNELS = 5;
    // Detail levels.
    static constexpr int32_t DETAIL_HIDDEN = 0;
    static constexpr int32_t DETAIL_FAR = 2;
    static constexpr int32_t DETAIL_NEAR = 3;
    // The zoom-corrected camera distances where the level goes near and far again.
    static constexpr float DETAIL_NEAR_DISTANCE = 35.0f;
    static constexpr float DETAIL_FAR_DISTANCE = 85.0f;
    // Footsteps and drops are heard within 60 of the camera (squared).
    static constexpr float NEAR_SOUND2 = 3600.0f;
    // Breath: the steam bone's particles are placed this often (seconds) and show only
    // at this temperature (degrees) or below.
    static constexpr float BREATH_INTERVAL = 0.3f;
    static constexpr float BREATH_TEMPERATURE = 5.0f;
    // A root translation whose summed component magnitudes exceed this is a jump of
    // the animation (a loop restarting), not a step: it is dropped.
    static constexpr float ROOT_JUMP = 9.0f;
    // Spoor distance of an animal that leaves no footprints.
    static constexpr float NO_FOOTPRINTS = 3.37e38f;

    // The thirteen sounds, in the order of their keys.
    enum sound_t : uint32_t {
        SOUND_DIRT1, SOUND_DIRT2, SOUND_GRASS1, SOUND_GRASS2, SOUND_LEAVES1, SOUND_LEAVES2, SOUND_SNOW1,
        SOUND_SNOW2, SOUND_WATER1, SOUND_WATER2, SOUND_DROP1, SOUND_DROP2, SOUND_SPECIFIC, SOUND_COUNT
    };
    static const char *const SOUND_KEYS[SOUND_COUNT];

    // The part table: 15 rows, the hulls (male, female, young) first.
    static constexpr uint32_t PART_ROWS = 15;
    static const animal_part_row_t PART_TABLE[PART_ROWS];

    static constexpr const char *SHADOW_MATERIAL = "/material/decal/animal_shadow.mat";
    static constexpr const char *BREATH_PARTICLES = "/script/particle/animal_breath.unit";
    static constexpr const char *STEP_SAND_PARTICLES = "/script/particle/animal_step_sand.unit";
    static constexpr const char *STEP_DIRT_PARTICLES = "/script/particle/animal_step_dirt.unit";

    animal_base_t();
    ~animal_base_t() override;
    animal_base_t(const animal_base_t &) = delete;
    animal_base_t &operator=(const animal_base_t &) = delete;

    // ---- ai_animal_t: creation and identity ----
    void set_name(const char *name) override;
    const char *get_name() const override { return m_name.c_str(); }
    // The body's set-up from the instance definition (the mission's entry), the
    // gender and the game definition: placement, scale, model, bones, particles,
    // sounds, trails and parts. False (logged) when the entry has no "position", the
    // gender no "model" or no valid "gender", or the kind is missing.
    bool setup(const ai_animal_setup_t &setup) override;
    int32_t get_species_index() const override { return m_species_index; }
    int32_t get_gender_index() const override { return m_gender_index; }

    // ---- ai_animal_t: body ----
    vec3_t get_position() const override { return m_position; }
    quat_t get_rotation() const override { return m_rotation; }
    vec3_t get_facing() const override { return m_facing; }
    // Writes the head's world point: the "head" bone's model-space origin × scale,
    // else (0, 0.7 h, -0.8 h), turned by the rotation and added to the position.
    // Returns the position.
    vec3_t get_head_offset(vec3_t *head) const override;
    float get_species_relation(int32_t species_index) const override;
    float get_score_ratio() const override { return m_score_ratio; }
    float get_scale() const override { return m_scale; }

    virtual void set_position(const vec3_t &position) { m_position = position; }
    virtual void set_rotation(const quat_t &rotation) { m_rotation = rotation; }

    // ---- the scene's frame (updatable_t) ----
    // The body step (animal_t's); here its first part, the particles and the breath.
    void update(float dt) override;
    // The visibility pass.
    void draw() override { visibility_pass(); }
    // The bounding sphere follows the position; outside the view the animal goes to
    // detail 0, inside it is drawn and the level follows the zoom-corrected camera
    // distance (next_detail_level); at detail 3 the particles and the shadow.
    virtual void visibility_pass();
    // Submits the model with the placement's matrix and the ground's light as tint.
    virtual void draw_body();
    // Probes the ground behind and before the body, sets the height between them and
    // points the target rotation from the back point to the front point; false (no
    // change) when a probe fails or there is no world.
    virtual bool follow_ground();
    // 0 hides the step dust; 2 and 3 set the level (from 0 the ground is followed
    // once, from 3 the step dust is hidden); other values do nothing.
    virtual void set_detail_level(int32_t level);
    // Whether the body behaviour carries the body along fast enough to raise dust (a
    // trot or a gallop).
    virtual bool is_presenting() const;

    // ---- what the animation instance tells (zba_listener_t) ----
    // Info items on channels 0 and 4 play the sounds: "f..." a footstep by the ground,
    // "d..." a drop, "p..." (channel 0 only) the animal's own call.
    void notify(uint32_t kind, zba_value_t value, uint32_t channel) override;
    // The sound events of info items (kind 6).
    void on_sound_event(const char *text, uint32_t channel);

    // The level after a visibility pass at zoom-corrected squared camera distance d:
    // 2 goes to 3 below 35², 3 to 2 above 85², 0 to 2 at 35² or beyond and to 3
    // nearer.
    static int32_t next_detail_level(int32_t level, float d);
    // The footstep sound for the surface substance and a uniform r.
    static sound_t footstep_sound(int32_t substance, float r);
    // Substances that take footprints.
    static bool takes_footprints(int32_t substance);
    // The blood trail kind's name: gore on or off ("g_gore").
    static const char *blood_trail_name(bool gore) { return gore ? "blood_trail" : "nogore_blood_trail"; }

    // ---- state (read by tests, cameras and the AI) ----
    int32_t get_detail_level() const { return m_detail; }
    bool is_near_sound() const { return m_near_sound; }
    const quat_t &get_target_rotation() const { return m_target_rotation; }
    float get_radius() const { return m_radius; }
    float get_step_height() const { return m_step_height; }
    float get_front_distance() const { return m_front_distance; }
    float get_back_distance() const { return m_back_distance; }
    bool is_dangerous() const { return m_dangerous; }
    float get_score() const { return m_score; }
    float get_weight() const { return m_weight; }
    const char *get_species_name() const { return m_species_name.c_str(); }
    const array_dyn_t<float> &get_species_interaction() const { return m_interaction; }
    int32_t get_root_bone() const { return m_root_bone; }
    int32_t get_steam_bone() const { return m_steam_bone; }
    int32_t get_head_bone() const { return m_head_bone; }
    float get_spoor_distance() const { return m_spoor_distance; }
    float get_walked() const { return m_walked; }
    int32_t get_footprint_trail() const { return m_footprint_trail; }
    int32_t get_blood_trail() const { return m_blood_trail; }
    int32_t get_part_index(uint32_t row) const { return row < PART_ROWS ? m_parts[row] : -1; }
    int32_t get_hull_part() const { return m_hull_part; }
    const animal_hit_factors_t &get_hit_factors(uint32_t row) const { return m_hit[row < PART_ROWS ? row : 0]; }
    // The ground under the body: the ground's height, the top (a water surface) and the
    // height of the top above the ground (lowest float for none), the substance.
    float get_ground_height() const { return m_ground_height; }
    float get_height_above_ground() const { return m_height_above_ground; }
    int32_t get_surface() const { return m_surface; }
    particle_set_u *get_breath() const { return m_breath.get(); }
    particle_set_u *get_step_sand() const { return m_step_sand.get(); }
    particle_set_u *get_step_dirt() const { return m_step_dirt.get(); }
    sound_u *get_sound(uint32_t slot) const;
    decal_mesh_t *get_shadow() const { return m_shadow.get(); }
    c_item_t *get_instance() const { return m_instance.get(); }
    zba_inst_t *get_zba() const { return m_instance ? zba_inst_t::of(m_instance.get()) : nullptr; }
    model_object_u *get_model() const;

protected:
    // The generator of every draw of the body: the AI world's once set up.
    randomizer_t &random() { return m_random ? *m_random : m_own_random; }
    ai_world_t *get_world() const { return m_world; }
    // The particles (wind, update) and the breath timer; the step dust is placed
    // with the breath.
    void update_particles(float dt);
    void update_step_dust();
    void hide_step_dust();
    // A footprint near the position (a print of the footprint trail), the toggle
    // flips; nothing in screensaver mode, off the ground or on a surface that takes
    // no prints.
    void place_footprint();
    // A blood mark (of the blood trail) near the position; final marks the death.
    void place_blood_mark(bool final);
    // The blob shadow, cut from the landscape under the body.
    void make_shadow();
    // The body's model-space to world matrix (scale, rotation, position).
    placement_scale_t body_placement() const { return placement_scale_t(m_position, m_scale, m_rotation); }
    // The world position of a bone's origin, false without the bone.
    bool bone_world_position(int32_t bone, vec3_t *out) const;
    // Plays a sound of the table at the body's position (one the kernel did not make
    // is skipped); only_when_idle leaves one that plays alone.
    void play_sound(uint32_t slot, bool only_when_idle);

    // ---- body ----
    mstring_dyn_t m_name{"unnamed"};
    ai_world_t *m_world = nullptr;
    randomizer_t *m_random = nullptr;
    randomizer_t m_own_random{1};
    c_item_ptr_t m_instance;  // zba_inst_u
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<fw4pp_light_modulator_u> m_tint_packet;
    float m_radius = 0.0f;  // h, the bounding sphere's about the position
    vec3_t m_box_min, m_box_max;
    float m_front_distance = 0.0f;
    float m_back_distance = 0.0f;
    float m_step_height = 0.0f;
    bool m_dangerous = false;
    float m_score = 0.0f;
    float m_weight = 0.0f;
    float m_score_max = 1.0f;
    float m_score_ratio = 0.0f;
    int32_t m_species_index = 0;
    int32_t m_gender_index = 0;
    mstring_dyn_t m_species_name;
    array_dyn_t<float> m_interaction;
    int32_t m_root_bone = -1;
    int32_t m_steam_bone = -1;
    int32_t m_head_bone = -1;
    // Ground.
    vec3_t m_probe_position;
    float m_ground_height;
    float m_top_height;
    float m_height_above_ground;
    int32_t m_surface = 0;
    vec3_t m_ground_normal{0.0f, 1.0f, 0.0f};
    float m_light = 1.0f;  // the tint of the last draw
    // Placement.
    vec3_t m_position;
    float m_scale = 1.0f;
    quat_t m_rotation;
    quat_t m_target_rotation;
    vec3_t m_facing{0.0f, 0.0f, -1.0f};
    int32_t m_detail = DETAIL_NEAR;
    bool m_near_sound = false;
    // Particles.
    owner_ptr_t<particle_set_u> m_breath;
    owner_ptr_t<particle_set_u> m_step_sand;
    owner_ptr_t<particle_set_u> m_step_dirt;
    bool m_particles_enabled = false;
    float m_breath_timer = 0.0f;
    // Sounds (sound_u).
    owner_ptr_t<unit_base_t> m_sounds[SOUND_COUNT];
    // Footprints and blood.
    float m_spoor_distance = NO_FOOTPRINTS;
    float m_walked = 0.0f;
    int32_t m_footprint_trail = -1;
    int32_t m_blood_trail = -1;
    bool m_left_print = false;
    // Shadow.
    std::unique_ptr<decal_mesh_t> m_shadow;
    c_item_t *m_shadow_material = nullptr;  // counted
    bool m_shadow_material_tried = false;
    // Parts.
    int32_t m_parts[PART_ROWS];
    int32_t m_hull_part = -1;
    animal_hit_factors_t m_hit[PART_ROWS];

private:
    bool setup_model(const ai_animal_setup_t &setup);
    void setup_sounds(const ai_animal_setup_t &setup);
    void setup_trails(const def_obj_t &kind);
    void setup_parts(const def_obj_t &kind);
    owner_ptr_ret_t<particle_set_u> load_particles(const char *path);
};

}  // namespace quarn
