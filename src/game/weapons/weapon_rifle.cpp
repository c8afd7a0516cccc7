#include "game/weapons/weapon_rifle.h"

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/physics/physics_types.h"
#include "game/weapons/projectile.h"
#include "game/world/particle_emitter.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/sys.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/matrix_table.h"
#include "qrncore/math/quat.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {
constinit const unit_attr_t<UNIT_ATTR_OWNER> flash_domain{&model_object_u::unit_descriptor, 0};

// The model-space origin of a bone.
vec3_t bone_origin(model_object_u *model, int32_t bone) {
    mat4_t m = mat4_t::identity();
    model->get_bone_matrix(uint32_t(bone), &m);
    const vec3_t zero{0.0f, 0.0f, 0.0f};
    vec3_t origin{0.0f, 0.0f, 0.0f};
    fptr_mult_point_matrix(&origin, &zero, m, 1, sizeof(vec3_t), sizeof(vec3_t));
    return origin;
}
}  // namespace

QRN_UNIT_DEFINE(weapon_rifle_u, "weapon_rifle", QRN_ATTR(flash_model, UNIT_ATTR_OWNER, "flash_model", &flash_domain));

void weapon_rifle_u::on_destroy() {
    m_flash_packets.clear();
    m_flash_packet.reset();
    flash_model.reset();
}

model_object_u *weapon_rifle_u::get_flash_model() const {
    unit_base_t *unit = flash_model.get();
    return unit && unit->is_alive() ? unit_cast<model_object_u>(unit) : nullptr;
}

bool weapon_rifle_u::load() {
    if (!weapon_u::load()) return false;
    model_object_u *flash = get_flash_model();
    if (!flash) {
        error("[game] flash_model not found");
        return false;
    }
    m_flash_packet = fw4pp_model_u::create(get_system());
    m_flash_packets.clear();
    for (uint32_t slot = 0; slot < r_parameter_array_t::SLOTS; ++slot) m_flash_packets.set(slot, m_packets.get(slot));
    m_flash_packets.set(FW_SLOT_MODEL, m_flash_packet.get());
    model_packets_for_all_t provider(&m_flash_packets);
    flash->apply_materials(&provider);
    return true;
}

// ---- raise, lower, aim ----

bool weapon_rifle_u::raise() {
    if (state != STATE_LOWERED) return false;
    m_pending_state = STATE_READY;
    state = STATE_BUSY;
    m_crosshair_held = m_reload_requested;
    play(B_RAISE);
    m_lower_requested = false;
    m_queued_aim = 0;
    m_aiming = false;
    // Drawn from the hip again, whichever way the eye was left.
    m_fov_offset = 0.0f;
    show_crosshair(true);
    set_ammo_count(ammo_max);
    return true;
}

void weapon_rifle_u::lower() {
    m_lower_requested = true;
    if (state != STATE_READY) return;
    m_pending_state = STATE_LOWERED;
    state = STATE_BUSY;
    if (m_aiming) {
        play(B_I_LOWER);
    } else {
        show_crosshair(false);
        play(B_LOWER);
    }
}

void weapon_rifle_u::set_aim(bool aim) {
    // Without "i_raise" the rifle never goes to the eye.
    if (!has_behavior(B_I_RAISE)) return;
    if (aim == m_aiming) {
        m_queued_aim = 0;
        return;
    }
    if (state != STATE_READY) {
        m_queued_aim = aim ? 1 : 2;
        return;
    }
    m_queued_aim = 0;
    state = STATE_BUSY;
    if (aim) {
        m_action = 10;
        play(B_I_RAISE);
        show_crosshair(false);
    } else {
        m_action = 11;
        play(B_I_LOWER);
    }
}

void weapon_rifle_u::reload() {
    weapon_u::reload();
    if (state != STATE_READY) return;
    state = STATE_BUSY;
    m_action = 6;
}

// ---- input ----

void weapon_rifle_u::poll_input() {
    if (!m_input_disabled) weapon_u::poll_input();
}

void weapon_rifle_u::set_input_disabled(bool disabled) {
    weapon_u::set_input_disabled(disabled);
    m_flash_time = -1.0f;
}

// ---- update ----

