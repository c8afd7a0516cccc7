// The live animal's body: construction and set-up (docs/animal-ai.md, "Live animals").
// The per-frame work is in animal_body.cpp.
#include "game/ai/animals/animal_base.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "game/ai/mind/ai_world.h"
#include "game/ai/animals/species_interaction.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/effects/bits.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "kernel/console/cvars.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load_tree.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

const char *const animal_base_t::SOUND_KEYS[SOUND_COUNT] = {
    "s_dirt1",  "s_dirt2",  "s_grass1", "s_grass2", "s_lvs1",   "s_lvs2",    "s_snow1",
    "s_snow2",  "s_water1", "s_water2", "s_drop1",  "s_drop2",  "s_specific"};

// Row name, hit-zone text, required, then impact absorption, travel absorption,
// impact damage, travel damage, vital, instant.
const animal_part_row_t animal_base_t::PART_TABLE[PART_ROWS] = {
    {"male", "@@az_nothit@@", true, {50, 650, 5, 20, false, false}},
    {"female", "@@az_nothit@@", false, {50, 650, 5, 20, false, false}},
    {"young", "@@az_nothit@@", false, {50, 650, 5, 20, false, false}},
    {"ptail", "@@az_nothit@@", false, {50, 650, 5, 20, false, false}},
    {"pc_lungs", "@@az_lungs@@", true, {200, 100, 30, 15, true, false}},
    {"pc_bowls", "@@az_nothit@@", true, {100, 600, 20, 15, false, false}},
    {"pc_lf_leg", "@@az_nothit@@", true, {200, 200, 5, 10, false, false}},
    {"pc_rf_leg", "@@az_nothit@@", true, {200, 200, 5, 10, false, false}},
    {"pc_lr_leg", "@@az_nothit@@", true, {800, 1200, 5, 10, false, false}},
    {"pc_rr_leg", "@@az_nothit@@", true, {800, 1200, 5, 10, false, false}},
    {"pc_butt", "@@az_nothit@@", false, {2000, 1000, 5, 20, false, false}},
    {"pc_head", "@@az_head@@", true, {300, 400, 40, 40, true, true}},
    {"pc_heart", "@@az_heart@@", true, {300, 1400, 60, 100, true, true}},
    {"pc_spine", "@@az_spine@@", true, {400, 1500, 90, 100, true, true}},
    {"pc_brain", "@@az_head@@", true, {300, 2000, 90, 100, true, true}},
};

namespace {

// Sound sources: volume, minimum and maximum distance; the call carries farther.
constexpr float SOUND_VOLUME = 0.8f;
constexpr float SOUND_MIN_DISTANCE = 5.0f;
constexpr float SOUND_MAX_DISTANCE = 120.0f;
constexpr float CALL_MAX_DISTANCE = 320.0f;
// Positional sounds of the game's own tag.
constexpr uint32_t SOUND_FLAGS = sound_u::POSITIONAL;
constexpr int32_t SOUND_TAG = 10;
// Body proportions: the probes 0.4 of the box's depth before and behind the centre;
// a step up of 0.566 of its height.
constexpr float PROBE_SHARE = 0.4f;
constexpr float STEP_SHARE = 0.566f;

// The real of key, or fallback.
float real_or(const def_obj_t &block, const char *key, float fallback) {
    float v = fallback;
    return block.get_real(key, v) ? v : fallback;
}

}  // namespace

animal_base_t::animal_base_t()
    : m_probe_position{FLT_MAX, FLT_MAX, FLT_MAX},
      m_ground_height(-FLT_MAX),
      m_top_height(-FLT_MAX),
      m_height_above_ground(-FLT_MAX) {
    for (int32_t &p : m_parts) p = -1;
    for (uint32_t i = 0; i < PART_ROWS; ++i) m_hit[i] = PART_TABLE[i].factors;
    // The packets the model is drawn with; the particle sets come with the set-up.
    if (unit_system_t *system = unit_system_t::get_default()) {
        m_model_packet = fw4pp_model_u::create(system);
        m_tint_packet = fw4pp_light_modulator_u::create(system);
    }
}

animal_base_t::~animal_base_t() {
    // The instance reports to this animal: it goes first.
    if (zba_inst_t *inst = get_zba()) inst->set_listener(nullptr);
    m_instance.release();
    for (owner_ptr_t<unit_base_t> &s : m_sounds) s.reset();
    m_breath.reset();
    m_step_sand.reset();
    m_step_dirt.reset();
    m_shadow.reset();
    if (m_shadow_material) m_shadow_material->release_ref();
    m_packets.clear();
    m_tint_packet.reset();
    m_model_packet.reset();
}

void animal_base_t::set_name(const char *name) { m_name.copy(name ? name : "unnamed"); }

model_object_u *animal_base_t::get_model() const {
    zba_inst_t *inst = get_zba();
    return inst ? inst->get_model() : nullptr;
}

sound_u *animal_base_t::get_sound(uint32_t slot) const {
    if (slot >= SOUND_COUNT) return nullptr;
    unit_base_t *unit = m_sounds[slot].get();
    return unit && unit->is_alive() ? static_cast<sound_u *>(unit) : nullptr;
}

