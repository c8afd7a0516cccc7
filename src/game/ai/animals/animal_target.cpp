#include "game/ai/animals/animal_target.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "game/ai/animals/animal_hookup.h"
#include "game/ai/animals/animal_model_inst.h"
#include "game/ai/animals/ragdoll.h"
#include "game/game_data.h"
#include "game/game_rows.h"
#include "game/round/target_spawners.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/target_list.h"
#include "game/ui/ingame/animal_hud.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/landscape.h"
#include "game/world/trail_follower.h"
#include "game/world/world.h"
#include "kernel/sound/sound_unit.h"
#include "kernel/sys.h"
#include "qrncore/math/matrix.h"
#include "qrncore/math/scalar.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(animal_target_u, "animal_target",
                QRN_ATTR(trail_follower, UNIT_ATTR_OWNER, "trail_follower"),
                QRN_ATTR(animal_model, UNIT_ATTR_OWNER, "animal_model"));

namespace {

// The clock a fall is measured against: hold and countdown start here, so that
// hold − countdown is the time since the death (finite, unlike the largest float,
// against which a step of the countdown is lost).
constexpr float FALL_CLOCK = 1000.0f;
// A surface colour byte of this value is full light; the probe's colour is preset so.
constexpr float COLOUR_FULL = 127.5f;
constexpr float GROUND_TINT_SHARE = 0.45f;
// The trail gaits as the segment kind holds them (-1: none).
constexpr int32_t KIND_WALK = ANIMAL_WALK;
constexpr int32_t KIND_GALLOP = ANIMAL_GALLOP;
constexpr int32_t KIND_ATTACK = ANIMAL_ATTACK_HUNTER;


world_u *current_world() {
    base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? ctrl->get_world() : nullptr;
}

// c of the surface colour: its first byte against full light, at most 1.
float light_of(const ground_probe_t &probe) { return std::min(float(probe.ground_colour[0]) / COLOUR_FULL, 1.0f); }

void preset_colour(ground_probe_t &probe) {
    probe.ground_colour[0] = probe.ground_colour[1] = probe.ground_colour[2] = 127;
    probe.ground_colour[3] = 255;
}

}  // namespace

// ---- life ----

void animal_target_u::on_construct() {
    m_states[STATE_RUNNING] = state_t(this, &animal_target_u::enter_running, &animal_target_u::update_running, nullptr);
    m_states[STATE_DYING_ON_GROUND] = state_t(this, nullptr, &animal_target_u::update_dying, nullptr);
    m_states[STATE_FALLING] = state_t(this, &animal_target_u::enter_falling, &animal_target_u::update_falling, nullptr);
    m_states[STATE_KNOCKED_DOWN] =
        state_t(this, &animal_target_u::enter_knocked_down, &animal_target_u::update_knocked_down, nullptr);
    m_states[STATE_WAITING] = state_t(this, &animal_target_u::enter_waiting, &animal_target_u::update_waiting, nullptr);
    m_states[STATE_SETTLING] = state_t(this, &animal_target_u::enter_settling, &animal_target_u::update_settling,
                                       &animal_target_u::leave_settling);
    m_states[STATE_SINKING] = state_t(this, nullptr, &animal_target_u::update_sinking, nullptr);
    m_machine.set_next(&m_states[STATE_RUNNING]);
    m_hud = animal_hud_u::create(get_system());
}

void animal_target_u::on_destroy() {
    // Shots must not find a target that is gone.
    leave_target_list();
    // The model goes first, while everything its last notices may touch is still here.
    animal_model.reset();
    m_hud.reset();
    release_run_sound();
    m_runtime.reset();
    m_death_zone.reset();
    m_label = "";
}

// A copy would share nothing it needs (the model instance refuses copies): targets are
// made by spawn only.
bool animal_target_u::_clone_finish(unit_base_t *) {
    error("[animal] An animal target cannot be copied; spawn another on its trail");
    return false;
}

owner_ptr_ret_t<animal_target_u> animal_target_u::spawn(animal_model_desc_u *desc, trail_u *trail, const char *label,
                                                        uint32_t seed) {
    owner_ptr_t<animal_target_u> target(animal_target_u::create());
    if (!target) return {};
    if (!target->set_up(desc, trail, seed)) return {};  // the holder disposes of it
    target->set_label(label);
    return owner_ptr_ret_t<animal_target_u>(target);
}