void weapon_rifle_u::update(float dt) {
    weapon_u::update(dt);
    if (m_drawn) {
        m_drawn = false;
        m_flash_time -= dt;
    }

    // One step of the action a frame.
    if (m_action == 2) {
        m_action = 4;
    } else if (m_action == 4) {
        const uint32_t cycle = m_aiming ? B_I_RELOAD : B_RELOAD;
        if (!has_behavior(cycle)) {
            set_action_ready();
        } else {
            m_action = 5;
            play(cycle);
        }
    } else if (m_action == 6) {
        m_action = 7;
        if (m_aiming) {
            play(B_I_OPEN);
        } else {
            show_crosshair(false);
            play(B_OPEN);
        }
    }

    if (m_zba_inst && state != STATE_LOWERED) {
        c_item_ptr_t lock(m_zba_inst);
        zba_inst_update_item(lock.get(), dt);
        if (state == STATE_BUSY && (m_action == 10 || m_aiming)) {
            zba_inst_t *inst = zba_inst_t::of(m_zba_inst.get());
            if (model_object_u *model = inst ? inst->get_model() : nullptr) {
                vec3_t t{0.0f, 0.0f, 0.0f};
                quat_t r;
                model->take_root_motion(&t, &r);
                // "i_raise" moves the view angle in step with the rifle coming up.
                m_fov_offset -= t.z * fov_modif * 1000.0f;
            }
        }
    }

    if (!(m_reload_requested && !m_aiming) && m_queued_aim != 0) set_aim(m_queued_aim == 1);
}

// ---- animation events ----

void weapon_rifle_u::notify(uint32_t kind, zba_value_t value, uint32_t) {
    if (kind == ZBA_NOTICE_SOUND) {
        base_ctrl_u *ctrl = get_current_ctrl();
        play_sound(value.text ? value.text : "", ctrl ? ctrl->get_sound_time_scale(1.0f) : 1.0f);
        return;
    }
    if (kind != ZBA_NOTICE_ENDED) return;

    if (m_pending_state != 0) {
        state = m_pending_state;
        m_pending_state = 0;
        if (state == STATE_READY) {
            refresh_ammo_row();
            if (!m_crosshair_held) show_crosshair(true);
        } else if (state == STATE_LOWERED) {
            if (m_aiming) {
                // Off the eye first, then down from the hip.
                m_aiming = false;
                m_fov_offset = 0.0f;
                state = STATE_READY;
                lower();
            } else {
                m_lower_requested = false;
            }
        }
        return;
    }
    end_of_behavior();
}

void weapon_rifle_u::end_of_behavior() {
    switch (m_action) {
    case 1:
        m_action = 2;
        break;
    case 5:
        set_action_ready();
        break;
    case 7:
        load_step();
        break;
    case 8:
        if (!m_aiming) show_crosshair(true);
        set_action_ready();
        break;
    case 9:
        if (m_special_last_fire) {
            set_action_ready();
            set_ammo_count(ammo_max);
        } else if (m_special_dryfire) {
            m_action = 4;
        }
        break;
    case 10:
        set_action_ready();
        m_aiming = true;
        m_fov_offset = fov_modif;
        break;
    case 11:
        set_action_ready();
        m_aiming = false;
        m_fov_offset = 0.0f;
        show_crosshair(true);
        break;
    default:
        break;
    }
}

void weapon_rifle_u::load_step() {
    m_crosshair_held = false;
    if (load_one_round) set_ammo_count(load_once ? ammo_max : ammo_cur + 1);
    if (ammo_cur >= ammo_max) {
        m_action = 8;
        if (m_aiming && m_queued_aim == 2) {
            play(B_CLOSE);
            m_aiming = false;
            m_queued_aim = 0;
            m_fov_offset = 0.0f;
        } else if (m_aiming) {
            play(B_I_CLOSE);
        } else {
            play(B_CLOSE);
        }
        return;
    }
    play(B_LOAD);
    set_ammo_count(load_once ? ammo_max : ammo_cur + 1);
}

// ---- firing ----

void weapon_rifle_u::fire() {
    if (state != STATE_READY) return;
    if (ammo_cur <= 0) {
        if (weapon_host_t *host = get_host()) host->show_reload_prompt();
        if (m_aiming && m_special_dryfire) {
            state = STATE_BUSY;
            m_action = 9;
            play(B_I_SPECIAL);
        } else {
            play_sound(snd_dryfire.c_str(), 1.0f);
        }
        return;
    }

    state = STATE_BUSY;
    if (ammo_cur == 1 && m_special_last_fire) {
        // The last round fires and reloads in one animation.
        m_action = 9;
        play(m_aiming ? B_I_SPECIAL : B_SPECIAL);
    } else {
        m_action = 1;
        play(m_aiming ? B_I_FIRE : B_FIRE);
    }
    play_sound(snd_fire.c_str(), 1.0f);
    cast_shot();
    if (m_flash_bone >= 0) {
        m_flash_time = FLASH_TIME;
        base_ctrl_u *ctrl = get_current_ctrl();
        scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
        if (view) start_muzzle_smoke(view->get_placement());
    }
    set_ammo_count(ammo_cur - 1);
}

