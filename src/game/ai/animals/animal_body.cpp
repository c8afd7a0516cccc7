// The live animal's body, frame by frame: particles and breath, ground contact, the
// visibility pass and detail levels, step dust, footprints, blood, the shadow,
// drawing and the sounds of behaviour events (docs/animal-ai.md, "Live animals").
#include <cfloat>
#include <cmath>

#include "game/ai/animals/animal_base.h"
#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/visuals/effects/bits.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "game/world/environment.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/material.h"
#include "outside/visbase/camera.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/geometry/sphere.h"

namespace quarn {

namespace {

// Footprints and blood marks are probed from this far above the ground.
constexpr float MARK_PROBE_HEIGHT = 5.0f;
// A footprint lands up to this share of the spoor distance to the side.
constexpr float FOOTPRINT_SPREAD = 0.2f;
// Blood drops fall within this distance of the body in x and z.
constexpr float BLOOD_SPREAD = 0.8f;
// The ground's light on the body: this share is ambient.
constexpr float BODY_AMBIENT = 0.6f;
// The shadow fades out this fast with the height above ground, and is gone above
// SHADOW_HEIGHT.
constexpr float SHADOW_FADE = 5.0f;
constexpr float SHADOW_HEIGHT = 0.2f;

world_u *current_world() {
    base_ctrl_u *ctrl = get_current_ctrl();
    return ctrl ? ctrl->get_world() : nullptr;
}

bool screensaver_mode() {
    const game_data_t *data = get_game_data();
    return data && data->mode == game_data_t::MODE_SCREENSAVER;
}

// The ground point under p, from MARK_PROBE_HEIGHT above it down as far below.
bool probe_mark(world_u &world, const vec3_t &p, physics_ray_hit_t &hit) {
    const vec3_t up{0.0f, MARK_PROBE_HEIGHT, 0.0f};
    return world.trace_segment(hit, p + up, p - up, world_u::MASK_TERRAIN);
}

void show_at(particle_set_u *set, const vec3_t &at, bool show) {
    if (!set) return;
    if (show) set->set_placement(placement_t(at, quat_t()));
    set->set_visible(show);
}

}  // namespace

// ---- static rules ----

int32_t animal_base_t::next_detail_level(int32_t level, float d) {
    constexpr float near2 = DETAIL_NEAR_DISTANCE * DETAIL_NEAR_DISTANCE;
    constexpr float far2 = DETAIL_FAR_DISTANCE * DETAIL_FAR_DISTANCE;
    switch (level) {
        case DETAIL_HIDDEN: return d >= near2 ? DETAIL_FAR : DETAIL_NEAR;
        case DETAIL_FAR: return d < near2 ? DETAIL_NEAR : DETAIL_FAR;
        case DETAIL_NEAR: return d > far2 ? DETAIL_FAR : DETAIL_NEAR;
        default: return level;
    }
}

animal_base_t::sound_t animal_base_t::footstep_sound(int32_t substance, float r) {
    switch (substance) {
        case 3: return r > 0.5f ? SOUND_SNOW1 : SOUND_SNOW2;
        case 4:
        case 5: return r > 0.75f ? SOUND_GRASS1 : SOUND_GRASS2;
        case 7: return r > 0.25f ? SOUND_LEAVES1 : SOUND_LEAVES2;
        case 16: return r > 0.5f ? SOUND_WATER1 : SOUND_WATER2;
        default: return r > 0.5f ? SOUND_DIRT1 : SOUND_DIRT2;
    }
}

bool animal_base_t::takes_footprints(int32_t substance) {
    switch (substance) {
        case 3: case 4: case 5: case 7: case 9: case 10: case 12: case 13: case 14: return true;
        default: return false;
    }
}

// ---- particles ----

void animal_base_t::update(float dt) { update_particles(dt); }

void animal_base_t::update_particles(float dt) {
    const environment_u *environment = get_current_environment();
    const wind_u *wind = environment ? environment->get_wind() : nullptr;
    const vec3_t velocity = wind ? wind->get_velocity() : vec3_t{0.0f, 0.0f, 0.0f};
    for (particle_set_u *set : {m_step_sand.get(), m_step_dirt.get()})
        if (set) set->set_wind(velocity);
    for (particle_set_u *set : {m_breath.get(), m_step_sand.get(), m_step_dirt.get()})
        if (set) set->update(dt);
    m_breath_timer -= dt;
    if (m_breath_timer >= 0.0f) return;
    if (m_breath) {
        vec3_t steam;
        const temperature_u *temperature = environment ? environment->get_temperature() : nullptr;
        // Without a scene there is no air to see the breath in.
        const bool cold = temperature && temperature->get_temperature() <= BREATH_TEMPERATURE;
        if (bone_world_position(m_steam_bone, &steam)) {
            m_breath->set_placement(placement_t(steam, m_rotation));
            m_breath->set_visible(cold);
        } else {
            m_breath->set_visible(false);
        }
    }
    update_step_dust();
    m_breath_timer = BREATH_INTERVAL;
}

void animal_base_t::update_step_dust() {
    const vec3_t back{m_position.x + m_facing.x * m_back_distance, m_position.y,
                      m_position.z + m_facing.z * m_back_distance};
    bool dirt = false, sand = false;
    // No dust from a body standing in water.
    if (!(m_height_above_ground > 0.0f) && m_particles_enabled && is_presenting()) {
        dirt = m_surface == 9 || m_surface == 12;
        sand = m_surface == 10;
    }
    show_at(m_step_dirt.get(), back, dirt);
    show_at(m_step_sand.get(), back, sand);
}

bool animal_base_t::is_presenting() const { return false; }

// ---- ground ----

bool animal_base_t::follow_ground() {
    world_u *world = current_world();
    if (!world) return false;
    const vec3_t flat_facing{m_facing.x, 0.0f, m_facing.z};
    vec3_t back = m_position + flat_facing * m_back_distance;
    vec3_t front = m_position + flat_facing * m_front_distance;
    float back_height = 0.0f;
    if (length_squared(back - m_probe_position) > 1.0f) {
        // The water fields are written only where water is found.
        ground_probe_t probe;
        probe.water_height = -FLT_MAX;
        probe.water_depth = -FLT_MAX;
        if (!world->get_ground_probe(probe, back)) return false;
        m_probe_position = back;
        m_ground_height = probe.ground_height;
        m_top_height = probe.water_height;
        m_height_above_ground = probe.water_depth;
        m_surface = probe.surface_kind;
        m_ground_normal = probe.ground_hit.normal;
        back_height = probe.ground_height;
    } else {
        physics_ray_hit_t hit;
        if (!world->find_ground(hit, back, world_u::MASK_TERRAIN)) return false;
        back_height = hit.position.y;
        m_ground_normal = hit.normal;
    }
    physics_ray_hit_t hit;
    if (!world->find_ground(hit, front, world_u::MASK_TERRAIN)) return false;
    float front_height = hit.position.y;
    // Deeper water than a step carries the body at the surface.
    if (m_height_above_ground > m_step_height) {
        const float floor = m_top_height - m_step_height;
        if (back_height < floor) back_height = floor;
        if (front_height < floor) front_height = floor;
    }
    back.y = back_height;
    front.y = front_height;
    m_position = (back + front) * 0.5f;
    const vec3_t along = front - back;
    if (length_squared(along) > vec_traits_t<float>::EPSILON) m_target_rotation.set_cartes(normalized(along));
    return true;
}

// ---- detail and drawing ----

void animal_base_t::set_detail_level(int32_t level) {
    if (level == DETAIL_HIDDEN) {
        hide_step_dust();
        m_detail = DETAIL_HIDDEN;
        return;
    }
    if (level != DETAIL_FAR && level != DETAIL_NEAR) return;
    const int32_t previous = m_detail;
    m_detail = level;
    if (previous == DETAIL_HIDDEN) {
        follow_ground();
    } else if (previous == DETAIL_NEAR && level != DETAIL_NEAR) {
        hide_step_dust();
    }
}

void animal_base_t::hide_step_dust() {
    show_at(m_step_sand.get(), m_position, false);
    show_at(m_step_dirt.get(), m_position, false);
}

void animal_base_t::visibility_pass() {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    const frustum_t *frustum = view ? view->get_frustum() : nullptr;
    const sphere_t sphere(m_position, m_radius);
    const bool visible = frustum ? frustum->intersects(sphere) : gfx_sphere_visible(sphere, mat4_t::identity());
    if (!visible) {
        if (m_detail != DETAIL_HIDDEN) set_detail_level(DETAIL_HIDDEN);
        return;
    }
    draw_body();
    const mat4_t &camera_matrix = gfx_camera_world_matrix();
    const vec3_t camera = view ? view->get_placement().position
                               : vec3_t{camera_matrix.m[3], camera_matrix.m[7], camera_matrix.m[11]};
    const float a = length_squared(m_position - camera);
    m_near_sound = a < NEAR_SOUND2;
    float zoom = frustum ? game_data_t::camera_zoom_factor(*frustum) : 1.0f;
    if (!(zoom > 0.0f) || !std::isfinite(zoom)) zoom = 1.0f;
    const float d = a / (zoom * zoom);
    if (m_detail == DETAIL_NEAR) {
        for (particle_set_u *set : {m_breath.get(), m_step_sand.get(), m_step_dirt.get()})
            if (set) set->draw();
        make_shadow();
    }
    const int32_t next = next_detail_level(m_detail, d);
    if (next != m_detail) set_detail_level(next);
}

void animal_base_t::draw_body() {
    model_object_u *model = get_model();
    zba_inst_t *inst = get_zba();
    if (!model || !inst) return;
    model->set_draw_matrix(body_placement().compute_matrix());
    const float l = compute_sun_light_factor(m_ground_normal, BODY_AMBIENT);
    m_light = l;
    if (m_tint_packet) m_tint_packet->modulator = {l, l, l, 1.0f};
    inst->submit_model();
}

void animal_base_t::make_shadow() {
    m_shadow.reset();
    const environment_u *environment = get_current_environment();
    const fog_u *fog = environment ? environment->get_fog() : nullptr;
    if (fog && fog->affects_sunlight()) return;
    if (m_height_above_ground > SHADOW_HEIGHT) return;
    world_u *world = current_world();
    landscape_u *landscape = world ? world->get_landscape() : nullptr;
    if (!landscape) return;
    const float alpha = m_height_above_ground > 0.0f ? 1.0f - fminf(SHADOW_FADE * m_height_above_ground, 1.0f) : 1.0f;
    const vec3_t half{m_box_max.x - m_box_min.x, 2.0f * (m_box_max.y - m_box_min.y),
                      0.8f * (m_box_max.z - m_box_min.z)};
    if (!(half.x > 0.0f && half.y > 0.0f && half.z > 0.0f)) return;
    m_shadow = landscape->build_projected_mesh(m_position, half, m_rotation);
    if (!m_shadow) return;
    if (!m_shadow_material_tried) {
        m_shadow_material_tried = true;
        m_shadow_material = get_material(SHADOW_MATERIAL);
    }
    m_shadow->set_material_item(m_shadow_material);
    float byte = alpha * 255.0f;
    if (byte > 255.0f) byte = 255.0f;
    if (byte < 0.0f) byte = 0.0f;
    m_shadow->colour = (uint32_t(byte) << 24) | 0x00FFFFFFu;
    m_shadow->queue();
}

// ---- marks ----

void animal_base_t::place_footprint() {
    if (screensaver_mode()) return;
    if (m_height_above_ground > 0.0f || !takes_footprints(m_surface)) return;
    world_u *world = current_world();
    base_ctrl_u *ctrl = get_current_ctrl();
    bits_t *bits = ctrl ? ctrl->get_bits() : nullptr;
    if (!world || !bits) return;
    const vec3_t side{-m_facing.z, 0.0f, m_facing.x};
    const float spread = random().rand() * FOOTPRINT_SPREAD * m_spoor_distance;
    const vec3_t at = m_position + side * (m_left_print ? -spread : spread);
    physics_ray_hit_t hit;
    if (probe_mark(*world, at, hit))
        bits->add_trail_mark(m_footprint_trail, m_left_print, hit.position, hit.normal, &m_facing, m_scale, -1);
    m_left_print = !m_left_print;
}

void animal_base_t::place_blood_mark(bool final) {
    world_u *world = current_world();
    base_ctrl_u *ctrl = get_current_ctrl();
    bits_t *bits = ctrl ? ctrl->get_bits() : nullptr;
    if (!world || !bits || m_blood_trail < 0) return;
    randomizer_t &r = random();
    const float dx = (r.rand() * 2.0f - 1.0f) * BLOOD_SPREAD;
    const float dz = (r.rand() * 2.0f - 1.0f) * BLOOD_SPREAD;
    const vec3_t orientation{r.rand() - 0.5f, 0.01f, r.rand() - 0.5f};
    physics_ray_hit_t hit;
    if (!probe_mark(*world, m_position + vec3_t{dx, 0.0f, dz}, hit)) return;
    // The death leaves the trail's last step (a pool); drops go by the pattern.
    const uint32_t steps = uint32_t(m_blood_trail) < bits->get_trail_count()
                               ? bits->get_trail(uint32_t(m_blood_trail)).steps.get_count()
                               : 0;
    const int32_t step = final && steps > 0 ? int32_t(steps - 1) : -1;
    bits->add_trail_mark(m_blood_trail, true, hit.position, hit.normal, &orientation, 1.0f, step);
}

// ---- sounds ----

void animal_base_t::play_sound(uint32_t slot, bool only_when_idle) {
    sound_u *sound = get_sound(slot);
    if (!sound) return;
    if (only_when_idle && sound->has_flag(sound_u::PLAYING | sound_u::PLAY_REQUESTED)) return;
    base_ctrl_u *ctrl = get_current_ctrl();
    sound->set_position(m_position.x, m_position.y, m_position.z);
    sound->set_rate(ctrl ? ctrl->get_sound_time_scale(1.0f) : 1.0f);
    sound->play();
}

void animal_base_t::notify(uint32_t kind, zba_value_t value, uint32_t channel) {
    if (kind == ZBA_NOTICE_INFO && (channel == 0 || channel == 4)) on_sound_event(value.text, channel);
}

void animal_base_t::on_sound_event(const char *text, uint32_t channel) {
    if (!text) return;
    switch (text[0]) {
        case 'f':
            if (m_near_sound) play_sound(footstep_sound(m_surface, random().rand()), false);
            break;
        case 'd':
            if (m_near_sound) play_sound(random().rand() > 0.5f ? SOUND_DROP1 : SOUND_DROP2, true);
            break;
        case 'p':
            if (channel == 0) play_sound(SOUND_SPECIFIC, true);
            break;
        default: break;
    }
}

}  // namespace quarn