bool animal_target_u::set_up(animal_model_desc_u *desc, trail_u *trail, uint32_t seed) {
    if (!desc) {
        error("[animal] An animal target needs an animal model description");
        return false;
    }
    trail_follower = create_trail_follower(trail);
    if (!trail_follower) {
        error("[animal] An animal target needs a trail of two nodes or more");
        return false;
    }
    animal_model = animal_model_inst_u::create(desc, 1.0f, seed, this);
    if (!animal_model) return false;  // logged by the instance
    m_runtime = desc->get_runtime();
    const game_data_t *data = get_game_data();
    m_max_hit_points = 1;
    if (data && data->expert) {
        // A description of no hit points is one that a hit kills.
        m_max_hit_points = std::max<uint32_t>(desc->hit_points, 1u);
        if (has_trophy() && m_max_hit_points < UINT32_MAX) ++m_max_hit_points;
    }
    m_hit_points = m_max_hit_points;
    if (animal_hud_u *hud = get_hud()) hud->set_health(m_hit_points, m_max_hit_points);
    m_placement = get_follower()->get_placement();
    return true;
}

void animal_target_u::set_label(const char *text) {
    if (!text || !*text) return;
    m_label = text;
    if (animal_hud_u *hud = get_hud()) {
        hud->set_bonus_text(text);
        hud->set_bonus_marked(true);
    }
}

// ---- parts ----

animal_model_inst_u *animal_target_u::get_model() const { return unit_cast<animal_model_inst_u>(animal_model.get()); }

trail_follower_u *animal_target_u::get_follower() const { return unit_cast<trail_follower_u>(trail_follower.get()); }

animal_hud_u *animal_target_u::get_hud() const { return unit_cast<animal_hud_u>(m_hud.get()); }

void animal_target_u::close_windows() {
    if (animal_hud_u *hud = get_hud()) hud->close_window();
}

animal_runtime_u *animal_target_u::get_runtime() const { return unit_cast<animal_runtime_u>(m_runtime.get()); }

uint32_t animal_target_u::get_points() const {
    const animal_model_inst_u *model = get_model();
    return model ? model->get_trophy_score() : 0;
}

bool animal_target_u::is_dangerous() const {
    const animal_model_inst_u *model = get_model();
    return model && model->is_dangerous();
}

bool animal_target_u::is_ambient() const {
    const animal_model_inst_u *model = get_model();
    return model && model->is_ambient();
}

bool animal_target_u::has_trophy() const {
    const animal_model_inst_u *model = get_model();
    return model && model->has_monster_trophy();
}

bool animal_target_u::reached_trail_end() const {
    const trail_follower_u *follower = get_follower();
    return follower && follower->is_at_end();
}

bool animal_target_u::is_model_busy() const {
    const animal_model_inst_u *model = get_model();
    return model && model->is_visible();
}

bool animal_target_u::is_finished_dying() const {
    return m_machine.is_in(&m_states[STATE_WAITING]) || m_machine.is_in(&m_states[STATE_SINKING]);
}

animal_target_u::state_id_t animal_target_u::get_state() const {
    for (int32_t i = 0; i < STATE_COUNT; ++i)
        if (m_machine.is_in(&m_states[i])) return state_id_t(i);
    return STATE_NONE;
}

animal_target_u::state_id_t animal_target_u::get_next_state() const {
    for (int32_t i = 0; i < STATE_COUNT; ++i)
        if (m_machine.get_next() == &m_states[i]) return state_id_t(i);
    return STATE_NONE;
}

const char *animal_target_u::state_name(state_id_t state) {
    static const char *const names[STATE_COUNT] = {"running", "dying on ground", "falling", "knocked down",
                                                   "waiting", "settling", "sinking"};
    return state >= 0 && state < STATE_COUNT ? names[state] : "none";
}

float animal_target_u::slow_down_pace(float r) {
    if (r < SLOW_DOWN_TURN) {
        const float u = r / SLOW_DOWN_TURN;
        return (1.0f - u) + SLOW_DOWN_PACE * u;
    }
    const float u = (r - SLOW_DOWN_TURN) / (1.0f - SLOW_DOWN_TURN);
    return SLOW_DOWN_PACE * (1.0f - u) + u;
}

void animal_target_u::join_target_list() {
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!ctrl || ctrl->get_targets().contains(this)) return;
    if (!ctrl->get_targets().add(this)) error("[animal] The scene's target list takes no more targets");
}

