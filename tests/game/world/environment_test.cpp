// The environment: its start, the clock and the weather steps it runs, the weather
// as a table of cases, the colours, the view distance, the camera movement, and the
// light factor of the current scene's sun.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "env_fixture.h"
#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/world/environment.h"
#include "kernel/console/cvars.h"
#include "support/math_compare.h"

namespace quarn::test {

// A controller whose camera the test moves.
class env_test_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(env_test_ctrl_u, base_ctrl_u);

public:
    class view_t : public scene_view_t {
    public:
        placement_t get_placement() const override { return {position, quat_t()}; }
        vec3_t position;
    };
    class player_t : public scene_object_t {
    public:
        void update(float) override {}
    };
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }

    view_t view;
    player_t player;
};
QRN_UNIT_DEFINE(env_test_ctrl_u, "env_test_ctrl");

namespace {

class environment : public env_fixture_t {
protected:
    void TearDown() override {
        set_current_ctrl({});
        set_game_data(nullptr);
        env_fixture_t::TearDown();
    }
    // A controller made current; its environment.
    environment_u *start_scene() {
        set_current_ctrl(env_test_ctrl_u::create());
        ctrl = static_cast<env_test_ctrl_u *>(get_current_ctrl());
        return ctrl->get_environment();
    }

    env_test_ctrl_u *ctrl = nullptr;
};

TEST_F(environment, a_new_environment_starts_at_eight_in_full_light_until_its_first_step) {
    owner_ptr_t<environment_u> env(environment_u::create());
    ASSERT_TRUE(env);
    ASSERT_TRUE(env->get_sun() && env->get_fog() && env->get_wind() && env->get_temperature());
    EXPECT_EQ(env->get_time_of_day(), 28800.0f);
    EXPECT_EQ(env->get_brightness(), 1.0f);
    EXPECT_EQ(env->get_scene_colour(), (scene_colour_t{255, 255, 255, 255}));
    EXPECT_EQ(env->get_weather_condition(), 0.1f);
    EXPECT_EQ(env->get_weather_target(), 0.1f);  // the first step drew it, with no variability
    EXPECT_EQ(env->get_temperature()->get_temperature(), 15.0f);
    EXPECT_FALSE(env->is_time_frozen());

    env->update(0.1f);  // no weather step yet
    EXPECT_EQ(env->get_scene_colour(), (scene_colour_t{255, 255, 255, 255}));
    env->update(0.1f);
    EXPECT_FLOAT_EQ(env->get_time_of_day(), 28802.0f);
    // The first sun has no tables: its start colours lit from straight above.
    EXPECT_EQ(env->get_scene_colour(), (scene_colour_t{255, 255, 153, 255}));
    EXPECT_EQ(env->get_scene_colour_2(), env->get_scene_colour());
    EXPECT_EQ(env->get_scene_colour_3(), env->get_scene_colour());
    EXPECT_FLOAT_EQ(env->get_brightness(), 1.0f);  // the next step takes the new colour
    env->weather_step(0.0f);
    EXPECT_FLOAT_EQ(env->get_brightness(), (1.0f + 1.0f + 0.6f) * 0.33333334f);
    EXPECT_TRUE(vec_near(env->get_fog()->get_light_colour(), vec3_t{0.5f, 0.5f, 0.3f}, TOL_ULPS));

    owner_ptr_t<environment_u> copy(unit_cast<environment_u>(env->clone()));  // a new one
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->get_sun(), env->get_sun());
    EXPECT_EQ(copy->get_time_of_day(), 28800.0f);
    EXPECT_EQ(copy->get_scene_colour(), (scene_colour_t{255, 255, 255, 255}));
}

TEST_F(environment, weather_steps_come_every_fifth_of_a_second_and_stand_still_when_frozen) {
    owner_ptr_t<environment_u> env(environment_u::create());
    env->set_weather(0.5f, 0.0f, 0.01f);
    env->set_weather_condition(0.25f, 0.75f);
    env->update(0.125f);
    EXPECT_EQ(env->get_weather_condition(), 0.25f);
    env->update(0.125f);  // 2.5 game seconds since the last step
    EXPECT_FLOAT_EQ(env->get_weather_condition(), 0.275f);

    env->freeze_time();
    const float time = env->get_time_of_day();
    for (int i = 0; i < 50; ++i) env->update(0.1f);
    EXPECT_TRUE(env->is_time_frozen());
    EXPECT_EQ(env->get_time_of_day(), time);
    EXPECT_FLOAT_EQ(env->get_weather_condition(), 0.275f);
    EXPECT_EQ(env->get_weather_target(), 0.75f);
}

