#include "game/weapons/weapon.h"

#include <cmath>

#include "game/game_module.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/visuals/models/model_object.h"
#include "game/weapons/projectile.h"
#include "game/one_shot_sound.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "qrncore/math/quat.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(item_u, "item",
                         QRN_ATTR(pretty_name, UNIT_ATTR_STRING, "pretty_name"),
                         QRN_ATTR(description, UNIT_ATTR_STRING, "description"),
                         QRN_ATTR(fov, UNIT_ATTR_FLOAT, "fov"));

QRN_UNIT_DEFINE_ABSTRACT(weapon_u, "weapon",
                         QRN_ATTR(zba_filename, UNIT_ATTR_STRING, "zba_filename"),
                         QRN_ATTR(zba_look, UNIT_ATTR_STRING, "zba_look"),
                         QRN_ATTR(zba_variant, UNIT_ATTR_STRING, "zba_variant"),
                         QRN_ATTR(ammo_filename, UNIT_ATTR_STRING, "ammo_filename"),
                         QRN_ATTR(ammo_char, UNIT_ATTR_STRING, "ammo_char"),
                         QRN_ATTR(ammo_max, UNIT_ATTR_INT32, "ammo_max"),
                         QRN_ATTR(ammo_cur, UNIT_ATTR_INT32, "ammo_cur"),
                         QRN_ATTR(snd_fire, UNIT_ATTR_STRING, "snd_fire"),
                         QRN_ATTR(snd_dryfire, UNIT_ATTR_STRING, "snd_dryfire"),
                         QRN_ATTR(offset_pos, UNIT_ATTR_VEC3, "offset_pos"),
                         QRN_ATTR(offset_rot, UNIT_ATTR_VEC3, "offset_rot"),
                         QRN_ATTR(special, UNIT_ATTR_UINT32, "special"),
                         QRN_ATTR(fov_modif, UNIT_ATTR_FLOAT, "fov_modif"),
                         QRN_ATTR(load_once, UNIT_ATTR_BOOL, "load_once"),
                         QRN_ATTR(load_force, UNIT_ATTR_BOOL, "load_force"),
                         QRN_ATTR(load_one_round, UNIT_ATTR_BOOL, "load_one_round"),
                         QRN_ATTR(case_once, UNIT_ATTR_BOOL, "case_once"),
                         QRN_ATTR(recoil_setup, UNIT_ATTR_VEC4, "recoil_setup"));

const char *const weapon_u::behavior_names[BEHAVIOR_COUNT] = {
    "raise", "lower", "fire", "reload", "open", "close", "load", "special",
    "i_raise", "i_lower", "i_reload", "i_open", "i_close", "i_fire", "i_special",
};

namespace {
constexpr float SOUND_VOLUME = 0.6f;
constexpr int32_t SOUND_TAG = 10;

// Moves v toward 0 by step without passing it.
float return_toward_zero(float v, float step) {
    if (v < 0.0f) return v + step >= 0.0f ? 0.0f : v + step;
    if (v > 0.0f) return v - step < 0.0f ? 0.0f : v - step;
    return v;
}

// A turn faster than twice the return rate is cut to that rate.
float limit_turn(float d, float rate, float dt) {
    if (std::fabs(d / dt) > 2.0f * rate) return (d < 0.0f ? -1.0f : 1.0f) * rate * dt * 2.0f;
    return d;
}
}  // namespace

// ---- item ----

bool item_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    return load();
}

// ---- weapon ----

void weapon_u::on_construct() {
    for (int32_t &index : m_anim_index) index = -1;
}

void weapon_u::on_destroy() {
    m_projectile.reset();
    m_packets.clear();
    m_model_packet.reset();
    m_zba_inst.release();
}

bool weapon_u::_call_post_load() {
    if (!item_u::_call_post_load()) return false;
    m_offset_ypr = ypr_t(offset_rot.y, offset_rot.x, offset_rot.z);
    if (ammo_max < 1) {
        error("[game] ammo_max must be > 0");
        return false;
    }
    ammo_cur = ammo_max;
    return true;
}

