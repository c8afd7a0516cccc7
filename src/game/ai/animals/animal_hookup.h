#pragma once
// The hookup units that describe a round target's animal kind (docs/animal-bodies.md).
// "/script/hookup/1_animals.unit" includes, per species, "animals/<species>/animal.sui",
// which includes the per-gender "desc.sui", "animal_parts.sui" and
// "animal_antlers.sui". Four classes carry the description (unit files name them
// without "_u"):
// - animal_model_desc_u: the model, its behaviours, hit zones, antlers and settings;
// - animal_part_u: one hit zone (the hunt's vital_part_t);
// - animal_antler_u: one trophy antler set;
// - animal_runtime_u: the animal's sounds and their playback.
// Descriptions are found by unit name, e.g. "whitetail.male.animal.model.desc".
#include <cstdint>

#include "game/hunt/vital_part.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class sound_u;
class zba_listener_t;
class zba_inst_t;
class voiceover_table_u;

// The required behaviours of every animal description, by code (the index of the
// table that other code passes to play behaviour). Trail segments use 0-3, hit zones
// 4-7.
enum animal_behavior_code_t : uint32_t {
    ANIMAL_WALK = 0,
    ANIMAL_GALLOP = 1,
    ANIMAL_GALLOP_LEAP = 2,
    ANIMAL_ATTACK_HUNTER = 3,
    ANIMAL_HEADSHOT = 4,
    ANIMAL_HEARTSHOT = 5,
    ANIMAL_LUNGSHOT = 6,
    ANIMAL_HIT = 7,
    ANIMAL_REQUIRED_BEHAVIORS = 8,
};
// The behaviour's name for a code ("walk" ... "hit"); null past the table.
const char *animal_required_behavior_name(uint32_t code);
// The code of the required behaviour named exactly (case-sensitive) name, or -1.
int32_t animal_required_behavior_code(const char *name);

// The animal's sounds ("animal_runtime"): a drop sound, a looping run sound with three
// slots, and an animal call that plays at most once every 3 s of system time.
class animal_runtime_u : public unit_t {
    QRN_UNIT_CLASS(animal_runtime_u, unit_t);

public:
    static constexpr uint32_t RUN_SOUND_SLOTS = 3;
    static constexpr uint32_t SOUND_DROP = 0;
    static constexpr uint32_t SOUND_ANIMAL = 1;
    // The shortest time between two accepted animal-sound requests, in seconds.
    static constexpr double ANIMAL_SOUND_PAUSE = 3.0;

    // Plays drop_sound (kind 0) or animal_sound (kind 1, at most every 3 s; the time is
    // taken on acceptance) once at position; other kinds and empty names play nothing.
    // True when a sound was started (a sound the kernel cannot make is skipped).
    bool play_oneshot(uint32_t kind, const vec3_t &position);
    // A new looping run sound in the first empty slot: the slot, or -1 when all are
    // taken (or the kernel made no sound).
    int32_t take_run_sound_slot();
    // Stops and lets go the slot's sound; -1 and empty slots are ignored.
    void release_run_sound_slot(int32_t index);
    // The slot's live sound, or null (also for -1).
    sound_u *get_run_sound(int32_t index) const;

    bool _call_post_load() override;

    mstring_dyn_t drop_sound{"/sound/animal/drop.ogg"};
    mstring_dyn_t run_sound{"/sound/animal/loop_8hoofs.ogg"};
    mstring_dyn_t animal_sound;

protected:
    void on_destroy();

private:
    owner_ptr_t<unit_base_t> m_run_sounds[RUN_SOUND_SLOTS];  // sound_u
    double m_last_animal_sound = -3.4028234663852886e38;
};

// One trophy antler set ("animal_antler"). A description's antler units are templates:
// create_model_instance makes the drawable copy an animal carries.
class animal_antler_u : public unit_t {
    QRN_UNIT_CLASS(animal_antler_u, unit_t);

public:
    // A clone of this antler with its model built (own model and tint packets; the
    // scene's shared packets in slots 0, 2, 3 when a provider is installed), for the
    // caller to own (its owner's release destroys it and lets its resources go); null,
    // logged "Failed to create model look (%s) variant (%s)", when no model can be
    // made.
    owner_ptr_ret_t<animal_antler_u> create_model_instance() const;
    // Draws the instance's model at matrix (model space to world) with a uniform tint
    // (tint, tint, tint, 1). Nothing without a model.
    void draw_at(const mat4_t &matrix, float tint);
    // Draws it at a bone of a model drawn at model_matrix; nothing for a bone the
    // model does not have (negative, past its bones, or no matrix).
    void draw_at_bone(model_object_u *model, int32_t bone, const mat4_t &model_matrix, float tint);
    model_object_u *get_model() const { return m_object.get(); }
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }
    fw4pp_light_modulator_u *get_tint_packet() const { return m_tint_packet.get(); }

    // A missing model_desc fails the load: "Failed to load model_desc".
    bool _call_post_load() override;

    unit_resource_slot_t model_desc;  // model_desc_u (".zmd")
    uint64_t model_look = 0;
    uint64_t model_variant = 0;
    uint32_t score_reward = 0;
    bool monster_trophy = false;

