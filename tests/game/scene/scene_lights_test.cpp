// The camera and lights of a frame: the time-of-day share, the flat light, the view
// rotation turning the view-space lights (not the sun), the cameras' planes and fields
// of view, and the projection taken from the view the game process pushed.
#include <gtest/gtest.h>

#include <cmath>

#include "game/game_data.h"
#include "game/scene/scene_fixture.h"
#include "game/world/environment.h"
#include "game/world/fog.h"
#include "game/world/sun.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/cvar.h"
#include "outside/visbase/camera.h"
#include "outside/visbase/render.h"
#include "qrncore/geometry/projection.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {
namespace {

class scene_lights : public scene_fixture_t {
protected:
    void SetUp() override {
        scene_fixture_t::SetUp();
        old_view = gfx_view_get();
        set_game_data(&data);
        ctrl = make_ctrl();
        env = ctrl->get_environment();
        ASSERT_TRUE(env && env->get_sun());
    }
    void TearDown() override {
        if (flat_registered) cvar_unregister_variable(&flat);
        set_game_data(nullptr);
        gfx_view_set(old_view);
        ctrl.reset();
        scene_fixture_t::TearDown();
    }
    void expect_near(const vec4_t &a, const vec4_t &b, const char *what) {
        EXPECT_NEAR(a.x, b.x, 1e-5f) << what;
        EXPECT_NEAR(a.y, b.y, 1e-5f) << what;
        EXPECT_NEAR(a.z, b.z, 1e-5f) << what;
        EXPECT_NEAR(a.w, b.w, 1e-5f) << what;
    }
    static vec4_t rgb1(const vec4_t &v) { return {v.x, v.y, v.z, 1.0f}; }

    game_data_t data;
    owner_ptr_t<test_ctrl_u> ctrl;
    environment_u *env = nullptr;
    r_view_t old_view;
    cvar_t flat{"fx_flat_factor", "0.5"};
    bool flat_registered = false;
};

TEST_F(scene_lights, the_time_of_day_light_takes_more_ambient_around_noon) {
    const struct {
        float hours, k;
    } cases[] = {{12, 0.4f}, {9, 0.3f}, {15, 0.3f}, {6, 0.2f}, {18, 0.2f}, {0, 0.2f}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.hours);
        EXPECT_NEAR(base_ctrl_u::time_of_day_share(c.hours), c.k, 1e-6f);
        ASSERT_TRUE(env->set_time_of_day(c.hours));
        ctrl->update_camera_and_lights();
        const sun_u *sun = env->get_sun();
        const fw4pp_light_u *light = ctrl->get_light_packet(2);  // light 3
        expect_near(light->ambient, rgb1(sun->get_ambient() + c.k * sun->get_diffuse()), "ambient");
        expect_near(light->diffuse, rgb1((1.0f - c.k) * sun->get_diffuse()), "diffuse");
        expect_near(light->specular, sun->get_specular(), "specular");
    }
}

TEST_F(scene_lights, the_flat_light_adds_the_factor_of_the_diffuse_colour) {
    cvar_register_variable(&flat);
    flat_registered = true;
    const sun_u *sun = env->get_sun();
    for (const char *value : {"0", "1"}) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(flat.set(value));
        ctrl->update_camera_and_lights();
        const float f = value[0] == '1' ? 1.0f : 0.0f;
        const fw4pp_light_u *light = ctrl->get_light_packet(1);  // light 2
        expect_near(light->ambient, rgb1(sun->get_ambient() + f * sun->get_diffuse()), "ambient");
        expect_near(light->diffuse, vec4_t{0, 0, 0, 1}, "no diffuse");
    }
    // The sun, its light and the lit colour.
    expect_near(ctrl->get_light_packet(0)->diffuse, sun->get_diffuse(), "sun");
    expect_near(ctrl->get_light_packet(7)->ambient, sun->get_lit_color(), "lit colour");
    expect_near(ctrl->get_light_packet(6)->es_direction,
                vec4_t{0.2f / std::sqrt(2.04f), -1.0f / std::sqrt(2.04f), -1.0f / std::sqrt(2.04f), 0.0f},
                "light 7 stays in the camera's frame");
    const fog_u *fog = env->get_fog();
    EXPECT_EQ(ctrl->get_fog_packet()->colour.w, fog->get_intensity());
    EXPECT_EQ(ctrl->get_fog_packet()->colour.x, fog->get_light_colour().x);
}