void animal_target_u::leave_target_list() {
    if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->get_targets().remove(this);
}

// ---- frames ----

void animal_target_u::update(float dt) {
    m_machine.update(dt);
    m_countdown -= dt;
}

void animal_target_u::draw() {
    animal_model_inst_u *model = get_model();
    if (!model) return;
    model->set_placement(m_placement);
    model->draw(m_tint_level);
    base_ctrl_u *ctrl = get_current_ctrl();
    if (animal_hud_u *hud = get_hud(); hud && ctrl)
        hud->update_position(m_placement.position + vec3_t{0.0f, MARKER_HEIGHT, 0.0f}, ctrl->get_camera_packet(0));
    if (!model->is_ground_based()) return;
    // The shadow lies on the ground: its y along the ground's normal, its z along the
    // animal's heading, turned a quarter about its x so the quad faces up.
    vec3_t n = m_ground_normal;
    if (!(normalize(n) > 0.5f)) n = {0.0f, 1.0f, 0.0f};  // no ground found yet
    const vec3_t f = m_placement.rotation.rotate(vec3_t{0.0f, 0.0f, 1.0f});
    vec3_t x = cross(n, f);
    if (!(normalize(x) > 0.0f)) return;  // heading straight up or down: no ground plane
    const vec3_t z = normalized(cross(x, n));
    quat_t ground;
    ground.set_matrix(map_to_orthonormal_base(x, n, z));
    quat_t quarter;
    quarter.set_axis_angle(vec3_t{1.0f, 0.0f, 0.0f}, HALF_PI_F);
    quat_t turned = ground * quarter;
    turned.normalize();
    model->draw_shadow(placement_t(m_placement.position, turned));
}

// ---- placement ----

void animal_target_u::place() {
    const animal_model_inst_u *model = get_model();
    if (model && model->is_ground_based()) place_on_ground();
    else place_on_follower();
}

void animal_target_u::place_on_ground() {
    const trail_follower_u *follower = get_follower();
    const animal_model_inst_u *model = get_model();
    world_u *world = current_world();
    if (!follower || !model || !world) return;
    const placement_t &at = follower->get_placement();
    const vec3_t o = at.rotation.rotate(vec3_t{0.0f, 0.0f, -model->get_scaled_radius()});
    const vec3_t up{0.0f, GROUND_LOOK_HEIGHT, 0.0f};
    physics_ray_hit_t back;
    if (!world->find_ground(back, at.position - o + up, world_u::MASK_TERRAIN)) return;
    ground_probe_t front;
    preset_colour(front);
    if (!world->get_ground_probe(front, at.position + o + up)) return;
    const vec3_t &a = back.position;
    const vec3_t &b = front.ground_hit.position;
    m_placement.position = (a + b) * 0.5f;
    const vec3_t along = b - a;
    if (length_squared(along) > 0.0f) m_placement.rotation.set_cartes(normalized(along));
    m_ground_normal = front.ground_hit.normal;
    const float c = light_of(front);
    m_tint_target = c + (1.0f - c) * GROUND_TINT_SHARE;
}

void animal_target_u::place_on_follower() {
    const trail_follower_u *follower = get_follower();
    if (!follower) return;
    m_placement = follower->get_placement();
    world_u *world = current_world();
    // The probe finds the ground itself: without ground it fails, and nothing changes.
    ground_probe_t probe;
    preset_colour(probe);
    if (!world || !world->get_ground_probe(probe, m_placement.position)) return;
    m_ground_normal = probe.ground_hit.normal;
    m_tint_target = (light_of(probe) + 1.0f) * 0.5f;
}

// ---- the walk ----

void animal_target_u::advance(float s) {
    animal_model_inst_u *model = get_model();
    trail_follower_u *follower = get_follower();
    if (!model || !follower) return;
    float step = s;
    if (m_slow_down.remaining > 0.0f && (m_segment_kind == KIND_WALK || m_segment_kind == KIND_GALLOP))
        step = s * slow_down_pace(m_slow_down.get_elapsed_relative());
    model->animate(step);
    const float d = -model->take_root_motion();
    follower->advance(d);
    const float t = std::min(2.0f * s, 1.0f);
    m_tint_level = t * m_tint_target + (1.0f - t) * m_tint_level;
    update_run_sound(s);
    m_slow_down.remaining -= s;
    // A frame of no time has no speed: the last one stays.
    if (s > 0.0f) m_speed = (m_speed + d / s) * 0.5f;
}

