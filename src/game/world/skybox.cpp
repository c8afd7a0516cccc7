#include "game/world/skybox.h"

#include <cmath>

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/visuals/models/model_desc.h"
#include "game/world/environment.h"
#include "game/world/sun.h"
#include "game/world/wind.h"

namespace quarn {

QRN_UNIT_DEFINE(skybox_u, "skybox");

void skybox_u::on_construct() {
    unit_system_t *system = get_system();
    m_model_packet = fw4pp_model_u::create(system);
    m_texture_packet = fw4pp_texture_transform_u::create(system);
    m_fog_packet = pp_fog_u::create(system);
}

void skybox_u::on_destroy() {
    if (m_listed) {
        if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->remove_list_object(this);
        m_listed = false;
    }
    drop_models();
    m_packets.clear();
    m_model_packet.reset();
    m_texture_packet.reset();
    m_fog_packet.reset();
}

void skybox_u::drop_models() {
    m_sun.reset();
    m_sun_template.reset();
    m_sky.reset();
    m_sky_template.reset();
}

void skybox_u::set_sky(const char *map_name, const char *look_name) {
    drop_models();
    m_sky_template.reset(model_desc_u_obtain(SKY_MODEL));
    model_desc_u *sky = m_sky_template.get();
    if (!sky) return;
    const int32_t look = sky->find_look(look_name ? look_name : "");
    const int32_t variant = sky->find_variant(map_name ? map_name : "");
    if (look < 0 || variant < 0) return;

    base_ctrl_u *ctrl = get_current_ctrl();
    m_packets.clear();
    m_packets.set(FW_SLOT_CAMERA, ctrl ? ctrl->get_camera_packet(SCENE_CAMERA) : nullptr);
    m_packets.set(FW_SLOT_MODEL, m_model_packet.get());
    m_packets.set(FW_SLOT_FOG, m_fog_packet.get());
    m_packets.set(FW_SLOT_LIGHT, ctrl ? ctrl->get_light_packet(SCENE_LIGHT) : nullptr);
    m_packets.set(FW_SLOT_TEXTURE_TRANSFORM, m_texture_packet.get());

    model_packets_for_all_t provider(&m_packets);
    m_sky = sky->create_object(uint32_t(look), uint32_t(variant), &provider, true);
    if (!m_sky || !m_sky->is_alive()) {
        m_sky.reset();
        return;
    }
    m_sky->set_packets(&m_packets, m_model_packet.get());

    if (ctrl && !m_listed) m_listed = ctrl->add_list_object(this);

    m_sun_template.reset(model_desc_u_obtain(SUN_MODEL));
    if (model_desc_u *sun = m_sun_template.get()) {
        m_sun = sun->create_object(0, 0, &provider, true);
        // Its own model packet: the disc is placed apart from the sky.
        if (m_sun && !m_sun->make_own_packets(m_packets)) m_sun.reset();
    }
}

void skybox_u::update(float dt) {
    const environment_u *environment = get_current_environment();
    const wind_u *wind = environment ? environment->get_wind() : nullptr;
    if (wind) move_clouds(dt, wind->get_direction(), wind->get_speed());
}

void skybox_u::move_clouds(float dt, const vec3_t &direction, float speed) {
    const float u = std::fmod(m_scroll.x - direction.x * speed * dt * CLOUD_SPEED, 1.0f);
    const float v = std::fmod(m_scroll.y - dt * speed * direction.z * CLOUD_SPEED, 1.0f);
    // A broken wind (not a number) leaves the clouds where they are.
    if (std::isfinite(u) && std::isfinite(v)) m_scroll = {u, v};
}

bool skybox_u::draw_sky(const vec3_t &camera, const sun_u *sun) {
    if (fw4pp_texture_transform_u *texture = m_texture_packet.get()) {
        texture->matrix = mat4_t::identity();
        texture->matrix[3] = m_scroll.x;
        texture->matrix[7] = m_scroll.y;
    }
    if (m_sky) {
        m_sky->set_placement({{camera.x, 0.0f, camera.z}, quat_t()});
        m_sky->draw();
    }
    if (!m_sun || !sun) return false;
    quat_t facing;
    facing.set_cartes(sun->get_direction());
    m_sun->set_placement({camera + sun->get_position() * SUN_DISTANCE, facing});
    if (!m_sun->is_visible()) return false;
    return m_sun->draw();
}

}  // namespace quarn