projectile_u *weapon_u::get_projectile() const {
    unit_base_t *unit = m_projectile.get();
    return unit && unit->is_alive() ? unit_cast<projectile_u>(unit) : nullptr;
}

weapon_host_t *weapon_u::get_host() const {
    if (m_host) return m_host;
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!ctrl) return nullptr;
    auto *factory = game_module_factory<weapon_host_factory_fn_t>(WEAPON_HOST_FACTORY);
    return factory ? factory(ctrl) : nullptr;
}

bool weapon_u::load() {
    m_loaded = false;
    m_zba_inst = zba_inst_create(zba_filename.c_str(), zba_look.c_str(), zba_variant.c_str(), this, 1);
    zba_inst_t *inst = zba_inst_t::of(m_zba_inst.get());
    model_object_u *model = inst ? inst->get_model() : nullptr;
    if (!inst) {
        error("[game] Failed to load zba model '%s'", zba_filename.c_str());
        return false;
    }

    m_model_packet = fw4pp_model_u::create(get_system());
    base_ctrl_u *ctrl = get_current_ctrl();
    m_packets.clear();
    m_packets.set(FW_SLOT_LIGHT, ctrl ? ctrl->get_light_packet(6) : nullptr);
    m_packets.set(FW_SLOT_FOG, ctrl ? ctrl->get_fog_packet() : nullptr);
    m_packets.set(FW_SLOT_CAMERA, ctrl ? ctrl->get_camera_packet(1) : nullptr);
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());
    if (model) {
        model_packets_for_all_t provider(&m_packets);
        model->apply_materials(&provider);
    }

    zba_name_request_t requests[BEHAVIOR_COUNT];
    for (uint32_t i = 0; i < BEHAVIOR_COUNT; ++i) requests[i] = {behavior_names[i], i};
    zba_bind_item_names(m_zba_inst.get(), requests, BEHAVIOR_COUNT, m_anim_index, BEHAVIOR_COUNT);

    m_projectile = load_projectile_tree(ammo_filename.c_str());
    if (!get_projectile()) {
        m_projectile.reset();
        return false;
    }

    bind_specials();

    state = STATE_LOWERED;
    m_flash_bone = model ? model->find_bone_by_name("Bflash") : -1;
    m_loaded = true;
    return true;
}

void weapon_u::bind_specials() {
    m_special_last_fire = m_special_dryfire = false;
    if (special == SPECIAL_LAST_FIRE_AND_LOAD || special == SPECIAL_DRYFIRE_ANIMATED) {
        const char *name = special == SPECIAL_LAST_FIRE_AND_LOAD ? "last_fire_and_load" : "dryfire_animated";
        bool usable = true;
        if (!has_behavior(B_SPECIAL)) {
            error("[game] special '%s' specified but no special behavior found", name);
            usable = false;
        }
        if (!has_behavior(B_I_SPECIAL)) {
            error("[game] special '%s' specified but no i_special behavior found", name);
            usable = false;
        }
        (special == SPECIAL_LAST_FIRE_AND_LOAD ? m_special_last_fire : m_special_dryfire) = usable;
    }
}

bool weapon_u::play(uint32_t slot) {
    const int32_t index = get_behavior_index(slot);
    if (index < 0) return false;
    if (m_observer) m_observer->played(slot);
    if (zba_inst_t *inst = zba_inst_t::of(m_zba_inst.get())) {
        // The instance may report the end of what it played from inside the call:
        // hold it for the call's length.
        c_item_ptr_t lock(m_zba_inst);
        inst->play_behavior(index, 0, false);
    }
    return true;
}

void weapon_u::refresh_ammo_row() {
    if (weapon_host_t *host = get_host()) {
        const char glyph[2] = {ammo_char.length() ? ammo_char.c_str()[0] : '\0', '\0'};
        host->set_ammo(glyph, uint32_t(ammo_cur > 0 ? ammo_cur : 0), uint32_t(ammo_max > 0 ? ammo_max : 0));
    }
}