void animal_target_u::update_run_sound(float s) {
    m_run_volume_target = m_segment_kind == KIND_GALLOP ? 1.0f : 0.0f;
    if (!m_machine.is_in(&m_states[STATE_RUNNING])) {
        release_run_sound();
        return;
    }
    animal_runtime_u *runtime = get_runtime();
    if (!runtime) return;
    base_ctrl_u *ctrl = get_current_ctrl();
    const float time_scale = ctrl ? ctrl->get_sound_time_scale(1.0f) : 1.0f;
    if (m_run_sound < 0 && ctrl) {
        const scene_object_t *player = ctrl->get_player();
        const vec3_t to_player = player ? player->get_position() - m_placement.position : vec3_t{FLT_MAX, 0.0f, 0.0f};
        if (length_squared(to_player) < RUN_SOUND_RANGE2) {
            m_run_sound = runtime->take_run_sound_slot();
            if (sound_u *sound = runtime->get_run_sound(m_run_sound)) {
                sound->set_position(m_placement.position.x, m_placement.position.y, m_placement.position.z);
                sound->attributes.volume = 0.0f;
                sound->attributes.min_distance = RUN_SOUND_MIN_DISTANCE;
                sound->attributes.max_distance = RUN_SOUND_MAX_DISTANCE;
                sound->set_rate(time_scale);
                m_run_volume = 0.0f;
                sound->play();
            }
        }
    }
    // A slot whose sound the kernel could not make stays silent.
    sound_u *sound = runtime->get_run_sound(m_run_sound);
    if (!sound) return;
    const float t = std::min(std::max(s, 0.0f), 1.0f);
    m_run_volume = (1.0f - t) * m_run_volume + t * m_run_volume_target;
    sound->set_position(m_placement.position.x, m_placement.position.y, m_placement.position.z);
    sound->attributes.volume = m_run_volume * RUN_SOUND_GAIN;
    sound->set_rate(time_scale);
    sound->set_flag(sound_u::CHANGED, true);
}

void animal_target_u::release_run_sound() {
    if (m_run_sound < 0) return;
    if (animal_runtime_u *runtime = get_runtime()) runtime->release_run_sound_slot(m_run_sound);
    m_run_sound = -1;
}

void animal_target_u::play_segment(int32_t kind, bool force) {
    animal_model_inst_u *model = get_model();
    // Trails are data: a gait the animals do not know plays nothing.
    if (!model || kind < KIND_WALK || kind > KIND_ATTACK) return;
    model->play_behavior(uint32_t(kind), force, 0);
}

// ---- states ----

void animal_target_u::enter_running() {
    place();
    const trail_follower_u *follower = get_follower();
    m_segment_kind = follower ? follower->get_behavior() : -1;
    play_segment(m_segment_kind, false);
    join_target_list();
}

void animal_target_u::update_running(float s) {
    place();
    advance(s);
    const trail_follower_u *follower = get_follower();
    const int32_t previous = m_segment_kind;
    const int32_t kind = follower ? follower->get_behavior() : previous;
    if (uint32_t(kind) > uint32_t(previous)) play_segment(kind, true);
    m_segment_kind = kind;
    if (!is_dangerous()) return;
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current())
        hunt->warn_danger(m_placement.position.x, m_placement.position.y, m_placement.position.z,
                          kind == KIND_ATTACK);
    if (previous != KIND_ATTACK)
        if (animal_runtime_u *runtime = get_runtime())
            runtime->play_oneshot(animal_runtime_u::SOUND_ANIMAL, m_placement.position);
}

void animal_target_u::update_dying(float s) {
    place_on_ground();
    advance(s);
}

void animal_target_u::enter_falling() { m_hold = m_countdown = FALL_CLOCK; }

void animal_target_u::update_falling(float s) {
    advance(s);
    const float since_death = m_hold - std::max(m_countdown, 0.0f);
    m_placement.position.y -= s * since_death * GRAVITY;
    world_u *world = current_world();
    physics_ray_hit_t ground;
    if (!world || !world->find_ground(ground, m_placement.position, world_u::MASK_TERRAIN)) {
        m_machine.set_next(&m_states[STATE_WAITING]);
        return;
    }
    if (m_placement.position.y > ground.position.y) return;
    m_placement.position.y = ground.position.y;
    if (m_segment_kind == -1) m_machine.set_next(&m_states[STATE_WAITING]);
}

