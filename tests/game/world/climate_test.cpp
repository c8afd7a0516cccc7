// The climate units of a weather preset as loaded from unit text: the sun's hourly
// tables and height, the fog's density, the wind's classes, drift and turns, and the
// temperature's rise.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "env_fixture.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

constexpr float RAD_TO_DEG = 57.29578f;

// A sun whose three tables have 24 rows: ambient row h holds 10 h, diffuse the
// given value and specular h, in every channel but alpha (255).
std::string sun_text(uint32_t rows = 24, float diffuse = 100.0f, const char *extra = "") {
    std::string s = "sun : .sun {\n";
    char line[256];
    for (uint32_t h = 0; h < rows; ++h) {
        snprintf(line, sizeof line,
                 " ambient_levels[]: (%u, %u, %u, 255) diffuse_levels[]: (%g, %g, %g, 255)"
                 " specular_levels[]: (%u, %u, %u, 255)\n",
                 10 * h, 10 * h, 10 * h, double(diffuse), double(diffuse), double(diffuse), h, h, h);
        s += line;
    }
    return s + extra + "}";
}

float elevation_of(const sun_u &sun) { return std::asin(sun.get_direction().y) * RAD_TO_DEG; }

using climate = env_fixture_t;

TEST_F(climate, the_sun_blends_its_rows_by_whole_minutes_and_keeps_two_heights) {
    owner_ptr_t<sun_u> sun(load<sun_u>(sun_text()));
    ASSERT_TRUE(sun);
    struct {
        const char *what;
        float seconds;
        float ambient;  // 0..255
        float elevation;
    } cases[] = {
        {"12:30 halfway from 12 to 13", 45000.0f, 125.0f, sun_u::DAY_ELEVATION},
        {"12:30:59 still the 30th minute", 45059.0f, 125.0f, sun_u::DAY_ELEVATION},
        {"23:59 from 23 toward 0", 86340.0f, 230.0f / 60.0f, sun_u::NIGHT_ELEVATION},
        {"4:59 at night height", 17940.0f, 40.0f + 10.0f * 59.0f / 60.0f, sun_u::NIGHT_ELEVATION},
        {"5:00 at day height", 18000.0f, 50.0f, sun_u::DAY_ELEVATION},
        {"21:00 still day", 75600.0f, 210.0f, sun_u::DAY_ELEVATION},
        {"21:01 night again", 75660.0f, 210.0f + 10.0f / 60.0f, sun_u::NIGHT_ELEVATION},
        {"-1:00 is 23:00 of the day before", -3600.0f, 230.0f, sun_u::NIGHT_ELEVATION},
        {"-0:30 is 23:30", -1800.0f, 115.0f, sun_u::NIGHT_ELEVATION},
        {"a day later the day repeats", 86400.0f + 45000.0f, 125.0f, sun_u::DAY_ELEVATION},
        {"two days before too", -2 * 86400.0f + 45000.0f, 125.0f, sun_u::DAY_ELEVATION},
    };
    for (const auto &c : cases) {
        sun->recompute(c.seconds);
        EXPECT_NEAR(sun->get_ambient().x, c.ambient / 255.0f, 1e-5f) << c.what;
        EXPECT_NEAR(sun->get_ambient().w, 1.0f, 1e-6f) << c.what;
        EXPECT_NEAR(elevation_of(*sun), c.elevation, TOL_DEGREES) << c.what;
        EXPECT_NEAR(length(sun->get_direction()), 1.0f, TOL_UNIT) << c.what;
        EXPECT_TRUE(vec_near(sun->get_position(), sun->get_direction() * 100.0f, TOL_TRIG)) << c.what;
    }
    sun->recompute(std::nanf(""));  // changes nothing
    EXPECT_NEAR(sun->get_ambient().x, 125.0f / 255.0f, 1e-5f);
}

