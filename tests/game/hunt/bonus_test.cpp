// The bonuses in a running hunt: giving them (kinds and blocks), the rifles and clips
// they change, the fever's frames and sounds, and how they tint the scene.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "bonus_fixture.h"
#include "game/game_data.h"
#include "game/scene/current_ctrl.h"
#include "game/hunt/annoy_gift.h"
#include "game/hunt/fever_bonus.h"
#include "game/hunt/hunt_bonuses.h"
#include "game/hunt/party_gifts.h"
#include "game/session/score.h"
#include "game/world/environment.h"
#include "game/world/fog.h"

namespace quarn::test {
namespace {

class bonuses : public bonus_fixture_t {};

float ramp(float gone, float left) { return std::fmin(std::fmin(gone, left), 1.0f); }

TEST_F(bonuses, giving_follows_the_kinds_and_blocks_of_the_running_bonuses) {
    struct give_t {
        const char *name;
        bool given;
    };
    struct case_t {
        const char *what;
        std::vector<give_t> gives;
        const char *active;
        const char *hud;  // the slot and fever calls of the whole case
    };
    const case_t cases[] = {
        {"sunglasses are refused during the fever",
         {{"fever", true}, {"sunglasses", false}},
         "fever_bonus",
         "hud.fever on"},
        {"the fever ends active sunglasses",
         {{"sunglasses", true}, {"fever", true}},
         "fever_bonus",
         "hud.bonus 0 on | hud.bonus 0 off | hud.fever on"},
        {"two quick shooters run at once",
         {{"quick_shooter", true}, {"quick_shooter", true}},
         "quick_shooter_bonus quick_shooter_bonus",
         "hud.bonus 2 on | hud.bonus 2 on"},
        {"a second weapon bonus ends the first",
         {{"weapon_3030", true}, {"weapon_7mm", true}},
         "weapon_7mm_bonus",
         "hud.bonus 3 on weapon_3030 | hud.bonus 3 off | hud.bonus 3 on weapon_7mm"},
        {"abstract and unknown names make nothing",
         {{"weapon", false}, {"hunt", false}, {"golden_rifle", false}},
         "",
         ""},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(start(), nullptr);
        take_journal();
        for (const give_t &g : c.gives) EXPECT_EQ(give(g.name), g.given) << g.name;
        EXPECT_EQ(active_bonuses(), c.active);
        std::string hud;
        for (const std::string &line : hunt_journal)
            if (line.rfind("hud.bonus", 0) == 0 || line.rfind("hud.fever", 0) == 0)
                hud += (hud.empty() ? "" : " | ") + line;
        hunt_journal.clear();
        EXPECT_EQ(hud, c.hud);
    }
}

TEST_F(bonuses, a_weapon_bonus_switches_the_rifle_and_back) {
    ASSERT_NE(start(), nullptr);
    settle_on(bolt);
    ASSERT_TRUE(give("weapon_3030"));
    ASSERT_TRUE(give("weapon_7mm"));
    EXPECT_EQ(player->get_next_weapon(), autoloader) << "the second bonus's rifle is the one taken";
    settle_on(autoloader);
    ASSERT_EQ(player->get_weapon(), autoloader);
    EXPECT_EQ(bonus_hud_t::slots[hunt_hud_t::SLOT_WEAPON], &static_cast<weapon_bonus_u *>(hunt->get_bonus(0))->get_timer());
    // Its 20 s run out: the default rifle again and the slot off.
    frames(int(20.0f / 0.02f) + 2);
    EXPECT_EQ(active_bonuses(), "");
    EXPECT_EQ(player->get_next_weapon() ? player->get_next_weapon() : player->get_weapon(), bolt);
    EXPECT_EQ(bonus_hud_t::slots[hunt_hud_t::SLOT_WEAPON], nullptr);
}

TEST_F(bonuses, the_extended_clip_doubles_whichever_rifle_is_held_and_gives_the_size_back) {
    ASSERT_NE(start(), nullptr);
    settle_on(bolt);
    ASSERT_TRUE(give("extended_clip"));
    frame();
    EXPECT_EQ(bolt->get_ammo_max(), 10);
    EXPECT_EQ(bolt->get_ammo(), 10);

    // A rifle change during the bonus: the new rifle gets the double clip, the old
    // one its own size back.
    ASSERT_TRUE(give("weapon_3030"));
    settle_on(lever);
    ASSERT_EQ(player->get_weapon(), lever);
    frame();
    EXPECT_EQ(bolt->get_ammo_max(), 5);
    EXPECT_EQ(bolt->get_ammo(), 5) << "the rounds are cut to the size";
    EXPECT_EQ(lever->get_ammo_max(), 10);
    EXPECT_EQ(lever->get_ammo(), 10);

    // Ending it gives the held rifle its size back.
    hunt->end_bonuses_of_kind(extended_clip_bonus_u::KIND);
    EXPECT_EQ(lever->get_ammo_max(), 5);
    EXPECT_EQ(lever->get_ammo(), 5);
}

TEST_F(bonuses, the_quick_shooter_and_sunglasses_ramp_in_and_out) {
    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(give("quick_shooter"));
    ASSERT_TRUE(give("sunglasses"));
    game_data_t *game = get_game_data();
    const float dt = 0.25f;
    for (int k = 1; k < 80; ++k) {
        frame(dt);
        const float s = ramp(k * dt, 20.0f - k * dt);
        ASSERT_NEAR(player->get_weapon_time_scale(), 1.0f + s, 1e-4f) << "frame " << k;
        ASSERT_NEAR(game->fov, 60.0f * (1.0f - s) + 55.0f * s, 1e-3f) << "frame " << k;
    }
    frame(dt);
    EXPECT_EQ(active_bonuses(), "");
    EXPECT_EQ(player->get_weapon_time_scale(), 1.0f);
    EXPECT_EQ(game->fov, 60.0f);
}

TEST_F(bonuses, the_fever_slows_the_scene_narrows_the_view_and_sounds_start_loop_and_end) {
    ASSERT_NE(start(), nullptr);
    settle_on(bolt);
    bolt->set_clip(1);
    game_data_t *game = get_game_data();
    game->get_running_score()->fever_points = 5;
    sounds();
    ASSERT_TRUE(hunt->try_fever());
    EXPECT_EQ(game->get_fever_level(), 0.0f) << "the fever takes the points";
    EXPECT_EQ(hunt->get_multiplier(), 2u);
    EXPECT_EQ(bolt->get_ammo(), 5) << "a full clip";
    EXPECT_TRUE(player->get_aim_input());
    auto *fever = static_cast<quarn::fever_bonus_u *>(hunt->get_fever_bonus());
    ASSERT_NE(fever, nullptr);
    EXPECT_EQ(bonus_hud_t::fever, &fever->get_timer());
    EXPECT_EQ(sounds(), "/sound/game/fever_start.ogg 0.9");

    const float dt = 0.25f;
    std::vector<std::string> heard;
    for (int k = 1; k <= 80; ++k) {
        if (k == 8) sound_device.channel(quarn::fever_bonus_u::START_SOUND)->finished = true;
        frame(dt);
        if (const std::string s = sounds(); !s.empty()) heard.push_back(std::to_string(k) + ": " + s);
        if (k == 80) break;
        const float s = ramp(k * dt, 20.0f - k * dt);
        const float fov = 60.0f * (1.0f - s) + 45.0f * s;
        ASSERT_NEAR(hunt->get_time_factor(), 1.0f - 0.5f * s, 1e-5f) << "frame " << k;
        ASSERT_NEAR(game->fov, fov, 1e-3f) << "frame " << k;
        const float zoom = std::tan(30.0f * 0.017453292f) / std::tan(fov * 0.5f * 0.017453292f);
        ASSERT_NEAR(game->look_sensitivity, 1.0f / std::pow(1.3f, zoom), 1e-4f) << "frame " << k;
    }
    // The loop once the start has ended (the frame after it ended: the frame's sound
    // update, after the hunt's, is what hears that the channel finished); the end as
    // the last second begins.
    EXPECT_EQ(heard, (std::vector<std::string>{"9: /sound/game/fever_loop.ogg 0.9",
                                               "77: /sound/game/fever_end.ogg 0.9"}));
    EXPECT_EQ(active_bonuses(), "");
    EXPECT_EQ(hunt->get_time_factor(), 1.0f);
    EXPECT_EQ(game->fov, 60.0f);
    EXPECT_EQ(game->look_sensitivity, 1.0f);
    EXPECT_EQ(hunt->get_multiplier(), 1u) << "later kills count once";
    EXPECT_FALSE(player->get_aim_input());
    EXPECT_EQ(bonus_hud_t::fever, nullptr);
}

TEST_F(bonuses, each_fever_extension_adds_five_seconds_and_skips_the_first_second_ramp) {
    ASSERT_NE(start(), nullptr);
    game_data_t *game = get_game_data();
    ASSERT_TRUE(give("fever"));
    auto *fever = static_cast<quarn::fever_bonus_u *>(hunt->get_fever_bonus());
    frames(2, 0.25f);
    EXPECT_FLOAT_EQ(fever->get_strength(), 0.5f);
    take_journal();

    for (float left : {19.25f, 23.75f}) {
        game->get_running_score()->fever_points = 5;
        frame(0.25f);
        EXPECT_FLOAT_EQ(fever->get_timer().remaining, left + 5.0f);
        EXPECT_FLOAT_EQ(fever->get_timer().total, left + 5.0f);
        EXPECT_EQ(game->get_fever_level(), 0.0f);
        EXPECT_EQ(take_journal(), "hud.fever on") << "the display is refreshed";
        EXPECT_EQ(fever->get_sound_state(), quarn::fever_bonus_u::SOUND_LOOP);
        frame(0.25f);
        EXPECT_FLOAT_EQ(fever->get_strength(), 1.0f) << "no ramp after an extension";
    }
}

TEST_F(bonuses, a_fever_without_a_rifle_skips_the_clip) {
    // The player holds no rifle when its weapon unit is missing.
    for (owner_ptr_t<unit_base_t> &rifle : rifles) rifle->destroy();
    rifles.clear();
    unit_system_t::clean_garbage();
    ASSERT_NE(start(), nullptr);
    ASSERT_EQ(player->get_weapon(), nullptr);
    ASSERT_TRUE(give("fever"));
    ASSERT_TRUE(give("extended_clip"));
    frames(3);
    EXPECT_TRUE(player->get_aim_input());
    EXPECT_EQ(active_bonuses(), "fever_bonus extended_clip_bonus");
}

TEST_F(bonuses, a_round_ending_during_the_fever_and_sunglasses_leaves_the_view_settings_as_they_were) {
    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(give("sunglasses"));
    frames(8, 0.25f);
    ASSERT_TRUE(give("fever"));
    frames(8, 0.25f);
    game_data_t *game = get_game_data();
    ASSERT_LT(game->fov, 50.0f);
    take_journal();
    // The hunt goes with its bonuses running (the next round makes a new one).
    set_current_ctrl(nullptr);
    hunt = nullptr;
    player = nullptr;
    EXPECT_EQ(game->fov, 60.0f);
    EXPECT_EQ(game->look_sensitivity, 1.0f);
    EXPECT_EQ(take_journal(), "hud.fever off");
}

// Light packet rows and the fog as tinted at strength 0.5 from rows of (0.8, 0.6, 0.4,
// 1), a fog of colour (0.5, 0.5, 0.5) and intensity 0.4.
TEST_F(bonuses, the_fever_sunglasses_and_cloak_tint_the_scene_packets) {
    struct case_t {
        const char *effect;
        uint32_t light;  // 8: the fog packet
        uint32_t row;    // 0 ambient, 1 diffuse, 2 specular
        vec4_t expected;
    };
    const vec4_t base{0.8f, 0.6f, 0.4f, 1.0f};
    const case_t cases[] = {
        {"fever", 0, 0, {0.6f, 0.45f, 0.4f, 1.0f}},
        {"fever", 3, 2, {0.6f, 0.45f, 0.4f, 1.0f}},
        {"fever", 7, 1, {0.6f, 0.45f, 0.4f, 1.0f}},
        {"fever", 5, 0, {1.0f, 0.75f, 0.5f, 1.0f}},
        {"fever", 5, 1, base},
        {"fever", 6, 0, base},
        {"fever", 8, 0, {0.375f, 0.375f, 0.5f, 0.7f}},
        {"sunglasses", 1, 0, {0.6f, 0.45f, 0.2f, 1.0f}},
        {"sunglasses", 4, 2, {0.6f, 0.45f, 0.2f, 1.0f}},
        {"sunglasses", 5, 0, {1.0f, 0.75f, 0.5f, 1.0f}},
        {"sunglasses", 6, 2, base},
        {"sunglasses", 8, 0, {0.375f, 0.375f, 0.25f, 0.34f}},
        // The cloak fades light 5 toward light 0 (set to (0.2, 0.2, 0.2, 0)).
        {"cloak", 5, 0, {0.425f, 0.4f, 0.255f, 0.5f}},
        {"cloak", 5, 1, {0.4f, 0.3f, 0.2f, 1.0f}},
        {"cloak", 5, 2, base},
    };
    ASSERT_NE(start(), nullptr);
    fog_u *fog = hunt->get_environment()->get_fog();
    ASSERT_NE(fog, nullptr);
    fog->set_weather_density(0.4f - fog->get_base_density());
    ASSERT_FLOAT_EQ(fog->get_intensity(), 0.4f);
    ASSERT_EQ(fog->get_color(), (vec3_t{0.5f, 0.5f, 0.5f}));
    for (const case_t &c : cases) {
        SCOPED_TRACE(std::string(c.effect) + " light " + std::to_string(c.light) + " row " + std::to_string(c.row));
        for (uint32_t i = 0; i < 8; ++i) {
            fw4pp_light_u *light = hunt->get_light_packet(i);
            light->ambient = light->diffuse = light->specular = base;
        }
        if (std::string(c.effect) == "cloak") hunt->get_light_packet(0)->ambient = {0.2f, 0.2f, 0.2f, 0.0f};
        hunt->get_fog_packet()->colour = {0.1f, 0.1f, 0.1f, 0.7f};
        owner_ptr_t<unit_base_t> made(unit_system_t::get_default()->create_unit(
            *unit_system_t::get_default()->find_unit_type((std::string(c.effect) + (std::string(c.effect) == "cloak" ? "_gift" : "_bonus")).c_str())));
        if (auto *bonus = unit_cast<hunt_bonus_u>(made.get())) {
            bonus->apply();
            bonus->update(0.5f);
            bonus->adjust_scene();
            bonus->remove();
        } else if (auto *gift = unit_cast<party_gift_u>(made.get())) {
            gift->apply();
            gift->update(0.5f);
            gift->adjust_scene();
            gift->remove();
        }
        const vec4_t got = c.light == 8 ? hunt->get_fog_packet()->colour
                           : c.row == 0  ? hunt->get_light_packet(c.light)->ambient
                           : c.row == 1  ? hunt->get_light_packet(c.light)->diffuse
                                         : hunt->get_light_packet(c.light)->specular;
        EXPECT_NEAR(got.x, c.expected.x, 1e-5f);
        EXPECT_NEAR(got.y, c.expected.y, 1e-5f);
        EXPECT_NEAR(got.z, c.expected.z, 1e-5f);
        EXPECT_NEAR(got.w, c.expected.w, 1e-5f);
    }
}

}  // namespace
}  // namespace quarn::test
