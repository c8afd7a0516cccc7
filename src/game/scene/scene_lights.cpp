// The scene's camera and lights for a frame: the active view, the environment's sun
// and fog and the game data's view settings become the light, fog and camera packets
// the render passes read (docs/scene.md, "Camera and lights").
#include <algorithm>
#include <cmath>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/scene_view.h"
#include "game/world/environment.h"
#include "game/world/fog.h"
#include "game/world/sun.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cvar.h"
#include "outside/visbase/camera.h"
#include "outside/visbase/render.h"
#include "qrncore/geometry/projection.h"
#include "qrncore/math/ypr.h"

namespace quarn {

namespace {

// "fx_flat_factor" while the variable is not registered.
constexpr float DEFAULT_FLAT_FACTOR = 0.5f;
// The sky's camera and the held weapon's.
constexpr float SKY_NEAR = 100.0f;
constexpr float SKY_FAR = 10000.0f;
constexpr float FIRST_PERSON_NEAR = 0.01f;
constexpr float FIRST_PERSON_FAR = 2.0f;

vec4_t with_alpha_1(const vec4_t &v) { return {v.x, v.y, v.z, 1.0f}; }

vec4_t direction_of(const vec3_t &v) {
    const vec3_t n = normalized(v);
    return {n.x, n.y, n.z, 0.0f};
}

float flat_factor() {
    const cvar_t *variable = cvar_get("fx_flat_factor");
    return variable ? variable->get_float() : DEFAULT_FLAT_FACTOR;
}

// The projection of the view the game process pushed: left, right, top, bottom with y
// upward.
rectangle_t<float> view_rectangle() {
    const r_view_t &view = gfx_view_get();
    return {view.x, view.x + view.width, view.y + view.height, view.y};
}

void project(pp_camera_u *camera, const rectangle_t<float> &rect, float near_distance, float far_distance,
             float fov) {
    if (camera) r_frustum_projection_matrix(&camera->projection, rect, near_distance, far_distance, fov, 0.0f);
}

// The game data's view settings, or those a new game data starts with while there is
// none. Read every frame: a game data made for its defaults would make and drop two
// score records each time.
struct view_settings_t {
    float near_plane = game_data_t::DEFAULT_NEAR_PLANE;
    float far_plane = game_data_t::DEFAULT_FAR_PLANE;
    float fov = game_data_t::DEFAULT_FOV;
    float first_person_fov = game_data_t::DEFAULT_FOV;
};

view_settings_t view_settings() {
    view_settings_t settings;
    if (const game_data_t *data = get_game_data()) {
        settings.near_plane = data->near_plane;
        settings.far_plane = data->far_plane;
        settings.fov = data->fov;
        settings.first_person_fov = data->first_person_fov;
    }
    return settings;
}

}  // namespace

float scene_root_t::time_of_day_share(float hours) {
    return 0.4f - 0.2f * std::min(1.0f, std::fabs(12.0f - hours) / 6.0f);
}

void scene_root_t::update_camera_and_lights() {
    scene_view_t *view = get_view();
    const placement_t shown = view ? view->get_placement() : placement_t();
    const placement_t camera(shown.position, shown.rotation * m_view_rotation);
    const quat_t &rotation = camera.rotation;

    environment_u *environment = get_environment();
    const sun_u *sun = environment ? environment->get_sun() : nullptr;
    if (sun) {
        const vec4_t &ambient = sun->get_ambient();
        const vec4_t &diffuse = sun->get_diffuse();
        const vec4_t &specular = sun->get_specular();
        // The sun's light travels away from it; in the camera's frame.
        const vec4_t toward_ground = direction_of(rotation.inverse_rotate(-sun->get_direction()));

        fw4pp_light_u *light = m_lights[0].get();  // the sun
        light->es_direction = toward_ground;
        light->ambient = ambient;
        light->diffuse = diffuse;
        light->specular = specular;

        light = m_lights[1].get();  // flat: ambient only
        light->es_direction = toward_ground;
        light->ambient = with_alpha_1(ambient + flat_factor() * diffuse);

        light = m_lights[2].get();  // by the time of day: more ambient around noon
        const float k = time_of_day_share(environment->get_time_of_day() * (1.0f / 3600.0f));
        light->es_direction = toward_ground;
        light->ambient = with_alpha_1(ambient + k * diffuse);
        light->diffuse = with_alpha_1((1.0f - k) * diffuse);
        light->specular = specular;

        light = m_lights[3].get();
        light->es_direction = toward_ground;
        light->ambient = with_alpha_1(ambient + 0.3f * diffuse);
        light->diffuse = with_alpha_1(0.4f * diffuse);

        // Lights 5 and 6 come from the camera's side of the sky: a fixed direction
        // turned with the camera's heading alone.
        ypr_t heading = rotation.get_ypr();
        heading.pitch = 0.0f;
        heading.roll = 0.0f;
        quat_t yaw_only;
        yaw_only.set(heading);
        const vec4_t beside = direction_of(rotation.inverse_rotate(yaw_only.rotate(vec3_t{-0.666f, -1.0f, -1.0f})));
        for (uint32_t i : {4u, 5u}) {
            light = m_lights[i].get();
            light->es_direction = beside;
            light->ambient = ambient;
            light->diffuse = diffuse;
            light->specular = specular;
        }

        light = m_lights[6].get();  // fixed in the camera's frame
        light->es_direction = direction_of(vec3_t{0.2f, -1.0f, -1.0f});
        light->ambient = with_alpha_1(0.4f * ambient);
        light->diffuse = with_alpha_1(0.8f * diffuse);
        light->specular = specular;

        m_lights[7]->ambient = sun->get_lit_color();  // the lit colour (the sky)
    }

    if (fog_u *fog = environment ? environment->get_fog() : nullptr) {
        fog->update_density();
        m_fog->set_colour(fog->get_light_colour());
        m_fog->set_intensity(fog->get_intensity());
    }

    const view_settings_t settings = view_settings();
    const rectangle_t<float> rect = view_rectangle();
    const placement_t turned_only(vec3_t{}, rotation);

    pp_camera_u *main = m_cameras[0].get();
    project(main, rect, settings.near_plane, settings.far_plane, settings.fov);
    main->set_placement(camera);
    project(m_cameras[1].get(), rect, FIRST_PERSON_NEAR, FIRST_PERSON_FAR, settings.first_person_fov);
    m_cameras[1]->set_placement(turned_only);
    project(m_cameras[2].get(), rect, SKY_NEAR, SKY_FAR, settings.fov);
    m_cameras[2]->set_placement(camera);
    project(m_cameras[3].get(), rect, settings.near_plane, settings.far_plane, settings.fov);
    m_cameras[3]->set_placement(turned_only);
    project(m_cameras[4].get(), rect, settings.near_plane, settings.far_plane, settings.fov);

    gfx_camera_load(*main);
}

}  // namespace quarn