void weapon_u::set_ammo_count(int32_t rounds) {
    ammo_cur = rounds;
    refresh_ammo_row();
}

void weapon_u::set_clip(int32_t rounds) { set_ammo_count(rounds); }

void weapon_u::set_clip_size(int32_t size) {
    ammo_max = size;
    set_ammo_count(ammo_cur < size ? ammo_cur : size);
}

void weapon_u::show_crosshair(bool visible) {
    if (weapon_host_t *host = get_host()) host->show_crosshair(visible);
}

void weapon_u::play_sound(const char *path, float rate) {
    if (!path || !path[0]) return;
    if (m_observer) m_observer->sounded(path, SOUND_VOLUME, rate);
    play_one_shot_sound(path, {.tag = SOUND_TAG, .volume = SOUND_VOLUME, .rate = rate});
}

bool weapon_u::raise() {
    if (state != STATE_LOWERED) return false;
    m_pending_state = STATE_READY;
    state = STATE_BUSY;
    play(B_RAISE);
    show_crosshair(true);
    refresh_ammo_row();
    return true;
}

void weapon_u::lower() {
    m_lower_requested = true;
    if (state != STATE_READY) return;
    m_pending_state = STATE_LOWERED;
    state = STATE_BUSY;
    play(m_aiming ? B_I_LOWER : B_LOWER);
}

void weapon_u::toggle() {
    if (state == STATE_READY)
        lower();
    else if (state == STATE_LOWERED)
        raise();
}

void weapon_u::poll_input() {
    if (state == STATE_READY) {
        if (inp_impulse_is_activated(IMPULSE_FIRE)) fire();
        // A press taken while firing is kept as a request, run once the weapon is
        // ready again.
        if (inp_impulse_is_activated(IMPULSE_RELOAD) && ammo_cur < ammo_max) m_reload_requested = true;
    } else {
        // A press made while busy never fires later; the reload press stays pending.
        inp_impulse_is_activated(IMPULSE_FIRE);
    }
}

void weapon_u::set_input_disabled(bool disabled) {
    m_input_disabled = disabled;
    if (!m_aiming && state == STATE_READY) show_crosshair(!disabled);
}

void weapon_u::update_sway(float dt) {
    const sway_constants_t &c = m_aiming ? SWAY_AIMED : SWAY_HIP;
    ypr_t view;
    if (base_ctrl_u *ctrl = get_current_ctrl())
        if (scene_object_t *player = ctrl->get_player()) view = player->get_rotation().get_ypr();
    step_sway(view, dt, c);
}

void weapon_u::step_sway(const ypr_t &view, float dt, const sway_constants_t &c) {
    float dyaw = (view.yaw - m_last_view_ypr.yaw) * c.follow;
    float dpitch = (view.pitch - m_last_view_ypr.pitch) * c.follow;
    dpitch = limit_turn(dpitch, c.return_rate, dt);
    dyaw = limit_turn(dyaw, c.return_rate, dt);
    m_sway.yaw += dyaw;
    m_sway.pitch += dpitch;
    m_last_view_ypr = view;
    m_sway.pitch = return_toward_zero(m_sway.pitch, c.return_rate * dt);
    m_sway.yaw = return_toward_zero(m_sway.yaw, c.return_rate * dt);
    const float length = std::sqrt(m_sway.yaw * m_sway.yaw + m_sway.pitch * m_sway.pitch + m_sway.roll * m_sway.roll);
    if (length > c.max_lag) {
        const float k = c.max_lag / length;
        m_sway.yaw *= k, m_sway.pitch *= k, m_sway.roll *= k;
    }
}

void weapon_u::update(float dt) {
    if (state != STATE_LOWERED && dt > 0.0f) update_sway(dt);
    if (m_lower_requested) lower();
    if (m_reload_requested) reload();
}

void weapon_u::reload() {
    if (state == STATE_READY) m_reload_requested = false;
}

}  // namespace quarn