void weapon_rifle_u::cast_shot() {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    if (!view) return;
    const placement_t p = view->get_placement();
    const vec3_t end = p.position + p.rotation.get_cartes() * SHOT_LENGTH;
    vec3_t hit{0.0f, 0.0f, 0.0f};
    m_last_shot = p;
    m_last_shot_end = end;
    m_last_shot_hit = ctrl->get_targets().shoot(hit, get_projectile(), p, end) != nullptr;
    m_last_hit_point = hit;
    eject_casing(p);
    weapon_host_t *host = get_host();
    if (host) host->after_shot();
    if (host) host->apply_recoil(recoil_setup);
}

void weapon_rifle_u::eject_casing(const placement_t &view) {
    const float u1 = sys_rand();
    const float u2 = sys_rand();
    const float u3 = sys_rand();
    const vec3_t probe{view.position.x + u3 - 0.5f, view.position.y + u2 - 0.5f, view.position.z + u1 - 0.5f};
    vec3_t spot = probe;
    base_ctrl_u *ctrl = get_current_ctrl();
    world_u *world = ctrl ? ctrl->get_world<world_u>() : nullptr;
    physics_ray_hit_t ground;
    if (world && world->find_ground(ground, probe, CASING_GROUND_MASK)) spot = ground.position;
    projectile_u *projectile = get_projectile();
    if (casing_u *casing = projectile ? projectile->get_casing() : nullptr) casing->place(placement_t(spot, quat_t{}));
}

void weapon_rifle_u::start_muzzle_smoke(const placement_t &view) {
    projectile_u *projectile = get_projectile();
    if (!projectile || projectile->muzzle_smoke.length() == 0) return;
    zba_inst_t *inst = zba_inst_t::of(m_zba_inst.get());
    model_object_u *model = inst ? inst->get_model() : nullptr;
    if (!model) return;
    const vec3_t muzzle = view.from_local_space(bone_origin(model, m_flash_bone));
    trigger_emitter(projectile->muzzle_smoke.c_str(), placement_t(muzzle, view.rotation));
}

// ---- drawing ----

void weapon_rifle_u::draw() {
    if (m_input_disabled || !m_zba_inst || state == STATE_LOWERED) return;
    if (!m_loaded) {
        m_drawn = true;
        return;
    }
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    zba_inst_t *inst = zba_inst_t::of(m_zba_inst.get());
    model_object_u *model = inst ? inst->get_model() : nullptr;

    // Camera space: the view's rotation only.
    placement_t w({0.0f, 0.0f, 0.0f}, view ? view->get_placement().rotation : quat_t{});
    w.translate_locally(offset_pos);
    w.rotation = w.rotation * quat_of(m_offset_ypr);
    // The rifle sways about its muzzle.
    if (m_flash_bone >= 0 && model) w.rotate_locally(bone_origin(model, m_flash_bone), quat_of(m_sway));

    if (game_data_t *data = get_game_data()) data->first_person_fov = fov + m_fov_offset;

    const placement_scale_t ws(w.position, 1.0f, w.rotation);
    if (m_model_packet) m_model_packet->set_matrix_and_inverse(ws);
    if (model) model->set_placement(w);
    inst->submit_model();

    model_object_u *flash = get_flash_model();
    if (m_flash_time > 0.0f) {
        if (m_flash_bone < 0 || !model) {
            m_flash_time = -1.0f;
        } else if (flash && m_flash_packet) {
            mat4_t bone = mat4_t::identity();
            mat4_t bone_inv = mat4_t::identity();
            model->get_bone_matrix(uint32_t(m_flash_bone), &bone);
            model->get_bone_matrix_inverse(uint32_t(m_flash_bone), &bone_inv);
            mat4_t world_matrix;
            mat4_t world_inverse;
            mult_matrix_matrix(&world_matrix, bone, ws.compute_matrix());
            mult_matrix_matrix(&world_inverse, ws.compute_inverse_matrix(), bone_inv);
            m_flash_packet->matrix = world_matrix;
            m_flash_packet->matrix_inv = world_inverse;
            flash->set_placement_mode(MODEL_PLACE_BY_MATRIX);
            flash->set_draw_matrix(world_matrix);
            flash->draw();
        }
    }
    m_drawn = true;
}

}  // namespace quarn