TEST_F(environment, the_weather_step_drifts_draws_targets_and_makes_rain_snow_and_fog) {
    struct {
        const char *what;
        float condition, target, temperature, elapsed, speed;
        float after;     // condition
        bool new_target;  // drawn within 0.2..0.4 (base 0.3, variability 0.1)
        float rain, snow;
    } cases[] = {
        {"rising exactly onto the target", 0.5f, 0.75f, 20, 8, 0.03125f, 0.75f, true, 0.16667f, 0},
        {"rising short of it", 0.5f, 0.75f, 20, 4, 0.03125f, 0.625f, false, 0, 0},
        {"falling short of it", 0.9f, 0.8f, 20, 10, 0.001f, 0.89f, false, 0.63333f, 0},
        {"falling past it", 0.9f, 0.8f, 20, 10, 0.02f, 0.7f, true, 0, 0},
        {"falling exactly onto it draws at the next step", 0.875f, 0.75f, 20, 8, 0.015625f, 0.75f, false, 0.16667f, 0},
        {"no time passes on the target", 0.4f, 0.4f, 20, 0, 0.5f, 0.4f, true, 0, 0},
        {"0.7 gives nothing", 0.7f, 0.3f, 20, 0, 0, 0.7f, false, 0, 0},
        {"1.0 at 20 degrees rains", 1.0f, 1.0f, 20, 0, 0, 1.0f, true, 1.0f, 0},
        {"1.0 at -1 degree snows", 1.0f, 1.0f, -1, 0, 0, 1.0f, true, 0, 1.0f},
        {"at 0 degrees both, each up to half", 0.85f, 0.9f, 0, 0, 0, 0.85f, false, 0.25f, 0.25f},
        {"held in 0..1", 0.95f, 1.0f, 20, 100, 1.0f, 1.0f, true, 1.0f, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        owner_ptr_t<environment_u> env(environment_u::create());
        env->set_weather(0.3f, 0.1f, c.speed);
        env->set_weather_condition(c.condition, c.target);
        env->get_temperature()->set_temperature(c.temperature);
        env->weather_step(c.elapsed);
        EXPECT_NEAR(env->get_weather_condition(), c.after, 1e-6f);
        if (c.new_target) {
            EXPECT_GE(env->get_weather_target(), 0.2f);
            EXPECT_LE(env->get_weather_target(), 0.4f);
        } else {
            EXPECT_EQ(env->get_weather_target(), c.target);
        }
        EXPECT_NEAR(env->get_rain_amount(), c.rain, 1e-5f);
        EXPECT_NEAR(env->get_snow_amount(), c.snow, 1e-5f);
        // The environment's first fog has no density of its own: all of it is the
        // weather's share.
        EXPECT_NEAR(env->get_fog()->get_intensity(), (c.rain + c.snow) * 0.005f, 1e-7f);
        EXPECT_FLOAT_EQ(env->get_brightness(), 1.0f - 8.0f * env->get_fog()->get_intensity());
    }
}

TEST_F(environment, the_time_of_day_is_set_in_hours_and_refuses_what_is_no_number) {
    owner_ptr_t<environment_u> env(environment_u::create());
    env->set_weather(0.5f, 0.0f, 1.0f);
    env->set_weather_condition(0.25f, 0.75f);
    env->update(0.125f);
    ASSERT_TRUE(env->set_time_of_day(14.5f));
    EXPECT_EQ(env->get_time_of_day(), 52200.0f);
    EXPECT_EQ(env->get_weather_condition(), 0.25f);  // its step had no elapsed time
    env->update(0.125f);  // the timer started over: no step
    EXPECT_EQ(env->get_weather_condition(), 0.25f);

    ASSERT_TRUE(env->set_time_of_day(-1.0f));  // "g_time -1": 23:00 the day before
    env->get_sun()->recompute(env->get_time_of_day());
    EXPECT_NEAR(std::asin(env->get_sun()->get_direction().y) * 57.29578f, sun_u::NIGHT_ELEVATION, TOL_DEGREES);

    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e37f}) {
        message_capture_t log;
        EXPECT_FALSE(env->set_time_of_day(bad)) << bad;
        EXPECT_EQ(env->get_time_of_day(), -3600.0f);
        EXPECT_TRUE(log.contains("[env] The time of day"));
    }
}

