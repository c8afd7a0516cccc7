// Weather presets: the shipped files of the three maps, the typed load and its
// messages, and applying a preset to the running scene's environment: the climate
// copies, the update list, the layers, the sky, the condition's drift and the grass.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "weather_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

using environment_preset = weather_fixture_t;

constexpr float SHIPPED_SPEED = 0.2f * 2.0f * environment_u::WEATHER_SPEED_SCALE;

// What the Part's table gives the presets of every map.
struct shipped_t {
    const char *name;
    float cond;
    const char *sky;
    float fog_share;  // k: the share left visible at the fog's distance
    float fog_distance;
    vec3_t fog_colour;
    bool dims_sun;
    float min_t, max_t, wind;
    float ambient_noon;  // row 12 of the sun's ambient table, red
};
const shipped_t shipped[] = {
    {"clear", 0.1f, "flat", 0.2f, 1000.0f, {0.604f, 0.667f, 0.8f}, false, 20, 36, 0.1f, 120},
    {"sunset", 0.1f, "flat_sunset", 0.2f, 1000.0f, {0.686f, 0.396f, 0.251f}, false, 20, 36, 0.1f, 130},
    {"rain", 0.85f, "flat_c", 0.1f, 1000.0f, {0.067f, 0.231f, 0.318f}, false, 18, 31, 2.0f, 98},
    {"fog", 0.0f, "flat_f", 0.2f, 110.0f, {0.762f, 0.793f, 0.77f}, true, 11, 26, 0.1f, 120},
    {"violet", 0.1f, "flat_violet", 0.2f, 1000.0f, {0.666f, 0.522f, 0.506f}, false, 20, 36, 0.1f, 120},
};

TEST_F(environment_preset, every_map_ships_its_presets_with_the_table_values) {
    for (const char *map : {"valley", "peaks", "cross"}) {
        for (const shipped_t &s : shipped) {
            SCOPED_TRACE(std::string(map) + "/" + s.name);
            log.clear();
            owner_ptr_t<environment_preset_u> p(load_environment_preset(map, s.name));
            ASSERT_TRUE(p);
            EXPECT_TRUE(log.entries().empty());
            EXPECT_EQ(std::string(p->get_pretty_name()), std::string("@@df_weather_") + s.name + "@@");
            EXPECT_EQ(std::string(p->get_skybox_name()), s.sky);
            EXPECT_EQ(std::string(p->get_sun_name()), map);
            EXPECT_FLOAT_EQ(p->get_weather_cond(), s.cond);
            EXPECT_FLOAT_EQ(p->get_weather_cond_variability(), 0.2f);
            EXPECT_FLOAT_EQ(p->get_weather_cond_change_speed(), 2.0f);
            ASSERT_TRUE(p->get_sun() && p->get_fog() && p->get_temperature() && p->get_wind());
            EXPECT_EQ(p->get_sun()->get_ambient_levels().get_count(), 24u);
            EXPECT_NEAR(p->get_sun()->get_ambient_levels()[12].x, s.ambient_noon / 255.0f, 1e-6f);
            EXPECT_NEAR(p->get_fog()->get_base_density(), std::sqrt(-std::log(s.fog_share)) / s.fog_distance, 1e-7f);
            EXPECT_TRUE(vec_near(p->get_fog()->get_color(), s.fog_colour, TOL_ULPS));
            EXPECT_EQ(p->get_fog()->affects_sunlight(), s.dims_sun);
            EXPECT_EQ(p->get_temperature()->get_min_temperature(), s.min_t);
            EXPECT_EQ(p->get_temperature()->get_max_temperature(), s.max_t);
            EXPECT_EQ(p->get_wind()->get_speed(), s.wind);
        }
    }
    // The clear day's noon: rows 12 and 13 blend to 117.5 at 12:30.
    owner_ptr_t<environment_preset_u> clear(load_environment_preset("valley", "clear"));
    ASSERT_TRUE(clear);
    clear->get_sun()->recompute(45000.0f);
    EXPECT_NEAR(clear->get_sun()->get_ambient().x, 117.5f / 255.0f, 1e-6f);
}

