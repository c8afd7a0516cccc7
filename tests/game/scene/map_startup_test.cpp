// Map start-up from a mission: the start point chosen by "start_id", the wind kept or
// drawn, the weather with its fallback to "clear" and then to the defaults, the time
// of day, and animals only for a mission that has some.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../world/weather_fixture.h"
#include "game/game_data.h"
#include "game/scene/game_ctrl.h"
#include "game/world/start_point.h"
#include "game/world/wind.h"
#include "kernel/memory/m_server.h"
#include "kernel/sys.h"
#include "outside/qrnshared/def_pool.h"
#include "support/message_capture.h"

namespace quarn::test {

class startup_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(startup_ctrl_u, game_ctrl_u);

public:
    class player_t : public scene_object_t {
    public:
        void update(float) override {}
        void set_position(const vec3_t &p) override { position = p, ++placed; }
        void set_rotation(const quat_t &q) override { rotation = q; }
        vec3_t position{-1, -1, -1};
        quat_t rotation;
        int placed = 0;
    };
    scene_object_t *get_player() override { return &player; }
    player_t player;
};
QRN_UNIT_DEFINE(startup_ctrl_u, "startup_ctrl");

namespace {

class map_startup : public weather_fixture_t {
protected:
    void SetUp() override {
        weather_fixture_t::SetUp();
        ASSERT_TRUE(get_engine_ubank()->register_class(&start_point_u::unit_descriptor));
        set_game_data(&data);
        // Three start points of "/map/test"; the second faces +x.
        put_map_file("landscape.start.unit",
                     "RozErere\n{\n"
                     "start_point : p0 { placement: (1, 0, 1) 1 (1; 0, 0, 0) }\n"
                     "start_point : p1 { placement: (2, 0, 2) 1 (0.70710677; 0, -0.70710677, 0) }\n"
                     "start_point : p2 { placement: (3, 0, 3) 1 (1; 0, 0, 0) }\n"
                     "}\n");
    }
    void TearDown() override {
        set_current_ctrl({});
        unit_system_t::clean_garbage();
        set_game_data(nullptr);
        get_engine_ubank()->unregister_class(&start_point_u::unit_descriptor);
        weather_fixture_t::TearDown();
    }
    startup_ctrl_u *start(const std::string &general, const std::string &more = "") {
        set_current_ctrl(startup_ctrl_u::create());
        scene = static_cast<startup_ctrl_u *>(get_current_ctrl());
        mission.clear();
        const std::string text = "def general {\n" + general + "\n}\n" + more;
        EXPECT_TRUE(mission.read_text(text.data(), text.size(), "/t/mission.def"));
        scene->start_map(mission, &game);
        return scene;
    }