void animal_target_u::enter_knocked_down() {
    m_hold = m_countdown = KNOCKED_DOWN_TIME;
    animal_model_inst_u *model = get_model();
    model->set_placement(m_placement);
    ragdoll_u *ragdoll = model->set_ragdoll(true) ? model->get_ragdoll() : nullptr;
    if (!ragdoll) {
        // A ragdoll that does not load or fit (logged by the model): the animal dies
        // as if no ragdoll had been chosen.
        start_animated_death();
        return;
    }
    const vec3_t heading = m_placement.rotation.get_cartes();
    ragdoll->add_velocity(heading * m_speed, vec3_t{0.0f, 0.0f, 0.0f});
    world_u *world = current_world();
    physics_scene_t *scene = world ? world->get_physics_scene() : nullptr;
    const float step = scene && scene->get_step_time() > 0.0f ? scene->get_step_time() : 1.0f / 30.0f;
    vec3_t direction = m_hit_direction;
    float strength = HEAVY_RAGDOLL_PUSH;
    if (ragdoll->get_total_mass() < LIGHT_RAGDOLL_MASS) {
        direction.y = std::fabs(direction.y);
        strength = LIGHT_RAGDOLL_PUSH;
    }
    ragdoll->apply_hit(direction * (strength / step), m_hit_position);
}

void animal_target_u::update_knocked_down(float s) {
    animal_model_inst_u *model = get_model();
    if (!model->is_ragdoll_active()) return;  // fell back to an animated death
    model->animate(s);
    world_u *world = current_world();
    physics_scene_t *scene = world ? world->get_physics_scene() : nullptr;
    if (scene && scene->get_gravity().y > 0.0f) m_hold = m_countdown = KNOCKED_DOWN_TIME;
    if (m_countdown <= 0.0f) m_machine.set_next(&m_states[STATE_SETTLING]);
}

void animal_target_u::enter_waiting() { m_hold = m_countdown = WAIT_TIME; }

void animal_target_u::update_waiting(float) {
    if (m_countdown <= 0.0f) m_machine.set_next(&m_states[STATE_SINKING]);
}

void animal_target_u::enter_settling() { m_hold = m_countdown = SETTLE_TIME; }

void animal_target_u::update_settling(float s) {
    get_model()->animate(s);
    if (m_countdown <= 0.0f) m_machine.set_next(&m_states[STATE_SINKING]);
}

void animal_target_u::leave_settling() { get_model()->set_ragdoll(false); }

void animal_target_u::update_sinking(float s) {
    m_placement.position.y -= s * SINK_SPEED;
    m_sink_progress += s * SINK_SPEED;
}

// ---- behaviour events ----

void animal_target_u::notify(uint32_t kind, zba_value_t value, uint32_t channel) {
    switch (kind) {
        case ZBA_NOTICE_INFO: {
            const char *text = value.text ? value.text : "";
            animal_runtime_u *runtime = get_runtime();
            if (strcmp(text, "drop") == 0) {
                if (runtime) runtime->play_oneshot(animal_runtime_u::SOUND_DROP, m_placement.position);
            } else if (strcmp(text, "animal") == 0) {
                if (runtime) runtime->play_oneshot(animal_runtime_u::SOUND_ANIMAL, m_placement.position);
            } else if (strcmp(text, "skill_start") == 0) {
                m_skill = true;
            } else if (strcmp(text, "skill_end") == 0) {
                m_skill = false;
            }
            break;
        }
        case ZBA_NOTICE_RELEASED:
            if (channel == 0) m_skill = false;
            break;
        case ZBA_NOTICE_ENDED:
            if (channel != 0) break;
            m_skill = false;
            if (m_machine.is_in(&m_states[STATE_DYING_ON_GROUND])) {
                m_machine.set_next(&m_states[STATE_WAITING]);
            } else if (m_machine.is_in(&m_states[STATE_FALLING])) {
                m_segment_kind = -1;
            } else {
                play_segment(m_segment_kind, false);
            }
            break;
        default: break;
    }
}

// ---- shots ----

