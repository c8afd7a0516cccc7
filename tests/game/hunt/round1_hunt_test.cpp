// Round 1 as the run command's script plays it, in this process: the shipped round
// from "/script/round/rounds.unit" on the content map "valley", the hunt controller,
// the real player with the shipped rifle, the round's animal targets from the real
// spawner, on fixed frames of 40 ms. The script's steps go onto the kernel's impulse
// table: the intro skipped, the turn to the first buck and back, the shot as it
// crosses the line of sight, then the wait for time over. Beside it, the weather and
// the clock of shipped rounds.
#include <cmath>

#include "../ai/animal_target_fixture.h"
#include "game/cameras/trail_camera.h"
#include "game/game_module.h"
#include "game/player/player.h"
#include "game/process/round_file.h"
#include "game/round/target_spawners.h"
#include "game/scene/current_ctrl.h"
#include "game/session/score.h"
#include "game/weapons/hunt_weapon_host.h"
#include "game/weapons/weapon_host.h"
#include "game/world/environment.h"
#include "game/world/fog.h"
#include "game/world/trail.h"
#include "game/world/trail_follower.h"
#include "kernel/input/input.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

constexpr float STEP = 0.04f;  // the run command's fixed step
constexpr int IMPULSE_FIRE = 130;

hunter_t *make_player(hunt_ctrl_u &hunt) { return new player_t(hunt); }

class round1_hunt : public animal_target_fixture_t {
protected:
    void SetUp() override {
        animal_target_fixture_t::SetUp();
        // The game's own rows: the player, the hunt as the weapons' host, the animals.
        game_module_set_rows(nullptr);
        rows = {game_factory_row(HUNTER_FACTORY, &make_player),
                game_factory_row(WEAPON_HOST_FACTORY, &hunt_weapon_host),
                game_factory_row(ANIMAL_TARGET_SPAWNER, &animal_target_u::spawn_for_round)};
        rows_list = {"round1_hunt_rows", rows.data(), uint32_t(rows.size())};
        ASSERT_TRUE(rows_table.build(&rows_list));
        game_module_set_rows(&rows_table);
        // The input front-end with its impulse table and the game's mouse sensitivity.
        inp_start();
        inp_reset_impulses();
    }
    void TearDown() override {
        animal_target_fixture_t::TearDown();
        inp_stop();
    }

    // Round 1 of a fresh load of the shipped progression, taken by a new hunt,
    // activated: as "init_round 1" starts it.
    void start_round1() {
        set_current_ctrl(hunt_ctrl_u::create());
        hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl());
        ASSERT_NE(hunt, nullptr);
        // Loaded after the hunt: the trails name the hunt's hookup units.
        owner_ptr_t<unit_base_t> progression(load_round_progression("/script/round/rounds.unit"));
        ASSERT_TRUE(progression) << ::testing::PrintToString(log.texts(message_t::ERROR));
        ASSERT_TRUE(hunt->load_round(unit_cast<round_logic_u>(round_progression_take(progression.get(), 1))));
        hunt->activate();
        player = dynamic_cast<player_t *>(hunt->get_hunter());
        ASSERT_NE(player, nullptr);
    }

    // One frame with the script's mouse movement of that many counts (right, down)
    // and, when asked, the left button's press.
    void step(int right = 0, int down = 0, bool fire = false) {
        const float s = inp_get_mouse_sensitivity();
        set_impulse(player_t::IMPULSE_MRIGHT, right > 0 ? s * float(right) : 0.0f);
        set_impulse(player_t::IMPULSE_MLEFT, right < 0 ? s * float(-right) : 0.0f);
        // Down the screen is the trigger "mouseup", bound to "mlookdown".
        set_impulse(player_t::IMPULSE_MLOOKDOWN, down > 0 ? s * float(down) : 0.0f);
        set_impulse(player_t::IMPULSE_MLOOKUP, down < 0 ? s * float(-down) : 0.0f);
        if (inp_impulse_t *f = _inp_get_impulse_code(IMPULSE_FIRE)) f->activated = fire ? 1 : 0;
        frame(STEP);
        inp_reset_impulses();
    }
    static void set_impulse(int code, float value) {
        if (inp_impulse_t *i = _inp_get_impulse_code(code)) i->value = value;
    }

    // The round's animal targets now, with the trails they walk.
    std::vector<std::pair<animal_target_u *, trail_u *>> animals() const {
        std::vector<std::pair<animal_target_u *, trail_u *>> out;
        round_logic_u *round = hunt->get_round();
        for (uint32_t t = 0; round && t < round->get_trail_count(); ++t) {
            trail_use_u *use = round->get_trail(t);
            for (uint32_t a = 0; a < use->get_animal_count(); ++a)
                if (auto *animal = unit_cast<animal_target_u>(use->get_animal(a)))
                    out.emplace_back(animal, use->get_trail());
        }
        return out;
    }
    // How far the point lies from the trail's line, across the ground (x and z).
    static float off_trail(const vec3_t &p, const trail_u *trail) {
        float best = 1e30f;
        for (uint32_t i = 0; i + 1 < trail->get_node_count(); ++i) {
            const vec3_t a = trail->get_position(i), b = trail->get_position(i + 1);
            const float dx = b.x - a.x, dz = b.z - a.z;
            const float l2 = dx * dx + dz * dz;
            float t = l2 > 0.0f ? ((p.x - a.x) * dx + (p.z - a.z) * dz) / l2 : 0.0f;
            t = std::fmin(std::fmax(t, 0.0f), 1.0f);
            best = std::fmin(best, std::hypot(a.x + t * dx - p.x, a.z + t * dz - p.z));
        }
        return best;
    }

    player_t *player = nullptr;
};