TEST_F(climate, the_sun_stands_opposite_its_azimuth_turned_into_a_yaw) {
    owner_ptr_t<sun_u> sun(sun_u::create());  // no tables: the colours stay
    const vec4_t ambient = sun->get_ambient(), diffuse = sun->get_diffuse();
    struct {
        float azimuth;
        vec3_t horizontal;  // where the sun stands, seen from the viewer
    } cases[] = {{180.0f, {0.0f, 0.0f, 1.0f}}, {0.0f, {0.0f, 0.0f, -1.0f}}, {90.0f, {1.0f, 0.0f, 0.0f}}};
    for (const auto &c : cases) {
        sun->set_azimuth(c.azimuth);  // at 8:00: day height
        vec3_t flat = sun->get_direction();
        flat.y = 0.0f;
        EXPECT_TRUE(vec_near(normalized(flat), c.horizontal, TOL_TRIG)) << c.azimuth;
        EXPECT_NEAR(elevation_of(*sun), sun_u::DAY_ELEVATION, TOL_DEGREES);
        const vec4_t &light = sun->get_light_vector();
        EXPECT_TRUE(vec_near(vec3_t{light.x, light.y, light.z}, sun->get_direction(), TOL_TRIG));
        EXPECT_EQ(light.w, 0.0f);
    }
    EXPECT_EQ(sun->get_ambient(), ambient);
    EXPECT_EQ(sun->get_diffuse(), diffuse);
    EXPECT_FALSE(sun->is_cooling());
}