bool animal_target_u::intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot,
                                const vec3_t &end) {
    animal_model_inst_u *model = get_model();
    if (!model) return false;
    model_hit_t hit;
    if (!model->intersect(hit, m_placement, shot.position, end)) return false;
    static_assert(sizeof hit <= sizeof record.bytes, "a model hit fits a shot record");
    memcpy(record.bytes, &hit, sizeof hit);
    hit_point = placement_scale_t(m_placement.position, model->get_scale(), m_placement.rotation)
                    .from_local_space(hit.point);
    return true;
}

void animal_target_u::on_hit(const vec3_t &hit_point, projectile_u *, shot_record_t &record, const placement_t &shot,
                             const vec3_t &end) {
    const vec3_t &start = shot.position;
    m_hit_direction = normalized(end - start);
    m_hit_position = hit_point;
    // A hit that killed changes the state only at the next update: until then later
    // hits find it dying, not running.
    if (!m_machine.is_in(&m_states[STATE_RUNNING]) || m_killed) return;
    animal_model_inst_u *model = get_model();
    if (!model) return;
    const placement_scale_t place(m_placement.position, model->get_scale(), m_placement.rotation);
    animal_part_u *zone = model->find_hit_zone(place.to_local_space(start), place.to_local_space(end));
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (zone && zone->immune) {
        if (hunt) hunt->on_bad_shot(&record, zone);
        return;
    }
    animal_hud_u *hud = get_hud();
    if (model->get_gender() == animal_model_desc_u::GENDER_MALE && !zone && m_hit_points > 1) {
        --m_hit_points;
        if (hud) {
            hud->set_health(m_hit_points, m_max_hit_points);
            hud->set_bonus_marked(true);
        }
        if (hunt) hunt->on_hit(&record, nullptr);
        model->play_behavior(ANIMAL_HIT, true, 1);
        m_slow_down.remaining = m_slow_down.total;
        return;
    }

    m_killed = true;
    m_death_zone = zone;
    release_run_sound();
    if (hud) hud->set_bonus_marked(false);
    if (!m_label.is_empty() && (!hunt || !hunt->give_bonus(m_label.c_str()))) warning(BONUS_REFUSED, m_label.c_str());
    if (model->get_gender() != animal_model_desc_u::GENDER_MALE) {
        if (hunt) hunt->on_illegal_shot(&record);
    } else if (hunt) {
        hunt->on_kill(this, zone, m_skill, length(hit_point - start));
    }
    float r = 1.0f;
    if (zone) r = sys_rand();
    const bool room = hunt && hunt->get_ragdolls_alive() < hunt->get_ragdoll_total_limit();
    const bool ragdoll = model->has_ragdoll() &&
                         (m_skill || (room && (!zone || r < RAGDOLL_CHANCE || zone->get_behavior_code() < 0)));
    if (ragdoll) {
        m_machine.set_next(&m_states[STATE_KNOCKED_DOWN]);
        return;
    }
    start_animated_death();
}

void animal_target_u::start_animated_death() {
    animal_model_inst_u *model = get_model();
    m_machine.set_next(&m_states[model->is_ground_based() ? STATE_DYING_ON_GROUND : STATE_FALLING]);
    const auto *zone = unit_cast<animal_part_u>(m_death_zone.get());
    int32_t code = zone ? zone->get_behavior_code() : -1;
    // No zone, or a zone that names no death of its own: one of the three deaths.
    if (code < 0) {
        base_ctrl_u *ctrl = get_current_ctrl();
        randomizer_t own(0);
        randomizer_t &random = ctrl ? ctrl->get_random() : own;
        code = int32_t(ANIMAL_HEADSHOT + random.rand_u(3));
    }
    model->play_behavior(uint32_t(code), true, 0);
}

// ---- the rounds' spawner ----

owner_ptr_ret_t<target_u> animal_target_u::spawn_for_round(unit_base_t *description, trail_u *trail,
                                                          const char *bonus, uint32_t random_value) {
    auto *desc = unit_cast<animal_model_desc_u>(description);
    if (!desc) {
        error("[animal] The round names a unit of class '%s' as an animal: nothing is spawned",
              description ? description->get_descriptor()->class_name->c_str() : "none");
        return {};
    }
    return spawn(desc, trail, bonus, random_value);
}

}  // namespace quarn

GAME_MODULE_ROWS(animal_targets, quarn::game_class_row(quarn::animal_target_u::unit_descriptor),
                 quarn::game_factory_row(quarn::ANIMAL_TARGET_SPAWNER, &quarn::animal_target_u::spawn_for_round));