TEST_F(round1_hunt, the_hunter_shoots_the_first_buck_and_the_round_ends_by_time) {
    start_round1();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(hunt->get_time_limit(), 120.0f);
    // The intro flies until a key makes the camera jump to its end (the start screen's
    // reaction), then the hunter's view is the scene's.
    step();
    ASSERT_FALSE(hunt->is_intro_over());
    auto *intro = dynamic_cast<trail_camera_t *>(hunt->get_view());
    ASSERT_NE(intro, nullptr);
    intro->reset_interpolation();
    for (int i = 0; i < 5 && !hunt->is_intro_over(); ++i) step();
    ASSERT_TRUE(hunt->is_intro_over());
    EXPECT_EQ(hunt->get_view(), static_cast<scene_view_t *>(player));

    // The first buck comes at once, on "trails0.trail9", a crown buck.
    step();
    std::vector<std::pair<animal_target_u *, trail_u *>> now = animals();
    ASSERT_EQ(now.size(), 1u);
    animal_target_u *buck = now[0].first;
    EXPECT_STREQ(hunt->get_round()->get_trail(9)->trail_name.c_str(), "trails0.trail9");
    EXPECT_EQ(now[0].second, hunt->get_round()->get_trail(9)->get_trail());
    EXPECT_GT(buck->get_points(), 1000u);

    // Frame numbers from here on are the script's less the frame the buck came in.
    int frame_number = 1;
    const auto until = [&](int last) {
        for (; frame_number < last; ++frame_number) step();
    };
    // The herd grows; every animal walks on along its own trail.
    until(200);
    now = animals();
    EXPECT_GE(now.size(), 4u) << "a spawn every 120 / 55 s";
    std::vector<float> before;
    for (const auto &[animal, trail] : now) before.push_back(travelled(animal));
    until(250);
    for (size_t i = 0; i < now.size(); ++i) {
        EXPECT_GT(travelled(now[i].first), before[i] + 0.5f) << i;
        EXPECT_LT(off_trail(now[i].first->get_placement().position, now[i].second), 0.5f) << i;
    }

    // The turn toward the buck and the view lowered onto it, back to the line of sight,
    // the shot as it crosses.
    until(274);
    step(-98, 24);
    ++frame_number;
    until(434);
    step(98, 0);
    ++frame_number;
    until(473);
    EXPECT_LT(std::fabs(buck->get_placement().position.z), 0.5f) << "the buck crosses the line of sight";
    EXPECT_EQ(hunt->get_kill_stats()->trophy_kills, 0u);
    step(0, 0, true);
    ++frame_number;

    const hunt_ctrl_u::kill_stats_t &stats = *hunt->get_kill_stats();
    const score_u &score = *hunt->get_round_score();
    EXPECT_TRUE(buck->is_killed());
    EXPECT_EQ(stats.trophy_kills, 1u) << "one harmless kill";
    EXPECT_EQ(stats.protected_kills, 0u);
    EXPECT_EQ(stats.trophy_points, buck->get_points());
    EXPECT_EQ(stats.trophy_points, 1020u);
    EXPECT_EQ(stats.vital_hits, 1u);
    EXPECT_EQ(stats.shot_points, 10u);
    EXPECT_EQ(score.score, 1030u);
    EXPECT_EQ(score.shots, 1u);
    EXPECT_EQ(score.hits, 1u);
    EXPECT_EQ(score.kills, 1u);
    EXPECT_EQ(score.valid_kills, 1u);

    // Nothing more happens until the clock runs out: 120 s after the intro.
    int frames = frame_number;
    while (hunt->get_state() == hunt_ctrl_u::STATE_RUNNING && frames < 3100) {
        step();
        ++frames;
    }
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_TIME_OVER);
    EXPECT_EQ(stats.end_reason, 3u);
    EXPECT_NEAR(frames, 3000, 2);
    EXPECT_EQ(score.score, 1030u);
    EXPECT_EQ(score.kills, 1u);
    EXPECT_EQ(data->get_running_score()->score, 1030u) << "the round's score joins the game's";
}