TEST_F(environment_preset, a_missing_a_broken_or_a_foreign_file_gives_its_message_and_nothing) {
    put_map_file("environment/broken.unit", "RozErere\n{\nenvironment_preset : .p { weather_cond: cloudy }\n}\n");
    put_map_file("environment/foreign.unit", "RozErere\n{\nfog : .f { max_intensity: 0.5 }\n}\n");
    put_map_file("environment/two.unit", "RozErere\n{\nfog : .f { }\nfog : .g { }\n}\n");
    struct {
        const char *map, *preset, *message;
    } cases[] = {
        {"valley", "hail", "[unit] load_unit_tree() - Failed to open file (/map/valley/environment/hail.unit)"},
        {"nowhere", "clear", "[unit] load_unit_tree() - Failed to open file (/map/nowhere/environment/clear.unit)"},
        {"test", "broken", "[unit] load_unit_tree() - Failed to load unit tree from file (/map/test/environment/broken.unit)"},
        {"test", "foreign", "[unit] load_unit_tree() - Failed to load unit tree from file (/map/test/environment/foreign.unit)"},
        {"test", "two", "[unit] load_unit_tree() - Failed to load unit tree from file (/map/test/environment/two.unit)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.preset);
        log.clear();
        EXPECT_FALSE(load_environment_preset(c.map, c.preset));
        EXPECT_TRUE(log.contains(c.message));
    }
}

TEST_F(environment_preset, the_condition_starts_at_the_preset_and_draws_its_first_target_around_it) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    struct {
        const char *name;
        float cond, low, high;
    } cases[] = {
        {"fog", 0.0f, 0.0f, 0.2f},     // no weather_cond: 0, and no target below 0
        {"rain", 0.85f, 0.65f, 1.0f},  // 1.05 at most: held at 1
        {"clear", 0.1f, 0.0f, 0.3f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        owner_ptr_t<environment_preset_u> p(load_environment_preset("valley", c.name));
        ASSERT_TRUE(p);
        float lowest = 2.0f, highest = -1.0f;
        for (int i = 0; i < 40; ++i) {
            ASSERT_TRUE(env->apply_preset("valley", p.get()));
            EXPECT_FLOAT_EQ(env->get_weather_condition(), c.cond);
            EXPECT_FLOAT_EQ(env->get_weather_base(), c.cond);
            EXPECT_FLOAT_EQ(env->get_weather_variability(), 0.2f);
            EXPECT_FLOAT_EQ(env->get_weather_speed(), SHIPPED_SPEED);
            lowest = std::fmin(lowest, env->get_weather_target());
            highest = std::fmax(highest, env->get_weather_target());
        }
        EXPECT_GE(lowest, c.low);
        EXPECT_LE(highest, c.high);
        EXPECT_GT(highest - lowest, 0.1f);  // drawn, not fixed
    }
    // Three game hours move the condition by 0.4.
    EXPECT_NEAR(SHIPPED_SPEED * 10800.0f, 0.4f, 1e-6f);
}

TEST_F(environment_preset, applying_copies_the_climate_and_lists_it_with_the_layers_and_the_sky) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    owner_ptr_t<environment_preset_u> rain(load_environment_preset("valley", "rain"));
    ASSERT_TRUE(rain);
    log.clear();
    ASSERT_TRUE(env->apply_preset("valley", rain.get()));

    // Copies, not the preset's own units.
    sun_u *sun = env->get_sun();
    wind_u *wind = env->get_wind();
    ASSERT_TRUE(sun && env->get_fog() && env->get_temperature() && wind);
    EXPECT_NE(sun, rain->get_sun());
    EXPECT_NE(env->get_fog(), rain->get_fog());
    EXPECT_NE(env->get_temperature(), rain->get_temperature());
    EXPECT_NE(wind, rain->get_wind());
    for (uint32_t h = 0; h < 24; ++h)  // the copy's rows are not scaled a second time
        ASSERT_EQ(sun->get_ambient_levels()[h], rain->get_sun()->get_ambient_levels()[h]) << h;
    EXPECT_NEAR(sun->get_ambient_levels()[12].x, 98.0f / 255.0f, 1e-6f);
    // The wind's copy starts over from its base: class 2 for 2.0, a first target up to
    // 20 degrees to the negative side.
    EXPECT_EQ(wind->get_strength(), 2);
    EXPECT_EQ(wind->get_yaw(), wind->get_base_yaw());
    EXPECT_LE(wind->get_target_yaw(), wind->get_base_yaw());
    EXPECT_GE(wind->get_target_yaw(), wind->get_base_yaw() - 20.0f);
    EXPECT_EQ(env->get_temperature()->get_max_temperature(), 31.0f);
    EXPECT_NEAR(env->get_fog()->get_base_density(), rain->get_fog()->get_base_density(), 1e-9f);

    // The list: the environment itself, then temperature, sun, wind, snow, rain and sky.
    const std::vector<updatable_t *> expected = {env, env->get_temperature(), sun, wind,
                                                 env->get_snow(), env->get_rain(), env->get_skybox()};
    EXPECT_EQ(update_list(), expected);

    // The layers are attached with their materials and switched on; the sky has the
    // preset's look in the map's variant, with its sun disc.
    for (particle_layer_t *layer : {&env->get_rain()->get_layer(), &env->get_snow()->get_layer()}) {
        EXPECT_TRUE(layer->is_attached());
        EXPECT_TRUE(layer->is_enabled());
        ASSERT_NE(layer->get_proto()->material, nullptr);
        EXPECT_NE(material_pass(layer->get_proto()->material), nullptr);
        EXPECT_EQ(layer->get_packets().get(FW_SLOT_CAMERA), ctrl->get_camera_packet(0));
        EXPECT_EQ(layer->get_packets().get(FW_SLOT_FOG), ctrl->get_fog_packet());
        EXPECT_EQ(layer->get_packets().get(FW_SLOT_LIGHT), ctrl->get_light_packet(2));
    }
    skybox_u *sky = env->get_skybox();
    ASSERT_TRUE(sky->get_sky());
    EXPECT_EQ(sky->get_sky()->get_look(), uint32_t(sky->get_sky()->get_desc()->find_look("flat_c")));
    EXPECT_EQ(sky->get_sky()->get_variant(), uint32_t(sky->get_sky()->get_desc()->find_variant("valley")));
    EXPECT_TRUE(sky->get_sun_disc());

    // The map's grass was asked for; this bank has no grass classes, so its load says
    // so and leaves none.
    EXPECT_TRUE(log.contains("[unit] load_unit_tree() - Failed to load unit tree from file (/map/valley/grass.unit)"));
    EXPECT_EQ(env->get_grass(), nullptr);
}