float animal_base_t::get_species_relation(int32_t species_index) const {
    return species_interaction_of(m_interaction, species_index);
}

vec3_t animal_base_t::get_head_offset(vec3_t *head) const {
    vec3_t at;
    if (m_head_bone >= 0 && bone_world_position(m_head_bone, &at)) {
        if (head) *head = at;
    } else if (head) {
        *head = fallback_head_point(m_position, m_rotation, m_radius);
    }
    return m_position;
}

bool animal_base_t::bone_world_position(int32_t bone, vec3_t *out) const {
    model_object_u *model = get_model();
    mat4_t m;
    if (!model || bone < 0 || uint32_t(bone) >= model->get_bone_count() || !model->get_bone_matrix(uint32_t(bone), &m))
        return false;
    *out = body_placement().from_local_space(vec3_t{m.m[3], m.m[7], m.m[11]});
    return true;
}

owner_ptr_ret_t<particle_set_u> animal_base_t::load_particles(const char *path) {
    owner_ptr_ret_t<particle_set_u> set = load_unit_tree<particle_set_u>(path);
    if (!set) return set;
    set->attach_to(nullptr, placement_t(m_position, quat_t()), true);
    if (base_ctrl_u *ctrl = get_current_ctrl())
        set->set_parameter_packets(ctrl->get_packet_set(scene_root_t::SHARED_PACKET_SET));
    set->set_visible(false);
    return set;
}

bool animal_base_t::setup(const ai_animal_setup_t &setup) {
    m_world = setup.world;
    if (m_world) m_random = &m_world->get_random();
    const def_obj_t *entry = setup.entry;
    const def_obj_t *gender = setup.gender;
    if (!entry || !gender) return false;

    // Placement.
    if (!entry->get_point("position", m_position)) return false;
    vec3_t facing{0.0f, 0.0f, -1.0f};
    if (entry->get_point("orientation", facing) && length_squared(facing) > vec_traits_t<float>::EPSILON)
        m_facing = normalized(facing);
    m_rotation.set_cartes(m_facing);
    m_target_rotation = m_rotation;
    float scale = 1.0f;
    if (entry->get_real("scale", scale)) m_scale *= scale;
    if (gender->get_real("scale", scale)) m_scale *= scale;

    const char *model = gender->get_value("model");
    if (!model || !*model) {
        error("[ai] gamedef pool has no animal model !");
        return false;
    }
    bool dangerous = false;
    gender->get_bool("dangerous", dangerous);
    m_dangerous = dangerous;
    if (!entry->get_real("score", m_score)) {
        error("[ai] cannot get animal (%s) score !", m_name.c_str());
        m_score = 0.0f;
    }
    if (!entry->get_real("weight", m_weight)) {
        error("[ai] cannot get animal (%s) weight !", m_name.c_str());
        m_weight = 0.0f;
    }

    const def_obj_t *kind = setup.species;
    if (!kind) {
        error("[ai] Cannot find species object for %s", setup.species_name ? setup.species_name : "");
        return false;
    }
    m_species_name.copy(setup.species_name ? setup.species_name : "");
    m_score_max = real_or(*kind, "score_max", 1.0f);
    int32_t gender_value = 0;
    gender->get_int("gender", gender_value);
    // The gender picks one of the three hull parts (male, female, young).
    if (gender_value < 1 || gender_value > 3) {
        error("[ai] animal (%s) has an invalid gender (%i): 1 male, 2 female or 3 young", m_name.c_str(),
              gender_value);
        return false;
    }
    m_gender_index = gender_value - 1;
    int32_t index = 0;
    kind->get_int("index", index);
    m_species_index = index;
    m_score_ratio = m_score_max != 0.0f ? m_score / m_score_max : 0.0f;
    species_interaction_read(kind->get_value("species_interaction"), m_interaction);

    setup_sounds(setup);
    setup_trails(*kind);
    setup_model(setup);
    m_step_sand = load_particles(STEP_SAND_PARTICLES);
    m_step_dirt = load_particles(STEP_DIRT_PARTICLES);
    m_particles_enabled = true;
    setup_parts(*kind);
    return true;
}

void animal_base_t::setup_sounds(const ai_animal_setup_t &setup) {
    for (uint32_t i = 0; i < SOUND_COUNT; ++i) {
        const char *key = SOUND_KEYS[i];
        const char *path = setup.gender->get_value(key);
        if (!path && setup.species) path = setup.species->get_value(key);
        if (!path || !*path) {
            message("[ai] no defined sound (%s) for (%s:%s)", key, setup.species_name, setup.gender_name);
            continue;
        }
        // The kernel makes no sound without its unit system: the animal goes on
        // without this one.
        sound_u *sound = snd_create(path, SOUND_FLAGS, SOUND_TAG);
        if (!sound) {
            error("[ai] cannot find sound (%s)", path);
            continue;
        }
        sound->attributes.volume = SOUND_VOLUME;
        sound->attributes.min_distance = SOUND_MIN_DISTANCE;
        sound->attributes.max_distance = i == SOUND_SPECIFIC ? CALL_MAX_DISTANCE : SOUND_MAX_DISTANCE;
        sound->set_flag(sound_u::CHANGED, true);
        m_sounds[i].reset(sound);
    }
}