protected:
    void on_destroy();

private:
    bool build_model();

    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<fw4pp_light_modulator_u> m_tint_packet;
    owner_ptr_t<model_object_u> m_object;
};

// One hit zone of an animal ("animal_part"). Its model part, bone and behaviour code
// are resolved by the description's post-load (-1 until then, or when unknown).
class animal_part_u : public unit_t, public vital_part_t {
    QRN_UNIT_CLASS(animal_part_u, unit_t);

public:
    uint32_t get_fever_reward() const override { return fever_reward; }
    voiceover_table_u *get_voice_table() const override;

    // The model part index of part_name, the bone of bone_name, the required-behaviour
    // code of behavior_name.
    int32_t get_piece_index() const { return m_piece; }
    int32_t get_bone_index() const { return m_bone; }
    int32_t get_behavior_code() const { return m_behavior; }
    void set_resolved(int32_t piece, int32_t bone, int32_t behavior) {
        m_piece = piece;
        m_bone = bone;
        m_behavior = behavior;
    }

    mstring_dyn_t part_name;
    mstring_dyn_t bone_name;
    mstring_dyn_t behavior_name;
    ref_ptr_t<unit_base_t> voice_table;  // voiceover_table_u
    unit_resource_slot_t hud_icon;       // material
    uint32_t fever_reward = 0;
    uint32_t score_reward = 0;
    bool immune = false;

protected:
    bool _clone_finish(unit_base_t *target);

private:
    int32_t m_piece = -1;
    int32_t m_bone = -1;
    int32_t m_behavior = -1;
};

// The description of one animal kind and gender ("animal_model_desc").
class animal_model_desc_u : public unit_t {
    QRN_UNIT_CLASS(animal_model_desc_u, unit_t);

public:
    enum gender_t : int32_t { GENDER_MALE = 0, GENDER_FEMALE = 1, GENDER_YOUNG = 2 };
    enum type_t : int32_t { TYPE_HARMLESS = 0, TYPE_DANGEROUS = 1, TYPE_AMBIENT = 2 };
    // Channels of a round target's animation instance.
    static constexpr uint32_t ZBA_CHANNELS = 2;

    // A new animation instance of the behaviour file (look and variant as text), with
    // the listener (may be null) and 2 channels; null, logged "Failed to load zba
    // '%s'", when it cannot be made.
    c_item_ptr_t create_zba_inst(zba_listener_t *listener) const;
    // The behaviour number of a required-behaviour code (0-7; others abort as an index
    // out of bounds).
    int32_t get_behavior_index(uint32_t code) const;
    // Any behaviour of the file by exact name ("call"); negative when absent.
    int32_t find_behavior(const char *name) const;
    // True when any ragdoll file name is not empty.
    bool has_ragdoll() const;
    uint32_t get_part_count() const { return parts.get_count(); }
    animal_part_u *get_part(uint32_t index) const;
    uint32_t get_antler_count() const { return antlers.get_count(); }
    animal_antler_u *get_antler(uint32_t index) const;
    // The resolved bone of each antler bone name (-1 when the skeleton lacks it).
    uint32_t get_antler_bone_count() const { return m_antler_bones.get_count(); }
    int32_t get_antler_bone(uint32_t index) const { return m_antler_bones[index]; }
    animal_runtime_u *get_runtime() const;
    // The description's own animation instance (made by the post-load), for lookups.
    zba_inst_t *get_zba() const;

    // The checks: the eight required behaviours ("%s: Missing required behaviors"),
    // the parts' lookups, the antler lists ("No antler_bone_names found", "No linked
    // animal_antler objects found").
    bool _call_post_load() override;

    mstring_dyn_t spawn_voiceover;
    mstring_dyn_t filename;  // ".zba"
    uint64_t look = 0;
    uint64_t variant = 0;
    float scale = 1.0f;
    float animation_speed = 1.0f;
    uint32_t hit_points = 1;
    array_dyn_t<mstring_dyn_t> ragdoll_lod_filename;
    int32_t gender = GENDER_MALE;
    int32_t type = TYPE_HARMLESS;
    bool ground_based = true;
    vec2_t shadow_dimensions{1.0f, 1.0f};
    unit_resource_slot_t shadow_material;
    array_dyn_t<ref_ptr_t<unit_base_t>> parts;  // animal_part_u
    bool has_antlers = false;
    array_dyn_t<mstring_dyn_t> antler_bone_names;
    array_dyn_t<ref_ptr_t<unit_base_t>> antlers;  // animal_antler_u
    uint32_t score_reward = 0;
    owner_ptr_t<unit_base_t> runtime;  // animal_runtime_u

protected:
    void on_construct();
    void on_destroy();
    bool _clone_finish(unit_base_t *target);

private:
    bool resolve();

    c_item_ptr_t m_zba;
    array_dyn_t<int32_t> m_behaviors;
    array_dyn_t<int32_t> m_antler_bones;
};

}  // namespace quarn