TEST_F(environment_preset, a_second_preset_replaces_the_climate_and_enters_each_layer_once) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    owner_ptr_t<environment_preset_u> clear(load_environment_preset("cross", "clear"));
    owner_ptr_t<environment_preset_u> fog(load_environment_preset("cross", "fog"));
    ASSERT_TRUE(clear && fog);
    ASSERT_TRUE(env->apply_preset("cross", clear.get()));
    ctrl->update(0.1f);

    ref_ptr_t<sun_u> old_sun(env->get_sun());
    ref_ptr_t<wind_u> old_wind(env->get_wind());
    ref_ptr_t<temperature_u> old_temperature(env->get_temperature());
    ref_ptr_t<fog_u> old_fog(env->get_fog());
    log.clear();
    ASSERT_TRUE(env->apply_preset("cross", fog.get()));
    EXPECT_NE(env->get_sun(), old_sun.get());
    EXPECT_FALSE(old_fog->is_alive());  // never in the list: gone at once
    // The listed ones leave the list first and go at the next update.
    EXPECT_TRUE(old_sun->is_alive() && old_wind->is_alive() && old_temperature->is_alive());
    const std::vector<updatable_t *> expected = {env, env->get_snow(), env->get_rain(), env->get_skybox(),
                                                 env->get_temperature(), env->get_sun(), env->get_wind()};
    EXPECT_EQ(update_list(), expected);
    for (int i = 0; i < 3; ++i) ctrl->update(0.1f);
    EXPECT_FALSE(old_sun->is_alive() || old_wind->is_alive() || old_temperature->is_alive());
    EXPECT_EQ(update_list(), expected);
    EXPECT_EQ(env->get_temperature()->get_max_temperature(), 26.0f);
    EXPECT_TRUE(env->get_fog()->affects_sunlight());
    // The sky took the new look; the grass was asked for again.
    EXPECT_EQ(env->get_skybox()->get_sky()->get_look(),
              uint32_t(env->get_skybox()->get_sky()->get_desc()->find_look("flat_f")));
    EXPECT_TRUE(log.contains("[unit] load_unit_tree() - Failed to load unit tree from file (/map/cross/grass.unit)"));
}

TEST_F(environment_preset, a_preset_without_its_climate_is_refused_and_nothing_changes) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    owner_ptr_t<environment_preset_u> clear(load_environment_preset("valley", "clear"));
    ASSERT_TRUE(clear);
    ASSERT_TRUE(env->apply_preset("valley", clear.get()));
    put_map_file("environment/windless.unit",
                 "RozErere\n{\nsun : .s {\n@include \"/map/common/sun.sui\"\n}\nfog : .f { }\n"
                 "temperature : .t { }\nenvironment_preset : .p { sun: .s fog: .f temperature: .t"
                 " weather_cond: 0.9 skybox_name: \"flat_c\" }\n}\n");
    put_map_file("environment/empty.unit", "RozErere\n{\nenvironment_preset : .p { weather_cond: 0.9 }\n}\n");
    owner_ptr_t<environment_preset_u> windless(load_environment_preset("test", "windless"));
    owner_ptr_t<environment_preset_u> empty(load_environment_preset("test", "empty"));
    ASSERT_TRUE(windless && empty);

    sun_u *sun = env->get_sun();
    const float target = env->get_weather_target();
    const std::vector<updatable_t *> list = update_list();
    struct {
        const environment_preset_u *preset;
        const char *message;
    } cases[] = {
        {nullptr, "[env] No weather preset for the map 'test': the environment keeps its weather."},
        {windless.get(), "has no wind: the environment keeps its weather."},
        {empty.get(), "has no sun: the environment keeps its weather."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        log.clear();
        EXPECT_FALSE(env->apply_preset("test", c.preset));
        EXPECT_TRUE(log.contains(c.message));
        EXPECT_EQ(env->get_sun(), sun);
        EXPECT_FLOAT_EQ(env->get_weather_condition(), 0.1f);
        EXPECT_EQ(env->get_weather_target(), target);
        EXPECT_EQ(update_list(), list);
        EXPECT_FALSE(log.contains("grass.unit"));
    }
}