void animal_base_t::setup_trails(const def_obj_t &kind) {
    m_spoor_distance = m_scale * real_or(kind, "spoor_dist", 0.0f);
    m_walked = random().rand() * m_spoor_distance;
    base_ctrl_u *ctrl = get_current_ctrl();
    bits_t *bits = ctrl ? ctrl->get_bits() : nullptr;
    const char *trail = kind.get_dvalue("trail_type", "");
    m_footprint_trail = bits ? bits->find_trail(trail) : -1;
    if (m_footprint_trail < 0) {
        message("[ai] cannot get animal trail (%s)", trail);
        m_spoor_distance = NO_FOOTPRINTS;
    }
    // A spoor distance of 0 or less would print for ever in one step: no prints.
    if (!(m_spoor_distance > 0.0f)) m_spoor_distance = NO_FOOTPRINTS;
    if (m_spoor_distance == NO_FOOTPRINTS) m_walked = 0.0f;
    const cvar_t *gore = cvar_get("g_gore");
    m_blood_trail = bits ? bits->find_trail(blood_trail_name(!gore || gore->get_int() != 0)) : -1;
}

bool animal_base_t::setup_model(const ai_animal_setup_t &setup) {
    const char *path = setup.gender->get_value("model");
    m_instance = zba_inst_create(path, setup.gender->get_value("look"), setup.gender->get_value("variant"), this,
                                 CHANNELS);
    model_object_u *model = get_model();
    if (!model) {
        error("[ai] couldn't create animal '%s'", path);
        return false;
    }
    if (base_ctrl_u *ctrl = get_current_ctrl())
        if (const r_parameter_array_t *shared = ctrl->get_packet_set(scene_root_t::SHARED_PACKET_SET))
            for (uint32_t slot = 0; slot < r_parameter_array_t::SLOTS; ++slot) m_packets.set(slot, shared->get(slot));
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());
    m_packets.set(FW_SLOT_LIGHT_MODULATOR, m_tint_packet.get());
    model_packets_for_all_t all(&m_packets);
    model->apply_materials(&all);
    model->set_packets(&m_packets, m_model_packet.get());
    model->set_placement_mode(MODEL_PLACE_BY_MATRIX);

    // Bones.
    m_root_bone = model->find_bone_by_name("root");
    if (m_root_bone < 0) error("[ai] [%s] cannot find root bone '%s'", path, "root");
    m_steam_bone = model->find_bone_by_name("steam");
    if (m_steam_bone < 0)
        message("[ai] [%s] cannot find steam bone '%s'", path, "steam");
    else
        m_breath = load_particles(BREATH_PARTICLES);
    m_head_bone = model->find_bone_by_name("head");
    if (m_head_bone < 0) message("[ai] [%s] cannot find head bone '%s'", path, "head");

    // Size.
    const sphere_t sphere = model->get_geom()->get_bounding_sphere(-1);
    m_radius = (length(sphere.center) + sphere.radius) * m_scale;
    const aabox_t box = model->get_geom()->get_bounding_box(-1);
    m_box_min = box.min * m_scale;
    m_box_max = box.max * m_scale;
    const float depth = m_box_max.z - m_box_min.z;
    m_front_distance = PROBE_SHARE * depth;
    m_back_distance = -PROBE_SHARE * depth;
    m_step_height = STEP_SHARE * (m_box_max.y - m_box_min.y);
    return true;
}

void animal_base_t::setup_parts(const def_obj_t &kind) {
    model_object_u *model = get_model();
    model_geom_u *geom = model ? model->get_geom() : nullptr;
    char key[96];
    for (uint32_t row = 0; row < PART_ROWS; ++row) {
        const animal_part_row_t &r = PART_TABLE[row];
        m_parts[row] = geom ? geom->find_part(r.part) : -1;
        if (m_parts[row] < 0 && r.required && geom) error("[ai] cannot find required animal part (%s)", r.part);
        // The kind scales the row's factors and may replace its flags.
        animal_hit_factors_t &f = m_hit[row];
        f = r.factors;
        const struct {
            const char *suffix;
            float *value;
        } factors[] = {{"impact_absorption", &f.impact_absorption},
                       {"travel_absorption", &f.travel_absorption},
                       {"impact_damage", &f.impact_damage},
                       {"travel_damage", &f.travel_damage}};
        for (const auto &x : factors) {
            snprintf(key, sizeof key, "%s_%s", r.part, x.suffix);
            *x.value *= real_or(kind, key, 1.0f);
        }
        snprintf(key, sizeof key, "%s_vital", r.part);
        kind.get_bool(key, f.vital);
        snprintf(key, sizeof key, "%s_instant", r.part);
        kind.get_bool(key, f.instant);
    }
    m_hull_part = m_parts[m_gender_index];
    if (m_hull_part < 0 && geom) error("[ai] missing hull part (%s)", PART_TABLE[m_gender_index].part);
}

}  // namespace quarn
