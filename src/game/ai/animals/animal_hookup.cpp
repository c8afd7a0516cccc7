#include "game/ai/animals/animal_hookup.h"

#include <cstring>

#include "game/ai/antlers/antler_units.h"
#include "game/ai/zba/zba_bind.h"
#include "game/ai/zba/zba_inst.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "game/voiceover/voiceover.h"
#include "game/one_shot_sound.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "kernel/sys.h"
#include "outside/qrnshared/material.h"
#include "qrncore/collections/arrays/array_check.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr const char *required_names[ANIMAL_REQUIRED_BEHAVIORS] = {
    "walk", "gallop", "gallop_leap", "attack_hunter", "headshot", "heartshot", "lungshot", "hit",
};

constexpr unit_enum_symbol_t gender_by_value[] = {
    {animal_model_desc_u::GENDER_MALE, "GENDER_male"},
    {animal_model_desc_u::GENDER_FEMALE, "GENDER_female"},
    {animal_model_desc_u::GENDER_YOUNG, "GENDER_young"},
};
constexpr unit_enum_symbol_t gender_by_name[] = {
    {animal_model_desc_u::GENDER_FEMALE, "GENDER_female"},
    {animal_model_desc_u::GENDER_MALE, "GENDER_male"},
    {animal_model_desc_u::GENDER_YOUNG, "GENDER_young"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM> gender_domain{{0, 3, gender_by_value, gender_by_name}};
constexpr unit_enum_symbol_t type_by_value[] = {
    {animal_model_desc_u::TYPE_HARMLESS, "TYPE_harmless"},
    {animal_model_desc_u::TYPE_DANGEROUS, "TYPE_dangerous"},
    {animal_model_desc_u::TYPE_AMBIENT, "TYPE_ambient"},
};
constexpr unit_enum_symbol_t type_by_name[] = {
    {animal_model_desc_u::TYPE_AMBIENT, "TYPE_ambient"},
    {animal_model_desc_u::TYPE_DANGEROUS, "TYPE_dangerous"},
    {animal_model_desc_u::TYPE_HARMLESS, "TYPE_harmless"},
};
constexpr unit_attr_t<UNIT_ATTR_ENUM> type_domain{{0, 3, type_by_value, type_by_name}};

constexpr unit_attr_t<UNIT_ATTR_RESOURCE> model_desc_domain{{&model_desc_u::unit_descriptor, 0, nullptr}};
constexpr unit_attr_t<UNIT_ATTR_RESOURCE> material_domain{{&material_u::unit_descriptor, 0, nullptr}};
constexpr unit_attr_t<UNIT_ATTR_REF> voice_domain{{&voiceover_table_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> parts_domain{{&animal_part_u::unit_descriptor, 1}};
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> antlers_domain{{&animal_antler_u::unit_descriptor, 1}};
constexpr unit_attr_t<UNIT_ATTR_OWNER> runtime_domain{{&animal_runtime_u::unit_descriptor, 0}};

// Sound set-ups: one-shots are positional in the hunt's tag, run sounds loop.
constexpr uint32_t ONESHOT_FLAGS = 1;
constexpr uint32_t RUN_SOUND_FLAGS = 3;
constexpr int32_t SOUND_TAG = 10;
constexpr float ONESHOT_VOLUME = 0.8f;

// A token as text for the model and behaviour lookups; the empty token is "default".
mstring_dyn_t token_text(uint64_t token) {
    mstring_dyn_t text;
    if (token == 0 || !token_to_string(text, token) || text.is_empty()) text = "default";
    return text;
}

}  // namespace

QRN_UNIT_DEFINE(animal_runtime_u, "animal_runtime", QRN_ATTR(drop_sound, UNIT_ATTR_STRING, "drop_sound"),
                QRN_ATTR(run_sound, UNIT_ATTR_STRING, "run_sound"),
                QRN_ATTR(animal_sound, UNIT_ATTR_STRING, "animal_sound"));
QRN_UNIT_DEFINE(animal_antler_u, "animal_antler",
                QRN_ATTR(model_desc, UNIT_ATTR_RESOURCE, "model_desc", &model_desc_domain),
                QRN_ATTR(model_look, UNIT_ATTR_TOKEN, "model_look"),
                QRN_ATTR(model_variant, UNIT_ATTR_TOKEN, "model_variant"),
                QRN_ATTR(score_reward, UNIT_ATTR_UINT32_PLAIN, "score_reward"),
                QRN_ATTR(monster_trophy, UNIT_ATTR_BOOL, "monster_trophy"));
QRN_UNIT_DEFINE(animal_part_u, "animal_part", QRN_ATTR(part_name, UNIT_ATTR_STRING, "part_name"),
                QRN_ATTR(bone_name, UNIT_ATTR_STRING, "bone_name"),
                QRN_ATTR(behavior_name, UNIT_ATTR_STRING, "behavior_name"),
                QRN_ATTR(voice_table, UNIT_ATTR_REF, "voice_table", &voice_domain),
                QRN_ATTR(hud_icon, UNIT_ATTR_RESOURCE, "hud_icon", &material_domain),
                QRN_ATTR(fever_reward, UNIT_ATTR_UINT32_PLAIN, "fever_reward"),
                QRN_ATTR(score_reward, UNIT_ATTR_UINT32_PLAIN, "score_reward"),
                QRN_ATTR(immune, UNIT_ATTR_BOOL, "immune"));
QRN_UNIT_DEFINE(animal_model_desc_u, "animal_model_desc",
                QRN_ATTR(spawn_voiceover, UNIT_ATTR_STRING, "spawn_voiceover"),
                QRN_ATTR(filename, UNIT_ATTR_STRING, "filename"), QRN_ATTR(look, UNIT_ATTR_TOKEN, "look"),
                QRN_ATTR(variant, UNIT_ATTR_TOKEN, "variant"), QRN_ATTR(scale, UNIT_ATTR_FLOAT, "scale"),
                QRN_ATTR(animation_speed, UNIT_ATTR_FLOAT, "animation_speed"),
                QRN_ATTR(hit_points, UNIT_ATTR_UINT32_PLAIN, "hit_points"),
                QRN_ATTR(ragdoll_lod_filename, UNIT_ATTR_STRING_ARRAY, "ragdoll_lod_filename"),
                QRN_ATTR(gender, UNIT_ATTR_ENUM, "gender", &gender_domain),
                QRN_ATTR(type, UNIT_ATTR_ENUM, "type", &type_domain),
                QRN_ATTR(ground_based, UNIT_ATTR_BOOL, "ground_based"),
                QRN_ATTR(shadow_dimensions, UNIT_ATTR_VEC2, "shadow_dimensions"),
                QRN_ATTR(shadow_material, UNIT_ATTR_RESOURCE, "shadow_material", &material_domain),
                QRN_ATTR(parts, UNIT_ATTR_REF_ARRAY, "parts", &parts_domain),
                QRN_ATTR(has_antlers, UNIT_ATTR_BOOL, "has_antlers"),
                QRN_ATTR(antler_bone_names, UNIT_ATTR_STRING_ARRAY, "antler_bone_names"),
                QRN_ATTR(antlers, UNIT_ATTR_REF_ARRAY, "antlers", &antlers_domain),
                QRN_ATTR(score_reward, UNIT_ATTR_UINT32_PLAIN, "score_reward"),
                QRN_ATTR(runtime, UNIT_ATTR_OWNER, "runtime", &runtime_domain));

const char *animal_required_behavior_name(uint32_t code) {
    return code < ANIMAL_REQUIRED_BEHAVIORS ? required_names[code] : nullptr;
}

int32_t animal_required_behavior_code(const char *name) {
    if (!name) return -1;
    for (uint32_t i = 0; i < ANIMAL_REQUIRED_BEHAVIORS; ++i)
        if (strcmp(required_names[i], name) == 0) return int32_t(i);
    return -1;
}

// ---- animal_runtime_u ----

bool animal_runtime_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    for (owner_ptr_t<unit_base_t> &slot : m_run_sounds) slot.reset();
    return true;
}

void animal_runtime_u::on_destroy() {
    for (uint32_t i = 0; i < RUN_SOUND_SLOTS; ++i) release_run_sound_slot(int32_t(i));
}

bool animal_runtime_u::play_oneshot(uint32_t kind, const vec3_t &position) {
    const char *name = nullptr;
    if (kind == SOUND_DROP) {
        name = drop_sound.c_str();
    } else if (kind == SOUND_ANIMAL) {
        const double now = sys_get_time();
        if (now - m_last_animal_sound < ANIMAL_SOUND_PAUSE) return false;
        m_last_animal_sound = now;
        name = animal_sound.c_str();
    }
    if (!name || !*name) return false;
    base_ctrl_u *ctrl = get_current_ctrl();
    // Null when the kernel could not make it: skipped.
    return play_one_shot_sound(name, {.flags = ONESHOT_FLAGS,
                                      .tag = SOUND_TAG,
                                      .volume = ONESHOT_VOLUME,
                                      .rate = ctrl ? ctrl->get_sound_time_scale(1.0f) : 1.0f,
                                      .position = position}) != nullptr;
}

int32_t animal_runtime_u::take_run_sound_slot() {
    for (uint32_t i = 0; i < RUN_SOUND_SLOTS; ++i) {
        if (m_run_sounds[i]) continue;
        sound_u *sound = _snd_create(run_sound.c_str(), RUN_SOUND_FLAGS, SOUND_TAG);
        if (!sound) return -1;
        m_run_sounds[i].reset(sound);
        return int32_t(i);
    }
    return -1;
}

void animal_runtime_u::release_run_sound_slot(int32_t index) {
    if (index < 0 || index >= int32_t(RUN_SOUND_SLOTS) || !m_run_sounds[index]) return;
    if (sound_u *sound = get_run_sound(index)) sound->set_flag(sound_u::PLAY_REQUESTED, false);
    m_run_sounds[index].reset();
}

sound_u *animal_runtime_u::get_run_sound(int32_t index) const {
    if (index < 0 || index >= int32_t(RUN_SOUND_SLOTS)) return nullptr;
    unit_base_t *unit = m_run_sounds[index].get();
    return unit && unit->is_alive() ? static_cast<sound_u *>(unit) : nullptr;
}

// ---- animal_antler_u ----

void animal_antler_u::on_destroy() {
    m_object.reset();
    m_packets.clear();
    m_tint_packet.reset();
    m_model_packet.reset();
}

bool animal_antler_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (!model_desc.value) {
        error("Failed to load model_desc");
        return false;
    }
    return true;
}

bool animal_antler_u::build_model() {
    // The tied description is loaded while the model is made (the model then holds
    // what it uses).
    model_desc_u *desc = unit_cast<model_desc_u>(model_desc.value);
    const bool held = desc && model_res_acquire(desc);
    m_model_packet = fw4pp_model_u::create(get_system());
    m_tint_packet = fw4pp_light_modulator_u::create(get_system());
    const mstring_dyn_t look_text = token_text(model_look);
    const mstring_dyn_t variant_text = token_text(model_variant);
    if (held && m_model_packet && m_tint_packet) {
        antler_fill_packets(m_packets, m_model_packet.get(), m_tint_packet.get());
        model_packets_for_all_t all(&m_packets);
        // An empty look or variant is the model's first (antler models may name none).
        const int32_t l = model_look ? desc->find_look(look_text.c_str()) : 0;
        const int32_t v = model_variant ? desc->find_variant(variant_text.c_str()) : 0;
        if (l >= 0 && v >= 0) m_object = desc->create_object(uint32_t(l), uint32_t(v), &all);
    }
    if (held) model_res_give_back(desc);
    if (!m_object || !m_object->is_loaded()) {
        error("Failed to create model look (%s) variant (%s)", look_text.c_str(), variant_text.c_str());
        m_object.reset();
        m_packets.clear();
        return false;
    }
    m_object->set_packets(&m_packets, m_model_packet.get());
    m_object->set_placement_mode(MODEL_PLACE_BY_MATRIX);
    return true;
}

owner_ptr_ret_t<animal_antler_u> animal_antler_u::create_model_instance() const {
    owner_ptr_t<unit_base_t> copy(const_cast<animal_antler_u *>(this)->clone());
    animal_antler_u *antler = unit_cast<animal_antler_u>(copy.get());
    if (!antler || !antler->build_model()) return {};  // the copy goes with its owner
    copy.release().take();
    return owner_ptr_ret_t<animal_antler_u>(antler);
}

void animal_antler_u::draw_at(const mat4_t &matrix, float tint) {
    if (!m_object) return;
    m_model_packet->matrix = matrix;
    if (!fptr_matrix_get_inverse(&m_model_packet->matrix_inv, &matrix)) m_model_packet->matrix_inv = mat4_t::identity();
    m_tint_packet->modulator = {tint, tint, tint, 1.0f};
    m_object->set_draw_matrix(matrix);
    m_object->draw();
}

void animal_antler_u::draw_at_bone(model_object_u *model, int32_t bone, const mat4_t &model_matrix, float tint) {
    mat4_t bone_matrix;
    if (!model || bone < 0 || uint32_t(bone) >= model->get_bone_count() ||
        !model->get_bone_matrix(uint32_t(bone), &bone_matrix))
        return;
    mat4_t world;
    mult_matrix_matrix(&world, bone_matrix, model_matrix);
    draw_at(world, tint);
}

// ---- animal_part_u ----

voiceover_table_u *animal_part_u::get_voice_table() const { return unit_cast<voiceover_table_u>(voice_table.get()); }

bool animal_part_u::_clone_finish(unit_base_t *target) {
    animal_part_u *copy = unit_cast<animal_part_u>(target);
    if (!copy) return false;
    copy->set_resolved(m_piece, m_bone, m_behavior);
    return true;
}

// ---- animal_model_desc_u ----

void animal_model_desc_u::on_construct() { runtime = animal_runtime_u::create(get_system()); }

void animal_model_desc_u::on_destroy() {
    m_zba.release();
    m_behaviors.clear();
    m_antler_bones.clear();
}

c_item_ptr_t animal_model_desc_u::create_zba_inst(zba_listener_t *listener) const {
    const mstring_dyn_t look_text = token_text(look);
    const mstring_dyn_t variant_text = token_text(variant);
    c_item_ptr_t item;
    if (!filename.is_empty())
        item = zba_inst_create(filename.c_str(), look_text.c_str(), variant_text.c_str(), listener, ZBA_CHANNELS);
    if (!item) error("Failed to load zba '%s'", filename.c_str());
    return item;
}

int32_t animal_model_desc_u::get_behavior_index(uint32_t code) const {
    if (code >= m_behaviors.get_count()) array_index_check_failed(__LINE__);
    return m_behaviors[code];
}

int32_t animal_model_desc_u::find_behavior(const char *name) const {
    zba_inst_t *inst = get_zba();
    if (!inst || !name) return -1;
    return inst->get_info().find_behavior(name);
}

bool animal_model_desc_u::has_ragdoll() const {
    for (const mstring_dyn_t &name : ragdoll_lod_filename)
        if (!name.is_empty()) return true;
    return false;
}

animal_part_u *animal_model_desc_u::get_part(uint32_t index) const {
    return index < parts.get_count() ? unit_cast<animal_part_u>(parts[index].get()) : nullptr;
}

animal_antler_u *animal_model_desc_u::get_antler(uint32_t index) const {
    return index < antlers.get_count() ? unit_cast<animal_antler_u>(antlers[index].get()) : nullptr;
}

animal_runtime_u *animal_model_desc_u::get_runtime() const { return unit_cast<animal_runtime_u>(runtime.get()); }

zba_inst_t *animal_model_desc_u::get_zba() const { return m_zba ? zba_inst_t::of(m_zba.get()) : nullptr; }

bool animal_model_desc_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    return resolve();
}