TEST_F(scene_lights, a_view_rotation_turns_the_view_space_lights_and_not_the_sun) {
    ctrl->update_camera_and_lights();
    const vec4_t sun_before = ctrl->get_light_packet(0)->es_direction;
    const vec4_t side_before = ctrl->get_light_packet(4)->es_direction;
    const vec3_t sun_direction = env->get_sun()->get_direction();
    // The sun stands straight up at the start: a quarter turn about z lays its light
    // along x in the camera's frame.
    quat_t turn;
    turn.set_axis_angle(vec3_t{0, 0, 1}, float(M_PI / 2));
    ctrl->set_view_rotation(turn);
    ctrl->update_camera_and_lights();
    const vec4_t sun_after = ctrl->get_light_packet(0)->es_direction;
    const vec3_t expected = normalized(turn.inverse_rotate(-sun_direction));
    expect_near(sun_after, vec4_t{expected.x, expected.y, expected.z, 0.0f}, "sun light in the turned frame");
    EXPECT_GT(std::fabs(sun_after.x - sun_before.x), 0.5f);
    for (uint32_t i : {1u, 2u, 3u}) expect_near(ctrl->get_light_packet(i)->es_direction, sun_after, "follows the sun's");
    EXPECT_NE(ctrl->get_light_packet(4)->es_direction.x, side_before.x);
    EXPECT_EQ(env->get_sun()->get_direction().y, sun_direction.y) << "the sun itself stays";
    EXPECT_TRUE(ctrl->get_camera_packet(0)->camera != mat4_t::identity()) << "the camera turns";
}

TEST_F(scene_lights, cameras_take_their_planes_and_the_pushed_views_rectangle) {
    data.near_plane = 0.5f;
    data.far_plane = 800.0f;
    data.fov = 70.0f;
    data.first_person_fov = 45.0f;
    r_view_t view;
    view.x = 10;
    view.y = 20;
    view.width = 800;
    view.height = 400;
    gfx_view_set(view);
    ctrl->view.placement.position = {3, 4, 5};
    ctrl->update_camera_and_lights();

    const rectangle_t<float> rect{10, 810, 420, 20};
    const struct {
        uint32_t index;
        float near, far, fov;
        bool at_origin;
    } cases[] = {{0, 0.5f, 800, 70, false}, {1, 0.01f, 2, 45, true}, {2, 100, 10000, 70, false},
                 {3, 0.5f, 800, 70, true},  {4, 0.5f, 800, 70, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        mat4_t expected;
        r_frustum_projection_matrix(&expected, rect, c.near, c.far, c.fov, 0.0f);
        const pp_camera_u *camera = ctrl->get_camera_packet(c.index);
        EXPECT_TRUE(camera->projection == expected);
        const float x = camera->camera.at(0, 3);
        EXPECT_EQ(x, c.at_origin ? 0.0f : 3.0f);
    }
    // The aspect follows the rectangle: 800 wide, 400 high.
    EXPECT_NEAR(ctrl->get_camera_packet(0)->projection.at(1, 1) / ctrl->get_camera_packet(0)->projection.at(0, 0),
                2.0f, 1e-4f);
    EXPECT_TRUE(gfx_camera_world_matrix() == ctrl->get_camera_packet(0)->camera) << "camera 1 is loaded";
}

// A frame makes and drops no units: the view settings are read from the game data,
// and while there is none the cameras take those a new game data starts with.
TEST_F(scene_lights, a_frame_makes_no_units_and_without_game_data_takes_the_defaults) {
    r_view_t view;
    view.width = 640;
    view.height = 480;
    gfx_view_set(view);
    for (game_data_t *with : {&data, static_cast<game_data_t *>(nullptr)}) {
        SCOPED_TRACE(with ? "with game data" : "without");
        set_game_data(with);
        unit_system_t::clean_garbage();
        for (int frame = 0; frame < 3; ++frame) ctrl->update_camera_and_lights();
        EXPECT_EQ(unit_system_t::get_garbage_count(), 0u);
    }
    const rectangle_t<float> rect{0, 640, 480, 0};
    const struct {
        uint32_t index;
        float near, far, fov;
    } cases[] = {{0, 0.1f, 1000, 60}, {1, 0.01f, 2, 60}, {2, 100, 10000, 60}};
    for (const auto &c : cases) {
        mat4_t expected;
        r_frustum_projection_matrix(&expected, rect, c.near, c.far, c.fov, 0.0f);
        EXPECT_TRUE(ctrl->get_camera_packet(c.index)->projection == expected) << c.index;
    }
}

}  // namespace
}  // namespace quarn::test