    game_data_t data;
    def_pool_t mission;
    def_pool_t game;  // no species: the AI world reads nothing of it here
    startup_ctrl_u *scene = nullptr;
};

TEST_F(map_startup, the_start_id_picks_the_start_point_and_one_out_of_range_the_first) {
    const struct {
        const char *start_id;
        float x;
    } cases[] = {{"1", 2}, {"2", 3}, {"3", 1}, {"-1", 1}, {"0", 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.start_id);
        message_capture_t log;
        start(std::string("area: \"test\" start_id: \"") + c.start_id + "\"");
        EXPECT_EQ(scene->player.position.x, c.x);
        EXPECT_EQ(scene->player.position.z, c.x);
        EXPECT_TRUE(log.contains("[game] spawning map test"));
        EXPECT_STREQ(data.map_name.c_str(), "test");
    }
    start("area: \"test\" start_id: \"1\"");
    EXPECT_NEAR(scene->player.rotation.y, -0.70710677f, 1e-6f);

    // No start file: the origin (no ground to drop onto without a world).
    start("area: \"elsewhere\"");
    EXPECT_EQ(scene->player.placed, 1);
    EXPECT_EQ(scene->player.position.x, 0.0f);
    EXPECT_EQ(scene->player.position.y, 0.0f);
}

TEST_F(map_startup, a_wind_long_enough_stays_and_a_short_one_takes_a_seeded_random_yaw) {
    start("area: \"test\" wind_dir: \"0.2 0.2 0.2\"");
    const vec3_t kept = scene->get_environment()->get_wind()->get_base_direction();
    EXPECT_NEAR(kept.x, kept.y, 1e-6f) << "along (0.2, 0.2, 0.2)";
    EXPECT_NEAR(kept.y, kept.z, 1e-6f);

    vec3_t drawn[2];
    for (vec3_t &d : drawn) {
        clock.cycles = 777;
        sys_reset_random();
        start("area: \"test\" wind_dir: \"0.1 0.1 0.1\"");
        d = scene->get_environment()->get_wind()->get_base_direction();
        EXPECT_EQ(d.y, 0.0f) << "a yaw alone";
        EXPECT_NEAR(length(d), 1.0f, 1e-5f);
    }
    EXPECT_EQ(drawn[0].x, drawn[1].x) << "the same seed, the same wind";
    EXPECT_EQ(drawn[0].z, drawn[1].z);
    EXPECT_FALSE(std::fabs(drawn[0].x - drawn[0].y) < 1e-6f && std::fabs(drawn[0].y - drawn[0].z) < 1e-6f);
}

TEST_F(map_startup, a_missing_weather_falls_back_to_clear_then_to_the_defaults) {
    // "valley" ships "clear" (condition 0.1) but no "nope".
    message_capture_t log;
    start("area: \"valley\" weather: \"nope\" time: \"15\"");
    environment_u *env = scene->get_environment();
    EXPECT_TRUE(log.contains("[game] the weather 'nope' of valley cannot be had: trying 'clear'"));
    EXPECT_NEAR(env->get_weather_base(), 0.1f, 1e-6f);
    EXPECT_NEAR(env->get_time_of_day(), 15.0f * 3600.0f, 1e-2f);

    // "/map/test" has no presets at all: the environment keeps what it had.
    log.clear();
    start("area: \"test\" weather: \"nope\"");
    env = scene->get_environment();
    const float base = env->get_weather_base();
    EXPECT_TRUE(log.contains("[game] no weather for test: the environment keeps its defaults"));
    EXPECT_EQ(base, environment_u::create()->get_weather_base());
    EXPECT_EQ(scene->player.placed, 1) << "the start goes on";
}

TEST_F(map_startup, the_clock_runs_until_the_map_has_loaded_and_then_stands) {
    set_current_ctrl(startup_ctrl_u::create());
    environment_u *fresh = get_current_ctrl()->get_environment();
    ASSERT_NE(fresh, nullptr);
    EXPECT_FALSE(fresh->is_time_frozen());
    fresh->update(6.0f);
    EXPECT_NEAR(fresh->get_time_of_day(), 8.0f * 3600.0f + 60.0f, 1e-2f) << "ten game seconds a second";

    for (const char *general : {"area: \"valley\" time: \"15\"", "area: \"valley\""}) {
        SCOPED_TRACE(general);
        start(general);
        environment_u *env = scene->get_environment();
        EXPECT_TRUE(env->is_time_frozen());
        const float hour = env->get_time_of_day();
        for (int i = 0; i < 60; ++i) env->update(1.0f);
        EXPECT_EQ(env->get_time_of_day(), hour) << "a minute later";
        // "g_time" still sets it.
        env->set_time_of_day(6.5f);
        env->update(1.0f);
        EXPECT_NEAR(env->get_time_of_day(), 6.5f * 3600.0f, 1e-2f);
    }
}

TEST_F(map_startup, animals_are_created_only_for_a_mission_that_has_some) {
    message_capture_t log;
    start("area: \"test\"");
    EXPECT_FALSE(log.contains("animal factory"));
    start("area: \"test\"", "def animals {}\n");
    EXPECT_FALSE(log.contains("animal factory")) << "an empty object is no animals";
    start("area: \"test\" dangerous_animals: \"yes\"",
          "def animals { def deer1 { species: \"whitetail\" type: \"male\" } }\n"
          "def script_points { def p { position: \"1 2 3\" radius: \"4\" } }\n");
    EXPECT_TRUE(log.contains("[ai] no animal factory is registered"));
    EXPECT_EQ(scene->get_ai_navigation()->get_script_point_count(), 1u);
    EXPECT_TRUE(scene->get_ai_navigation()->get_dangerous_animals());

    log.clear();
    scene->start_map(mission, nullptr);
    EXPECT_EQ(log.texts(message_t::ERROR), std::vector<std::string>{"[game] cannot load /defs/game.def"});
}

}  // namespace
}  // namespace quarn::test