// Rounds take their weather through the map start-up's loader: a preset the map has is
// applied (round 8 asks for peaks' violet dusk), one it lacks falls back on the clear
// day. A scene's clock runs until its map has loaded; the round then stands at noon.
TEST_F(round1_hunt, a_rounds_weather_falls_back_on_clear_and_its_clock_stands_at_noon) {
    const struct {
        uint32_t round;
        const char *weather;  // null: the round's own
        const char *map;
        vec3_t fog;
        bool falls_back;
    } cases[] = {
        {8, nullptr, "peaks", {0.666f, 0.522f, 0.506f}, false},
        {1, "nope", "valley", {0.604f, 0.667f, 0.8f}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.round);
        // The last case's hunt and its hookup units go first: their names are the next's.
        set_current_ctrl(nullptr);
        unit_system_t::clean_garbage();
        set_current_ctrl(hunt_ctrl_u::create());
        hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl());
        ASSERT_NE(hunt, nullptr);
        environment_u *environment = hunt->get_environment();
        ASSERT_NE(environment, nullptr);
        const float before = environment->get_time_of_day();
        environment->update(1.0f);
        EXPECT_NEAR(environment->get_time_of_day(), before + 10.0f, 1e-3f) << "ten game seconds a second";

        owner_ptr_t<unit_base_t> progression(load_round_progression("/script/round/rounds.unit"));
        ASSERT_TRUE(progression);
        owner_ptr_ret_t<round_logic_u> round = unit_cast<round_logic_u>(round_progression_take(progression.get(), c.round));
        ASSERT_TRUE(round);
        EXPECT_STREQ(round->map_name.c_str(), c.map);
        if (c.weather) round->weather_name = c.weather;
        log.clear();
        ASSERT_TRUE(hunt->load_round(std::move(round)));
        EXPECT_EQ(log.contains("No weather preset"), c.falls_back);
        EXPECT_EQ(log.contains("[game] the weather 'nope' of valley cannot be had: trying 'clear'"), c.falls_back);
        ASSERT_NE(environment->get_fog(), nullptr);
        EXPECT_TRUE(vec_near(environment->get_fog()->get_color(), c.fog, 1e-6f));

        hunt->activate();
        frames(250, STEP);
        EXPECT_EQ(environment->get_time_of_day(), 12.0f * 3600.0f) << "ten seconds of the round at noon";
        EXPECT_TRUE(environment->is_time_frozen());
    }
}

}  // namespace
}  // namespace quarn::test