bool animal_model_desc_u::_clone_finish(unit_base_t *target) {
    animal_model_desc_u *copy = unit_cast<animal_model_desc_u>(target);
    return copy && copy->resolve();
}

bool animal_model_desc_u::resolve() {
    m_zba = create_zba_inst(nullptr);
    zba_name_request_t requests[ANIMAL_REQUIRED_BEHAVIORS];
    for (uint32_t i = 0; i < ANIMAL_REQUIRED_BEHAVIORS; ++i) requests[i] = {required_names[i], i};
    if (!m_zba || !zba_bind_behavior_names(m_behaviors, m_zba.get(), requests, ANIMAL_REQUIRED_BEHAVIORS)) {
        error("%s: Missing required behaviors", filename.c_str());
        return false;
    }
    zba_inst_t *inst = get_zba();
    model_object_u *model = inst ? inst->get_model() : nullptr;
    model_geom_u *geom = model ? model->get_geom() : nullptr;
    for (uint32_t i = 0; i < parts.get_count(); ++i) {
        animal_part_u *part = get_part(i);
        if (!part) continue;
        const int32_t piece = geom ? geom->find_part(part->part_name.c_str()) : -1;
        const int32_t bone = model ? model->find_bone_by_name(part->bone_name.c_str()) : -1;
        part->set_resolved(piece, bone, animal_required_behavior_code(part->behavior_name.c_str()));
    }
    if (has_antlers) {
        if (antler_bone_names.get_count() < 2) {
            error("No antler_bone_names found");
            return false;
        }
        if (antlers.get_count() == 0) {
            error("No linked animal_antler objects found");
            return false;
        }
    }
    m_antler_bones.clear();
    for (const mstring_dyn_t &name : antler_bone_names)
        m_antler_bones.append(model ? model->find_bone_by_name(name.c_str()) : -1);
    return true;
}

}  // namespace quarn