TEST_F(environment_preset, the_layers_follow_the_weather_and_the_camera_and_thicken_the_fog) {
    environment_u *env = start_scene();
    ASSERT_TRUE(env);
    owner_ptr_t<environment_preset_u> rain(load_environment_preset("peaks", "rain"));
    ASSERT_TRUE(rain && env->apply_preset("peaks", rain.get()));
    env->get_temperature()->set_temperature(20.0f);
    env->set_weather(0.85f, 0.0f, 0.0f);
    const float base = env->get_fog()->get_base_density();

    // Full rain: the whole pool falls and the fog thickens by 0.005.
    env->set_weather_condition(1.0f, 1.0f);
    env->weather_step(0.0f);
    EXPECT_EQ(env->get_rain()->get_intensity(), 1.0f);
    EXPECT_EQ(env->get_rain()->get_layer().get_active_count(), 2000u);
    EXPECT_EQ(env->get_snow()->get_intensity(), 0.0f);
    EXPECT_FLOAT_EQ(env->get_fog()->get_intensity(), base + 0.005f);
    // A change below 0.001 is not taken: the fog goes by what the rain kept.
    env->set_weather_condition(0.99985f, 1.0f);
    env->weather_step(0.0f);
    EXPECT_NEAR(env->get_rain_amount(), 0.9995f, 1e-5f);
    EXPECT_EQ(env->get_rain()->get_intensity(), 1.0f);
    EXPECT_FLOAT_EQ(env->get_fog()->get_intensity(), base + 0.005f);
    // Dry, then wet again: the rain comes back.
    env->set_weather_condition(0.5f, 0.5f);
    env->weather_step(0.0f);
    EXPECT_FALSE(env->get_rain()->get_layer().is_enabled());
    EXPECT_FLOAT_EQ(env->get_fog()->get_intensity(), base);
    env->set_weather_condition(0.85f, 0.85f);
    env->weather_step(0.0f);
    EXPECT_TRUE(env->get_rain()->get_layer().is_enabled());
    EXPECT_EQ(env->get_rain()->get_layer().get_active_count(), 1000u);

    // A frame: the camera's move reaches both layers, the colour follows the sun, the
    // wind reaches the snow, and each layer draws at the camera.
    ctrl->view.position = {40.0f, 12.0f, -7.0f};
    const vec3_t velocity = env->get_wind()->get_velocity();  // the environment goes before the wind
    ctrl->update(0.25f);
    EXPECT_EQ(env->get_rain()->get_layer().get_colour(), env->get_scene_colour());
    EXPECT_EQ(env->get_snow()->get_layer().get_colour(), env->get_scene_colour());
    EXPECT_EQ(env->get_snow()->get_wind(), velocity);
    context.begin_frame();
    ctrl->draw();
    const mat4_t &at = env->get_rain()->get_layer().get_model_packet()->matrix;
    EXPECT_EQ((vec3_t{at[3], at[7], at[11]}), (vec3_t{40.0f, 12.0f, -7.0f}));
    shaderlib_queue_render_and_flush(&context);
    const r_draw_log_t &drawn = context.get_draw_log();
    ASSERT_EQ(drawn.draw_count(), 1u);  // the rain; the snow has nothing active
    const r_draw_record_t &r = drawn.draw(0);
    EXPECT_STREQ(r.material.c_str(), "/material/environment/rain.mat");
    ASSERT_EQ(r.packets.get_count(), 1u);
    EXPECT_EQ(r.packets[0].type, uint32_t(R_PACKET_PST));
    EXPECT_EQ(r.packets[0].count, 1000u * 12u);
    EXPECT_STREQ(r.slots[1].c_str(), "fw4pp_model");
}

}  // namespace
}  // namespace quarn::test