TEST_F(climate, sun_rows_are_scaled_once_after_load_and_never_on_a_copy) {
    owner_ptr_t<sun_u> sun(load<sun_u>(sun_text(25, 100.0f, " azimuth: 90\n")));  // a 25th row is allowed
    ASSERT_TRUE(sun);
    EXPECT_EQ(sun->get_ambient_levels().get_count(), 25u);
    EXPECT_NEAR(sun->get_ambient_levels()[12].x, 120.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(sun->get_ambient_levels()[12].w, 1.0f, 1e-6f);
    EXPECT_NEAR(sun->get_diffuse_levels()[3].y, 100.0f / 255.0f, 1e-6f);
    EXPECT_NEAR(sun->get_specular_levels()[7].z, 7.0f / 255.0f, 1e-6f);
    owner_ptr_t<sun_u> copy(unit_cast<sun_u>(sun->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->get_azimuth(), 90.0f);
    for (uint32_t h = 0; h < 24; ++h) {
        EXPECT_EQ(copy->get_ambient_levels()[h], sun->get_ambient_levels()[h]) << h;
        EXPECT_EQ(copy->get_diffuse_levels()[h], sun->get_diffuse_levels()[h]) << h;
        EXPECT_EQ(copy->get_specular_levels()[h], sun->get_specular_levels()[h]) << h;
    }
}

TEST_F(climate, a_sun_with_a_short_table_is_refused_at_load) {
    struct {
        std::string text;
        const char *message;
    } cases[] = {
        {sun_text(23), "has 23 rows in ambient_levels"},
        {"sun : .s { ambient_levels[]: (1, 1, 1, 1) }", "has 1 rows in ambient_levels"},
        {"sun : .s { }", "has 0 rows in ambient_levels"},
    };
    // Full ambient and diffuse tables, a short specular one.
    std::string text = sun_text();
    for (size_t at; (at = text.find(" specular_levels[]: (23, 23, 23, 255)")) != std::string::npos;)
        text.erase(at, strlen(" specular_levels[]: (23, 23, 23, 255)"));
    for (const auto &c : cases) {
        message_capture_t log;
        EXPECT_FALSE(load<sun_u>(c.text));
        EXPECT_TRUE(log.contains(c.message)) << c.message;
        EXPECT_TRUE(log.contains("[env] The sun '")) << c.message;
    }
    message_capture_t log;
    EXPECT_FALSE(load<sun_u>(text));
    EXPECT_TRUE(log.contains("has 23 rows in specular_levels"));
}

TEST_F(climate, the_lit_colour_saturates_and_the_strength_never_goes_negative) {
    owner_ptr_t<sun_u> sun(load<sun_u>(sun_text(24, 510.0f)));  // diffuse 2.0
    ASSERT_TRUE(sun);
    sun->recompute(12 * 3600.0f);
    const vec4_t lit = sun->get_lit_color();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(lit[i], 1.0f) << i;

    owner_ptr_t<sun_u> plain(sun_u::create());
    plain->recompute(0.0f);  // start colours, night height
    const float up = std::sin(sun_u::NIGHT_ELEVATION / RAD_TO_DEG);
    EXPECT_NEAR(plain->get_lit_color().x, 0.3f + up * 0.8f, TOL_UNIT);
    EXPECT_NEAR(plain->get_lit_color().z, 0.3f + up * 0.3f, TOL_UNIT);

    owner_ptr_t<fog_u> dimming(load<fog_u>("fog : .f { max_visibility: 110 affects_sunlight: yes }"));
    owner_ptr_t<fog_u> clear(load<fog_u>("fog : .f { max_visibility: 110 }"));
    ASSERT_TRUE(dimming && clear);
    dimming->set_weather_density(0.01f);  // a thick fog hides the sun entirely
    const float i = dimming->get_intensity();
    ASSERT_GT(8.0f * i, 0.1f);
    struct {
        float condition;
        const fog_u *fog;
        float strength;
    } cases[] = {{0.0f, nullptr, 1.0f},          {0.5f, nullptr, 0.55f}, {1.0f, nullptr, 0.1f},
                 {0.5f, clear.get(), 0.55f},     {0.5f, dimming.get(), 0.55f - 8.0f * i},
                 {1.0f, dimming.get(), 0.0f}};
    for (const auto &c : cases)
        EXPECT_NEAR(sun_u::compute_strength(c.condition, c.fog), c.strength, 1e-6f) << c.condition;
}

TEST_F(climate, fog_density_from_visibility_or_intensity_keeps_the_weather_share) {
    const float far = fog_u::DEFAULT_FAR_PLANE;
    struct {
        const char *text;
        float density;
    } cases[] = {
        {"max_visibility: 110", std::sqrt(-std::log(0.2f)) / 110.0f},
        {"max_intensity: 0.8", std::sqrt(-std::log(0.2f)) / far},
        {"max_intensity: 0.995", std::sqrt(-std::log(0.01f)) / far},
        {"max_intensity: 0.001", std::sqrt(-std::log(0.99f)) / far},
        {"max_intensity: 0.8 max_visibility: 110", std::sqrt(-std::log(0.2f)) / far},
        {"max_visibility: 0.5", std::sqrt(-std::log(0.2f))},
        {"max_visibility: -3", 0.0f},
        {"", 0.0f},
    };
    for (const auto &c : cases) {
        owner_ptr_t<fog_u> fog(load<fog_u>(std::string("fog : .f { ") + c.text + " }"));
        ASSERT_TRUE(fog) << c.text;
        EXPECT_NEAR(fog->get_base_density(), c.density, 1e-7f) << c.text;
        EXPECT_EQ(fog->get_intensity(), std::fmin(fog->get_base_density(), 1.0f)) << c.text;
    }

    owner_ptr_t<fog_u> fog(load<fog_u>("fog : .f { max_intensity: 0.9 color: (0.5, 0.4, 1) }"));
    ASSERT_TRUE(fog);
    fog->set_weather_density(0.005f);
    EXPECT_NEAR(fog->get_intensity(), fog->get_base_density() + 0.005f, 1e-7f);
    fog->update_density(650.0f);  // a new far plane: the share stays
    EXPECT_NEAR(fog->get_base_density(), std::sqrt(-std::log(0.1f)) / 650.0f, 1e-7f);
    EXPECT_NEAR(fog->get_intensity(), fog->get_base_density() + 0.005f, 1e-7f);
    fog->update_density(0.0f);  // at least 1
    EXPECT_NEAR(fog->get_base_density(), std::sqrt(-std::log(0.1f)), 1e-6f);
    EXPECT_EQ(fog->get_intensity(), 1.0f);
    fog->set_weather_density(-5.0f);
    EXPECT_EQ(fog->get_intensity(), 0.0f);

    fog->set_light({0.5f, 1.0f, 0.25f, 1.0f});
    EXPECT_TRUE(vec_near(fog->get_light_colour(), vec3_t{0.25f, 0.4f, 0.25f}, TOL_ULPS));
    owner_ptr_t<fog_u> copy(unit_cast<fog_u>(fog->clone()));  // the copy has its density at once
    ASSERT_TRUE(copy);
    EXPECT_NEAR(copy->get_base_density(), std::sqrt(-std::log(0.1f)) / far, 1e-7f);
    EXPECT_TRUE(vec_near(copy->get_light_colour(), vec3_t{1.0f, 1.0f, 1.0f}, 0.0f));
}

TEST_F(climate, wind_strength_classes_are_found_from_class_0_up) {
    struct {
        const char *speed;
        int32_t strength;
    } cases[] = {{"0", 0},      {"0.53645", 0}, {"0.5365", 1}, {"1.654", 1}, {"1.655", 2},
                 {"5.8115", 3}, {"6.0", 4},     {"1e30", 4},   {"-2", 0}};
    for (const auto &c : cases) {
        owner_ptr_t<wind_u> wind(load<wind_u>(std::string("wind : .w { wind_speed: ") + c.speed + " }"));
        ASSERT_TRUE(wind) << c.speed;
        EXPECT_EQ(wind->get_strength(), c.strength) << c.speed;
    }
    message_capture_t log;
    EXPECT_FALSE(load<wind_u>("wind : .w { wind_speed: &7fc00000 }"));
    EXPECT_TRUE(log.contains("[env] The wind '"));
}

TEST_F(climate, the_wind_drifts_at_its_class_rate_within_ten_degrees_of_its_base) {
    owner_ptr_t<wind_u> wind(load<wind_u>("wind : .w { wind_speed: 0.1 wind_direction_orig: (1, 0, 0) }"));
    ASSERT_TRUE(wind);
    EXPECT_TRUE(vec_near(wind->get_base_direction(), vec3_t{1.0f, 0.0f, 0.0f}, TOL_ULPS));
    EXPECT_TRUE(vec_near(wind->get_direction(), vec3_t{1.0f, 0.0f, 0.0f}, TOL_ULPS));
    const float base = wind->get_base_yaw();
    EXPECT_NEAR(base, 270.0f, TOL_DEGREES);
    EXPECT_EQ(wind->get_yaw(), base);
    EXPECT_LE(wind->get_target_yaw(), base);
    EXPECT_GE(wind->get_target_yaw(), base - 20.0f);

    uint32_t targets = 0;
    float target = wind->get_target_yaw();
    for (int step = 0; step < 20000; ++step) {
        const float before = wind->get_yaw();
        wind->update(0.1f);
        EXPECT_NEAR(std::fabs(wind->get_yaw() - before), 0.05f, 1e-4f);  // 0.5 degrees a second
        if (wind->get_target_yaw() != target) {
            target = wind->get_target_yaw();
            ++targets;
            EXPECT_GE(target, base - 10.0f);
            EXPECT_LE(target, base + 10.0f);
        }
        EXPECT_NEAR(length(wind->get_direction()), 1.0f, TOL_UNIT);
    }
    EXPECT_GT(targets, 10u);
    const float yaw = wind->get_yaw() / RAD_TO_DEG;
    EXPECT_TRUE(vec_near(wind->get_direction(), vec3_t{-std::sin(yaw), 0.0f, -std::cos(yaw)}, TOL_TRIG));
    EXPECT_TRUE(vec_near(wind->get_velocity(), wind->get_direction() * 0.1f, TOL_ULPS));
}

TEST_F(climate, the_wind_turns_directions_by_its_speed) {
    struct {
        const char *speed;
        bool turns;
        float degrees;
    } cases[] = {{"0.04", false, 0.0f}, {"0.05", true, 45.0f / 1.036f}, {"2.0", true, 45.0f / 2.44f}};
    for (const auto &c : cases) {
        owner_ptr_t<wind_u> wind(load<wind_u>(std::string("wind : .w { wind_speed: ") + c.speed + " }"));
        ASSERT_TRUE(wind);
        for (bool positive : {true, false}) {
            vec3_t d{0.0f, 0.0f, -1.0f};
            EXPECT_EQ(wind->turn_direction(d, positive), c.turns) << c.speed;
            const float turned = std::atan2(-d.x, -d.z) * RAD_TO_DEG;  // counterclockwise seen from above
            EXPECT_NEAR(turned, positive ? c.degrees : -c.degrees, TOL_DEGREES) << c.speed;
            EXPECT_NEAR(d.y, 0.0f, TOL_ULPS);
        }
    }
    EXPECT_NEAR(45.0f / 2.44f, 18.44f, 0.01f);
}

TEST_F(climate, a_zero_wind_direction_blows_along_the_default_and_copies_start_over) {
    message_capture_t log;
    owner_ptr_t<wind_u> wind(load<wind_u>("wind : .w { wind_speed: 2 wind_direction_orig: (0, 0, 0) }"));
    ASSERT_TRUE(wind);
    EXPECT_TRUE(log.contains("[env] The wind '"));
    EXPECT_TRUE(vec_near(wind->get_base_direction(), vec3_t{0.0f, 0.0f, -1.0f}, 0.0f));
    EXPECT_TRUE(vec_near(wind->get_direction(), vec3_t{0.0f, 0.0f, -1.0f}, 0.0f));
    for (int i = 0; i < 100; ++i) wind->update(0.5f);
    EXPECT_TRUE(std::isfinite(wind->get_yaw()));

    struct {
        vec3_t given, unit;
        bool usable;
    } directions[] = {{{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}, false},
                      {{1e-30f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, true},
                      {{3e38f, 3e38f, 0.0f}, {0.70710677f, 0.70710677f, 0.0f}, true},
                      {{std::nanf(""), 1.0f, 0.0f}, {0.0f, 0.0f, -1.0f}, false},
                      {{0.0f, -INFINITY, 0.0f}, {0.0f, 0.0f, -1.0f}, false}};
    for (const auto &d : directions) {
        log.clear();
        wind->set_base_direction(d.given);
        EXPECT_TRUE(vec_near(wind->get_base_direction(), d.unit, TOL_ULPS));
        EXPECT_EQ(log.contains("no usable base direction"), !d.usable);
    }
    wind->set_base_direction({0.0f, 0.0f, 4.0f});
    EXPECT_TRUE(vec_near(wind->get_base_direction(), vec3_t{0.0f, 0.0f, 1.0f}, 0.0f));
    EXPECT_NEAR(wind->get_yaw(), 180.0f, TOL_DEGREES);
    EXPECT_EQ(wind->get_strength(), 2);
    for (int i = 0; i < 10; ++i) wind->update(1.0f);

    owner_ptr_t<wind_u> copy(unit_cast<wind_u>(wind->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->get_speed(), 2.0f);
    EXPECT_EQ(copy->get_yaw(), copy->get_base_yaw());  // started over, not the drifted yaw
    EXPECT_NEAR(copy->get_base_yaw(), 180.0f, TOL_DEGREES);
    EXPECT_TRUE(vec_near(copy->get_direction(), vec3_t{0.0f, 0.0f, 1.0f}, 0.0f));
    EXPECT_EQ(copy->get_strength(), 2);
}

TEST_F(climate, the_temperature_starts_midway_and_rises_to_its_maximum) {
    owner_ptr_t<temperature_u> t(
        load<temperature_u>("temperature : .t { min_temperature: 20 max_temperature: 36 change_speed: 15 }"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->get_temperature(), 28.0f);
    t->update(0.2f);
    EXPECT_FLOAT_EQ(t->get_temperature(), 31.0f);
    t->update(1.0f);
    EXPECT_EQ(t->get_temperature(), 36.0f);
    t->update(1.0f);
    EXPECT_EQ(t->get_temperature(), 36.0f);
    t->change(10.0f, true);  // a cooling sun would take it down to the minimum
    EXPECT_EQ(t->get_temperature(), 20.0f);

    owner_ptr_t<temperature_u> copy(unit_cast<temperature_u>(t->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->get_temperature(), 15.0f);  // until its first update
    copy->update(0.0f);
    EXPECT_EQ(copy->get_temperature(), 20.0f);
    EXPECT_EQ(copy->get_max_temperature(), 36.0f);

    owner_ptr_t<temperature_u> fresh(temperature_u::create());
    EXPECT_EQ(fresh->get_temperature(), 15.0f);
    fresh->update(1.0f);  // defaults: 10..25 at 10 a second
    EXPECT_EQ(fresh->get_temperature(), 25.0f);
}

}  // namespace
}  // namespace quarn::test