TEST_F(environment, the_view_distance_goes_into_the_game_data_by_g_zclip) {
    owner_ptr_t<environment_u> env(environment_u::create());
    EXPECT_FALSE(env->apply_view_distance(true));  // no game data
    game_data_t data;
    data.fov = 45.0f;
    set_game_data(&data);
    ASSERT_TRUE(env->apply_view_distance(false));  // g_zclip unregistered: 0.5
    EXPECT_FLOAT_EQ(data.far_plane, 650.0f);
    EXPECT_FLOAT_EQ(data.near_plane, 0.17f);
    EXPECT_EQ(data.fov, 45.0f);

    static cvar_t zclip("g_zclip", "0.5");
    cvar_register_variable(&zclip);
    struct {
        const char *value;
        float far;
    } cases[] = {{"0.5", 650.0f}, {"0", 300.0f}, {"1", 1000.0f}, {"1.01", 1007.0f}};
    for (const auto &c : cases) {
        ASSERT_TRUE(zclip.set(c.value));
        ASSERT_TRUE(env->apply_view_distance(true));
        EXPECT_FLOAT_EQ(data.far_plane, c.far) << c.value;
        EXPECT_EQ(data.fov, 60.0f);
    }
    cvar_unregister_variable(&zclip);

    // The fog measures its density against the game data's far plane.
    owner_ptr_t<fog_u> fog(load<fog_u>("fog : .f { max_intensity: 0.8 }"));
    ASSERT_TRUE(fog);
    EXPECT_NEAR(fog->get_base_density(), std::sqrt(-std::log(0.2f)) / 1007.0f, 1e-7f);
}

TEST_F(environment, the_camera_movement_is_measured_each_frame) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    ctrl->view.position = {3.0f, 1.0f, -2.0f};
    ctrl->update(0.05f);
    EXPECT_TRUE(vec_near(env->get_camera_movement(), vec3_t{3.0f, 1.0f, -2.0f}, 0.0f));
    ctrl->view.position = {4.0f, 1.0f, -2.5f};
    ctrl->update(0.05f);
    EXPECT_TRUE(vec_near(env->get_camera_movement(), vec3_t{1.0f, 0.0f, -0.5f}, 0.0f));
    EXPECT_TRUE(vec_near(env->get_last_camera_position(), vec3_t{4.0f, 1.0f, -2.5f}, 0.0f));
    ctrl->update(0.05f);
    EXPECT_TRUE(vec_near(env->get_camera_movement(), vec3_t{0.0f, 0.0f, 0.0f}, 0.0f));
}

TEST_F(environment, the_scene_sun_lights_a_surface_by_its_normal) {
    const vec3_t up{0.0f, 1.0f, 0.0f}, level{1.0f, 0.0f, 0.0f}, down{0.0f, -1.0f, 0.0f};
    EXPECT_EQ(compute_sun_light_factor(up, 0.25f), 0.25f);  // no scene: the base alone
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    struct {
        vec3_t normal;
        float base, factor;
    } cases[] = {{up, 0.25f, 1.0f},    {level, 0.25f, 0.25f}, {down, 0.25f, 0.25f},
                 {up, 1.0f, 1.0f},     {down, 0.0f, 0.0f},    {normalized(vec3_t{1.0f, 1.0f, 0.0f}), 0.0f, 0.70710677f}};
    for (const auto &c : cases)  // the first sun stands straight above
        EXPECT_NEAR(compute_sun_light_factor(c.normal, c.base), c.factor, TOL_ULPS);

    env->get_sun()->set_azimuth(90.0f);  // recomputed at the scene's 8:00: day height toward +x
    const vec3_t d = env->get_sun()->get_direction();
    EXPECT_GT(d.x, 0.0f);
    EXPECT_NEAR(compute_sun_light_factor(level, 0.5f), 0.5f + 0.5f * d.x, TOL_ULPS);
    EXPECT_NEAR(compute_sun_light_factor(env->get_sun(), down, 0.5f), 0.5f, TOL_ULPS);
    EXPECT_EQ(compute_sun_light_factor(nullptr, up, 0.5f), 0.5f);
}

TEST_F(environment, the_climate_units_follow_the_scene_they_are_in) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    owner_ptr_t<sun_u> sun(load<sun_u>(
        [] {
            std::string s = "sun : .s {\n";
            for (int h = 0; h < 24; ++h)
                s += " ambient_levels[]: (" + std::to_string(10 * h) + ", 0, 0, 255) diffuse_levels[]: (0, 0, 0, 0)"
                     " specular_levels[]: (0, 0, 0, 0)\n";
            return s + "}";
        }()));
    ASSERT_TRUE(sun);
    ASSERT_TRUE(env->set_time_of_day(6.5f));
    sun->update(0.1f);  // at the scene's time
    EXPECT_NEAR(sun->get_ambient().x, 65.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(std::asin(sun->get_direction().y) * 57.29578f, sun_u::DAY_ELEVATION, TOL_DEGREES);

    owner_ptr_t<temperature_u> t(load<temperature_u>("temperature : .t { min_temperature: 0 max_temperature: 4 }"));
    ASSERT_TRUE(t);
    t->update(0.1f);  // the scene's sun never cools: up
    EXPECT_FLOAT_EQ(t->get_temperature(), 3.0f);
}

}  // namespace
}  // namespace quarn::test
