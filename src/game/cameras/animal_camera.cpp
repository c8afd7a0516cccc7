#include "game/cameras/animal_camera.h"

#include <algorithm>
#include <cmath>

#include "game/ai/mind/ai_animal.h"
#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/physics/physics_types.h"
#include "game/world/environment.h"
#include "game/world/landscape.h"
#include "game/world/sun.h"
#include "game/world/world.h"
#include "kernel/sys.h"
#include "qrncore/math/ypr.h"

namespace quarn {

namespace {

world_u *scene_world() {
    base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? ctrl->get_world() : nullptr;
}

float yaw_of(const quat_t &rotation) { return rotation.get_ypr().yaw; }

// The horizontal direction of a yaw (degrees).
vec3_t yaw_direction(float yaw) { return ypr_t(yaw, 0.0f, 0.0f).get_direction(); }

// a at draw 0, b at draw 1; exactly a when both are equal.
float between(float a, float b, float draw) { return a + draw * (b - a); }

}  // namespace

animal_camera_t::~animal_camera_t() { follow(nullptr, 0.0f); }

void animal_camera_t::follow(ai_animal_t *animal, float height_range) {
    if (m_target) {
        if (game_data_t *data = get_game_data()) data->fov = m_saved_fov;
        m_target = nullptr;
    }
    m_target = animal;
    if (!animal) return;
    m_height_range = height_range;
    game_data_t *data = get_game_data();
    m_saved_fov = data ? data->fov : NO_DATA_FOV;
    m_has_spot = false;
    new_shot(false);
}

float animal_camera_t::ride_side(float draw) {
    if (draw < 0.5f) return -1.0f;
    if (draw > 0.5f) return 1.0f;
    return 0.0f;
}

void animal_camera_t::new_shot(bool flash) {
    base_ctrl_u *ctrl = get_current_ctrl();
    begin_shot(ctrl ? ctrl->get_random().rand_u(SHOT_KINDS) : SHOT_TRACKING, flash);
}

void animal_camera_t::begin_shot(uint32_t kind, bool flash) {
    if (!m_target) return;
    m_shot_kind = kind < SHOT_KINDS ? kind : SHOT_TRACKING;
    // A zooming shot leaves the field of view narrowed: every other kind films with the
    // saved one again.
    game_data_t *data = get_game_data();
    if (data && m_shot_kind != SHOT_ZOOMING) data->fov = m_saved_fov;
    switch (m_shot_kind) {
    case SHOT_TRACKING:
        pick_spot();
        aim(get_aim_point(), m_saved_fov);
        break;
    case SHOT_ZOOMING:
        m_zoom_fov = m_saved_fov;
        pick_spot();
        zoom_step(0.0f);
        break;
    default: {
        const float yaw = yaw_of(m_target->get_rotation());
        const float side = ride_side(sys_rand());
        m_ride_yaw = sys_rand() * yaw_spread * side + yaw;
        m_ride_distance = between(min_distance, max_distance, sys_rand());
        m_ride_height = sys_rand() * m_height_range + min_height;
        ride_step();
        break;
    }
    }
    if (flash) flash_cut();
    m_placement = placement_t(m_shot_position, m_shot_rotation);
    m_shot_time = 0.0f;
    m_hidden_time = 0.0f;
    m_shot_length = between(shot_min_time, shot_max_time, sys_rand());
    ++m_shot_count;
    base_ctrl_u *ctrl = get_current_ctrl();
    environment_u *environment = ctrl ? ctrl->get_environment() : nullptr;
    sun_u *sun = environment ? environment->get_sun() : nullptr;
    if (sun) sun->set_azimuth(yaw_of(m_shot_rotation) + SUN_OFFSET);
    refresh_frustum();
}

void animal_camera_t::flash_cut() {
    if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->flash_color(CUT_FLASH_COLOUR, -1.0f, CUT_FLASH_FADE_OUT);
}

vec3_t animal_camera_t::get_aim_point() const { return m_target->get_position(); }

vec3_t head_animal_camera_t::get_aim_point() const {
    vec3_t head;
    get_target()->get_head_offset(&head);
    return head;
}

// A spot at a random yaw within yaw_spread of the animal's heading and a random
// distance, dropped onto the ground and raised by min_height plus a random share of
// the height range. Around an animal over open water or beyond the map's edge no probe
// may ever find ground, so the picking gives up after SPOT_TRIES probes: the camera then
// keeps the spot it had, or, for the first shot of an animal, stands min_height above
// the animal.
void animal_camera_t::pick_spot() {
    world_u *world = scene_world();
    const vec3_t position = m_target->get_position();
    const float heading = yaw_of(m_target->get_rotation());
    for (int i = 0; i < SPOT_TRIES; ++i) {
        const float yaw = heading + (2.0f * sys_rand() - 1.0f) * yaw_spread;
        const float distance = between(min_distance, max_distance, sys_rand());
        const vec3_t candidate = position + yaw_direction(yaw) * distance;
        physics_ray_hit_t hit;
        if (world && world->find_ground(hit, candidate, QUERY_MASK)) {
            m_shot_position = hit.position + vec3_t{0.0f, sys_rand() * m_height_range + min_height, 0.0f};
            m_has_spot = true;
            return;
        }
    }
    if (!m_has_spot) m_shot_position = position + vec3_t{0.0f, min_height, 0.0f};
    m_has_spot = true;
}

// Looking straight at p, the frame is turned by yaw and pitch in proportion to the
// field of view, so the animal sits off the centre by a share of the frame. The turn is
// added to the look's yaw and pitch, so the horizon stays level.
void animal_camera_t::aim(const vec3_t &p, float fov) {
    ypr_t look;
    look.set_direction(p - m_shot_position);
    look.yaw += AIM_YAW_SHARE * fov;
    look.pitch += AIM_PITCH_SHARE * fov;
    look.roll = 0.0f;
    m_shot_rotation.set(look);
}

void animal_camera_t::zoom_step(float dt) {
    const float k = dt * 0.5f;
    m_zoom_fov = std::max((1.0f - k) * m_zoom_fov + k * ZOOM_LIMIT, ZOOM_LIMIT);
    if (game_data_t *data = get_game_data()) data->fov = m_zoom_fov;
    aim(get_aim_point(), m_zoom_fov);
}

// The offset is fixed in the world (yaw and distance from the animal's position), so the
// camera rides along as the animal moves; over ground it holds ride_height above it.
void animal_camera_t::ride_step() {
    m_shot_position = m_target->get_position() + yaw_direction(m_ride_yaw) * m_ride_distance;
    physics_ray_hit_t hit;
    world_u *world = scene_world();
    if (world && world->find_ground(hit, m_shot_position, QUERY_MASK))
        m_shot_position = hit.position + vec3_t{0.0f, m_ride_height, 0.0f};
    aim(get_aim_point(), m_saved_fov);
}

// Clear when the world has nothing on the segment from the shot toward the animal,
// stopping SIGHT_SHORTFALL short of it (the animal's own body is no obstacle). A camera
// standing on the animal sees it.
bool animal_camera_t::line_of_sight() const {
    world_u *world = scene_world();
    if (!world) return true;
    const vec3_t to_animal = m_target->get_position() - m_shot_position;
    const float distance = length(to_animal);
    if (!(distance > 0.0f)) return true;
    const float reach = std::max(distance - SIGHT_SHORTFALL, MIN_SIGHT);
    physics_ray_hit_t hit;
    return !world->trace_segment_filtered(hit, m_shot_position, m_shot_position + to_animal * (reach / distance),
                                          QUERY_MASK);
}

void animal_camera_t::update(float dt) {
    if (!m_target) return;
    switch (m_shot_kind) {
    case SHOT_TRACKING: aim(get_aim_point(), m_saved_fov); break;
    case SHOT_ZOOMING: zoom_step(dt); break;
    default: ride_step(); break;
    }
    m_hidden_time += dt;
    m_sight_countdown -= dt;
    if (m_sight_countdown < 0.0f) {
        m_sight_countdown = SIGHT_CHECK_INTERVAL;
        if (line_of_sight()) m_hidden_time = 0.0f;
    }
    m_shot_time += dt;
    const float distance = length(m_target->get_position() - m_shot_position);
    const bool too_near = distance < NEAR_SHARE * min_distance && m_shot_time >= MIN_NEAR_SHOT_TIME;
    if (m_hidden_time > HIDDEN_LIMIT || too_near || m_shot_time > m_shot_length) new_shot(true);
    m_placement.interpolate(m_placement, placement_t(m_shot_position, m_shot_rotation), std::min(dt * 0.5f, 1.0f));
    refresh_frustum();
}

void animal_camera_t::refresh_frustum() {
    if (const game_data_t *data = get_game_data()) data->apply_view(m_frustum);
    m_frustum.update(m_placement.position, m_placement.rotation);
}

}  // namespace quarn
