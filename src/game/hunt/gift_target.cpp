#include "game/hunt/gift_target.h"

#include <cmath>
#include <cstring>

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/hunt/hunter.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_hit.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/trail.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "outside/visbase/camera.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

QRN_UNIT_DEFINE(gift_target_u, "gift_target");

namespace {

constexpr float PI = 3.14159265f;
// The scene's packets the target is drawn with: the main camera, the fog, light 3
// (index 2).
constexpr uint32_t TARGET_CAMERA = 0;
constexpr uint32_t TARGET_LIGHT = 2;
constexpr float LEVEL_EPSILON = 1e-6f;

bool in_coin_round() {
    const game_data_t *data = get_game_data();
    return data && data->is_party_mode() && data->party_round == gift_target_u::COIN_ROUND;
}

// The growth of an arriving or shot target: 2 (1 − g²).
float swell(float g) { return 2.0f * (1.0f - g * g); }

}  // namespace

model_object_u *gift_target_u::get_model() const { return unit_cast<model_object_u>(m_model.get()); }

bool gift_target_u::pick_drop(const placement_t &camera, uint32_t random_value, vec3_t &point) {
    vec3_t heading = camera.rotation.get_cartes();
    heading.y = 0.0f;
    const float level = length(heading);
    if (!(level > LEVEL_EPSILON)) return false;
    heading = heading * (1.0f / level);
    randomizer_t random(random_value + SEED_OFFSET);
    const float distance = NEAREST + DISTANCE_RANGE * random.rand();
    const float angle = random.rand() * (PI / 4.0f) - PI / 8.0f;
    quat_t turn;
    turn.set_axis_angle({0.0f, 1.0f, 0.0f}, angle);
    point = camera.position + turn.rotate(heading) * distance;
    return true;
}

owner_ptr_ret_t<gift_target_u> gift_target_u::spawn(trail_u *trail, const char *gift, uint32_t random_value) {
    owner_ptr_t<gift_target_u> target(create());
    if (!target || !target->place(trail, gift, random_value)) return {};
    return owner_ptr_ret_t<gift_target_u>(target);
}

bool gift_target_u::place(trail_u *trail, const char *gift, uint32_t random_value) {
    if (!trail || !trail->is_alive()) return false;
    m_gift = gift ? gift : "";
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    world_u *world = hunt ? hunt->get_world() : nullptr;
    if (!world) return false;
    // The player's eye (the intro's camera never drops gifts: the rounds wait for it).
    const scene_view_t *view = hunt->get_hunter();
    if (!view) view = hunt->get_view();
    if (!view) return false;
    const placement_t camera = view->get_placement();

    vec3_t drop;
    if (!pick_drop(camera, random_value, drop)) return false;
    physics_ray_hit_t hit;
    if (!world->find_ground(hit, drop, GROUND_MASK)) return false;
    m_ground = hit.position;
    // Something between the eye and the ground point: the gift lands there, in sight.
    if (world->trace_segment(hit, camera.position, m_ground, SIGHT_MASK)) m_ground = hit.position;

    m_coin = in_coin_round();
    const char *model_name = m_coin ? COIN_MODEL : TARGET_MODEL;
    auto *source = unit_cast<model_object_u>(unit_system_t::find_unit(model_name));
    if (!source || !source->is_alive()) {
        error("[game] No gift model '%s': the gift target is not placed", model_name);
        return false;
    }
    m_model = owner_ptr_t<unit_base_t>(source->clone());
    model_object_u *model = get_model();
    m_model_packet = fw4pp_model_u::create(get_system());
    if (!model || !model->get_geom() || !m_model_packet) {
        error("[game] The gift model '%s' could not be copied: the gift target is not placed", model_name);
        return false;
    }
    const sphere_t box_sphere = model->get_geom()->get_bounding_sphere(-1);
    m_sphere = sphere_t({0.0f, 0.0f, 0.0f}, length(box_sphere.center) + box_sphere.radius);

    m_packets.set(FW_SLOT_CAMERA, hunt->get_camera_packet(TARGET_CAMERA));
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());
    m_packets.set(FW_SLOT_FOG, hunt->get_fog_packet());
    m_packets.set(FW_SLOT_LIGHT, hunt->get_light_packet(TARGET_LIGHT));
    model_packets_for_all_t all(&m_packets);
    model->apply_materials(&all);
    model->set_packets(&m_packets, m_model_packet.get());
    model->set_placement_mode(MODEL_PLACE_BY_MATRIX);

    m_position = m_ground + vec3_t{0.0f, DROP_HEIGHT, 0.0f};
    m_scale = START_SCALE;
    m_state = STATE_ARRIVING;
    m_time = 0.0f;
    return true;
}

void gift_target_u::update(float dt) {
    if (m_state == STATE_FINISHED) return;
    quat_t spin;
    spin.set_axis_angle({0.0f, 1.0f, 0.0f}, PI * dt * m_scale);
    m_rotation = m_rotation * spin;
    if (m_model_packet) m_model_packet->set_matrix_and_inverse(get_scaled_placement());
    m_time += dt;

    if (m_state != STATE_HIT) {
        m_position += m_velocity * dt;
        m_velocity.y -= GRAVITY * dt;
    }

    switch (m_state) {
        case STATE_ARRIVING: {
            const float t = m_time < GROW_TIME ? m_time / GROW_TIME : 1.0f;
            m_scale = swell(0.7f * t - (1.0f - t));
            if (m_position.y <= m_ground.y) {
                m_velocity = {0.0f, length(m_velocity), 0.0f};
                m_time = 0.0f;
                m_state = STATE_BOUNCED;
            }
            break;
        }
        case STATE_BOUNCED:
            if (m_time > STAY_TIME) {
                m_time = 0.0f;
                m_state = STATE_VANISHING;
            }
            break;
        case STATE_VANISHING:
            if (m_time > SHRINK_TIME) {
                m_state = STATE_FINISHED;
            } else {
                const float t = m_time / SHRINK_TIME;
                m_scale = 1.0f - t + START_SCALE * t;
            }
            break;
        case STATE_HIT:
            if (m_time > SHRINK_TIME) {
                m_state = STATE_FINISHED;
            } else {
                const float t = m_time / SHRINK_TIME;
                m_scale = swell(0.7f * (1.0f - t) - t);
            }
            break;
        default:
            break;
    }
}

void gift_target_u::draw() {
    model_object_u *model = get_model();
    if (!model || m_state == STATE_FINISHED) return;
    const sphere_t world_sphere(m_position, m_sphere.radius * m_scale);
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_view_t *view = ctrl ? ctrl->get_view() : nullptr;
    const frustum_t *frustum = view ? view->get_frustum() : nullptr;
    const bool visible =
        frustum ? frustum->intersects(world_sphere) : gfx_sphere_visible(world_sphere, mat4_t::identity());
    if (!visible) return;
    model->set_draw_matrix(get_scaled_placement().compute_matrix());
    model->draw();
}

bool gift_target_u::intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot, const vec3_t &end) {
    if (m_state >= STATE_VANISHING) return false;
    model_object_u *model = get_model();
    if (!model) return false;
    const placement_scale_t place = get_scaled_placement();
    const vec3_t start = place.to_local_space(shot.position);
    const vec3_t stop = place.to_local_space(end);
    if (!m_sphere.intersects(start, stop)) return false;
    model_hit_t hit;
    if (!model->intersect_segment(start, stop, hit)) return false;
    static_assert(sizeof hit == sizeof record.bytes, "a model hit fills the shot record");
    memcpy(record.bytes, &hit, sizeof hit);
    hit_point = place.from_local_space(hit.point);
    return true;
}

void gift_target_u::on_hit(const vec3_t &hit_point, projectile_u *, shot_record_t &record, const placement_t &shot,
                           const vec3_t &) {
    m_state = STATE_HIT;
    m_time = 0.0f;
    hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (!hunt) return;
    if (m_coin) {
        hunt->on_kill(this, nullptr, false, length(hit_point - shot.position));
        return;
    }
    if (game_data_t *data = get_game_data()) {
        const float left = hunt->get_time_left() > 0.0f ? hunt->get_time_left() : 0.0f;
        data->log_gift_hit(m_gift.c_str(), hunt->get_time_limit() - left);
    }
    hunt->on_hit(&record, nullptr);
    hunt->play_voiceover_named(VOICE, true);
}

void gift_target_u::on_destroy() {
    m_packets.clear();
    m_model_packet.reset();
    m_model.reset();
}

owner_ptr_ret_t<target_u> spawn_gift_target(trail_u *trail, const char *gift, uint32_t random_value) {
    owner_ptr_t<gift_target_u> target(gift_target_u::spawn(trail, gift, random_value));
    return owner_ptr_ret_t<target_u>(target);
}

}  // namespace quarn
