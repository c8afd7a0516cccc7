// The player's recoil, view shake, death sequence, weapons, HUD and avatar in a running
// hunt, stepped by fixed frames.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/game_data.h"
#include "game/process/game_commands.h"
#include "game/process/game_process.h"
#include "game/scene/current_ctrl.h"
#include "kernel/console/commands.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "game/visuals/physics/physics_avatar.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/voiceover/voiceover.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/recording_sound_device.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/ui/ui.h"
#include "player_fixture.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

constexpr vec4_t BOLT_RECOIL{-0.03f, 0.02f, 1.0f, 0.4f};
constexpr vec4_t LEVER_RECOIL{-0.03f, 0.02f, 0.5f, 0.3f};
constexpr float DEGREES = 57.29578f;

class player_effects : public player_fixture_t {
protected:
    void SetUp() override {
        player_fixture_t::SetUp();
        bolt = make_rifle("3006_bolt", BOLT_RECOIL);
        lever = make_rifle("3030_lever", LEVER_RECOIL);
    }
    // The eye's turn away from the look, in degrees (positive: up).
    float eye_pitch() const {
        const vec3_t forward = player->get_placement().rotation.get_cartes();
        const vec3_t look = player->get_rotation().get_cartes();
        return (std::asin(std::fmax(-1.0f, std::fmin(1.0f, forward.y))) -
                std::asin(std::fmax(-1.0f, std::fmin(1.0f, look.y)))) * DEGREES;
    }
    // The eye's offset from its rest 1.65 above the avatar.
    vec3_t eye_offset() const {
        return player->get_placement().position - (player->get_position() + vec3_t{0.0f, player_t::EYE_HEIGHT, 0.0f});
    }
    // The rifle, raised and ready.
    void ready(weapon_u *rifle) {
        end_animation(rifle);
        frame();
        ASSERT_EQ(rifle->get_state(), item_u::STATE_READY);
    }
    // The channel of the last played sound of that resource.
    const sound::channel_attributes_t *sent(const std::string &resource) {
        snd_update_state();
        recording_channel_t *c = sound_device.channel(resource);
        return c && !c->sent.empty() ? &c->sent.back() : nullptr;
    }
};

// ---- recoil ----

TEST_F(player_effects, a_bolt_shot_kicks_the_view_up_and_down_and_it_settles) {
    ASSERT_NE(start(), nullptr);
    ready(bolt);
    bolt->fire();
    ASSERT_FLOAT_EQ(player->get_recoil_timer().duration, 0.4f) << "the hunt's host passed the setup on";

    std::vector<float> pitch, drop;
    for (int i = 0; i < 22; ++i) {
        frame(0.02f);
        pitch.push_back(eye_pitch());
        drop.push_back(eye_offset().y);
    }
    // Frame i shows the kick at (i × 0.02) / 0.4: its peak at 0.12 s (frame 6).
    EXPECT_NEAR(pitch[0], 0.0f, 1e-3f);
    EXPECT_NEAR(pitch[6], 1.0f, 0.01f);
    EXPECT_NEAR(drop[6], -0.03f, 0.002f);
    for (int i = 1; i <= 6; ++i) EXPECT_GT(pitch[i], pitch[i - 1]) << i;
    for (int i = 7; i <= 19; ++i) EXPECT_LT(pitch[i], pitch[i - 1]) << i;
    // Halfway down at 0.26 s (k = 0.5).
    EXPECT_NEAR(pitch[13], 0.5f, 0.01f);
    // Settled after 0.4 s.
    EXPECT_NEAR(pitch[21], 0.0f, 1e-3f);
    EXPECT_NEAR(eye_offset().y, 0.0f, 1e-5f);
    EXPECT_NEAR(eye_offset().z, 0.0f, 1e-5f);
}

// ---- shake ----

TEST_F(player_effects, the_shake_sways_and_turns_the_eye_and_swings_the_field_of_view) {
    ASSERT_NE(start(), nullptr);
    player->start_shake();
    float lowest = 100.0f, highest = 0.0f, widest_turn = 0.0f;
    int frames_run = 0;
    for (; frames_run < 60 && player->get_shake_timer().remaining > 0.0f; ++frames_run) {
        frame(0.02f);
        const float fov = data->fov;
        lowest = std::fmin(lowest, fov);
        highest = std::fmax(highest, fov);
        EXPECT_GE(fov, 60.0f);
        EXPECT_LE(fov, 63.0f);
        const float turn = eye_pitch();
        EXPECT_GE(turn, -1e-3f);
        EXPECT_LE(turn, 3.0f + 1e-3f);
        widest_turn = std::fmax(widest_turn, turn);
        const vec3_t off = eye_offset();
        EXPECT_LE(std::sqrt(off.x * off.x + off.y * off.y + off.z * off.z), 0.1f * std::sqrt(2.0f) + 1e-4f);
    }
    EXPECT_NEAR(frames_run, 40, 1) << "0.8 s";
    EXPECT_GT(highest, 62.0f);
    EXPECT_LT(lowest, 60.5f);
    EXPECT_GT(widest_turn, 2.0f);
    EXPECT_FLOAT_EQ(data->fov, 60.0f) << "back when the timer ends";
    frame();
    EXPECT_NEAR(eye_pitch(), 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(data->fov, 60.0f);
}

// ---- death ----

TEST_F(player_effects, death_plays_its_cue_and_steps_and_ends_the_round_once) {
    ASSERT_NE(start(), nullptr);
    ready(bolt);
    ASSERT_TRUE(hunt->set_time_factor(0.5f));
    sounds();
    player->start_death();
    EXPECT_EQ(player->get_state(), player_t::STATE_DYING);
    voiceover_u *cue = hunt->get_pending_voice();
    ASSERT_NE(cue, nullptr);
    EXPECT_EQ(std::string(cue->text.c_str()), "vo.death");

    // A second call changes nothing.
    frames(5);
    const uint32_t step = player->get_death_step();
    const float remaining = player->get_death_timer().remaining;
    player->start_death();
    EXPECT_EQ(player->get_death_step(), step);
    EXPECT_FLOAT_EQ(player->get_death_timer().remaining, remaining);

    // The rifle goes down while the hunter falls.
    end_animation(bolt);
    frame();
    EXPECT_EQ(bolt->get_state(), item_u::STATE_LOWERED);

    float elapsed = 0.12f;
    while (hunt->get_state() == hunt_ctrl_u::STATE_RUNNING && elapsed < 5.0f) {
        frame(0.02f);
        elapsed += 0.02f;
    }
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_KILLED);
    EXPECT_NEAR(elapsed, 2.8f, 0.08f) << "0.3 s and 2.5 s, each ended at a frame";
    EXPECT_EQ(hunt->get_kill_stats()->end_reason, 4u);
    // The eye sank 0.95 of its height.
    EXPECT_NEAR(eye_offset().y, -1.5675f, 0.01f);

    // The step sound at 0.6, bent by the sound time scale (1 + 0.5) / 2.
    const sound::channel_attributes_t *drop = sent("/sound/animal/drop.ogg");
    ASSERT_NE(drop, nullptr);
    EXPECT_FLOAT_EQ(drop->volume, 0.6f);
    EXPECT_FLOAT_EQ(drop->rate, 0.75f);
    EXPECT_EQ(sound_device.count("play /sound/animal/drop.ogg"), 1);

    // The round ended once, whatever the player does afterwards.
    const int round_sounds = sound_device.count("play /sound/game/round.ogg");
    EXPECT_EQ(round_sounds, 1);
    for (int i = 0; i < 10; ++i) player->update(0.02f);
    snd_update_state();
    EXPECT_EQ(sound_device.count("play /sound/game/round.ogg"), round_sounds);
}

// ---- weapons ----

TEST_F(player_effects, a_weapon_change_waits_for_the_running_animation_and_the_lower) {
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(player->get_weapon(), bolt);
    EXPECT_EQ(player->get_default_weapon(), bolt);
    ready(bolt);
    journal.owner = "bolt";
    bolt->fire();
    journal.take();
    player->set_next_weapon("3030_lever");
    frames(3);
    EXPECT_EQ(player->get_weapon(), bolt) << "the shot still runs";
    EXPECT_EQ(journal.take(), "");
    end_animation(bolt);  // the shot
    frames(3);
    // The cycle after the shot, then the lower.
    while (bolt->get_state() == item_u::STATE_BUSY && player->get_weapon() == bolt) {
        const std::string played = journal.take();
        if (played.find("lower") != std::string::npos) break;
        end_animation(bolt);
        frame();
    }
    EXPECT_EQ(player->get_weapon(), bolt) << "lowering";
    journal.owner = "lever";
    end_animation(bolt);
    frame();
    EXPECT_EQ(bolt->get_state(), item_u::STATE_LOWERED);
    EXPECT_EQ(player->get_weapon(), lever);
    EXPECT_EQ(player->get_next_weapon(), nullptr);
    EXPECT_EQ(journal.take(), "lever raise");

    // Back to the default with an empty name.
    ready(lever);
    player->set_next_weapon("");
    EXPECT_EQ(player->get_next_weapon(), bolt);
    frame();
    end_animation(lever);
    frames(2);
    EXPECT_EQ(player->get_weapon(), bolt);
}

TEST_F(player_effects, the_held_rifle_is_stepped_by_the_weapon_time_scale_and_aims_by_the_aim_input) {
    ASSERT_NE(start(), nullptr);
    ready(bolt);
    journal.owner = "bolt";
    journal.take();
    player->set_aim_input(true);
    frame();
    EXPECT_EQ(journal.take(), "bolt i_raise");
    // The sway's step is the frame times the scale: a turn with scale 0 leaves no lag.
    player->set_weapon_time_scale(0.0f);
    impulse(player_t::IMPULSE_MLEFT, 20.0f);
    frames(2);
    EXPECT_FLOAT_EQ(bolt->get_sway().yaw, 0.0f);
    player->set_weapon_time_scale(1.0f);
    frames(2);
    EXPECT_NE(bolt->get_sway().yaw, 0.0f);
}

TEST_F(player_effects, the_lever_is_the_default_in_party_play) {
    const char *const names[] = {"ann", "bob"};
    data->set_party_players(names, 2);
    ASSERT_TRUE(data->is_party_mode());
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(player->get_default_weapon(), lever);
    EXPECT_EQ(player->get_weapon(), lever);
    EXPECT_EQ(lever->get_state(), item_u::STATE_BUSY) << "raising";
}

TEST_F(player_effects, without_a_weapon_unit_every_weapon_call_is_skipped) {
    rifles.clear();
    unit_system_t::clean_garbage();
    ASSERT_NE(start(), nullptr);
    EXPECT_EQ(player->get_weapon(), nullptr);
    player->set_next_weapon("3030_lever");
    EXPECT_EQ(player->get_next_weapon(), nullptr);
    player->set_aim_input(true);
    frames(3);
    player->draw_weapon_overlay();
    player->drop_weapons();
    player->start_death();
    frames(200);
    EXPECT_EQ(hunt->get_state(), hunt_ctrl_u::STATE_KILLED);
}

TEST_F(player_effects, dropping_the_weapons_lowers_the_held_one_and_forgets_the_default) {
    ASSERT_NE(start(), nullptr);
    ready(bolt);
    player->drop_weapons();
    EXPECT_EQ(player->get_default_weapon(), nullptr);
    end_animation(bolt);
    frame();
    EXPECT_EQ(bolt->get_state(), item_u::STATE_LOWERED);
}

// ---- HUD and overlay ----

TEST_F(player_effects, the_hud_shows_while_the_player_is_the_view_and_the_rifle_draws_only_then) {
    ASSERT_NE(start(), nullptr);
    c_item_t *hud = hunt->get_hud_window();
    ASSERT_NE(hud, nullptr);
    EXPECT_TRUE(ui_wis_shown(hud));
    EXPECT_TRUE(player->has_weapon_overlay());
    player->draw_weapon_overlay();
    EXPECT_EQ(bolt->draws, 1);

    // Another view in front (as the intro flight is): hidden, not drawn.
    class still_view_t : public scene_view_t {
    public:
        placement_t get_placement() const override { return {}; }
    } other;
    hunt->push_view(&other);
    frames(3);
    EXPECT_FALSE(ui_wis_shown(hud));
    player->draw_weapon_overlay();
    EXPECT_EQ(bolt->draws, 1);
    // Nor does the trigger fire it.
    end_animation(bolt);
    frame();
    ASSERT_EQ(bolt->get_state(), item_u::STATE_READY);
    const int32_t loaded = bolt->get_ammo();
    _inp_get_impulse_code(weapon_u::IMPULSE_FIRE)->activated = 1;
    frame();
    EXPECT_EQ(bolt->get_ammo(), loaded);
    _inp_get_impulse_code(weapon_u::IMPULSE_FIRE)->activated = 0;

    hunt->pop_view(&other);
    frame();
    EXPECT_TRUE(ui_wis_shown(hud));
    player->draw_weapon_overlay();
    EXPECT_EQ(bolt->draws, 2);
    _inp_get_impulse_code(weapon_u::IMPULSE_FIRE)->activated = 1;
    frame();
    EXPECT_EQ(bolt->get_ammo(), loaded - 1) << "the player's own view fires";
}

TEST_F(player_effects, the_hud_stays_hidden_during_the_intro_flight) {
    put_start_points("start_point : start.a { }\n");
    make_trail("intro.trail", {{0, 5, 0}, {0, 5, -10}, {0, 5, -20}, {0, 5, -30}});
    set_current_ctrl(test_hunt_ctrl_u::create());
    hunt = unit_cast<test_hunt_ctrl_u>(get_current_ctrl());
    ASSERT_NE(hunt, nullptr);
    player = player_t::of(hunt);
    ASSERT_NE(player, nullptr);
    owner_ptr_ret_t<round_logic_u> round = make_round();
    round->cameras.append(mstring_dyn_t("intro.trail"));
    ASSERT_TRUE(hunt->load_round(std::move(round)));
    ASSERT_NE(hunt->get_intro_view(), nullptr);
    hunt->activate();
    c_item_t *hud = hunt->get_hud_window();
    ASSERT_NE(hud, nullptr);
    for (int i = 0; i < 20; ++i) {
        frame(0.05f);
        EXPECT_FALSE(ui_wis_shown(hud)) << i;
    }
    EXPECT_NE(hunt->get_intro_view(), nullptr) << "still flying";
}

// ---- avatar ----

TEST_F(player_effects, the_hunt_puts_the_avatar_on_the_generated_ground) {
    ASSERT_NE(start(), nullptr);
    const vec3_t at = player->get_position();
    EXPECT_NEAR(at.x, 0.0f, 1e-3f);
    EXPECT_NEAR(at.y, 0.5f, 1e-3f) << "0.5 above the ground";
    EXPECT_NEAR(at.z, 0.0f, 1e-3f);
    // No gravity pulls it down; the ground pushes the capsule (half height 0.4 + 0.5)
    // out until it rests on it, and the eye goes with it.
    frames(150);
    const float rest = player->get_position().y;
    EXPECT_GT(rest, 0.5f);
    EXPECT_LE(rest, 0.9f + 0.02f);
    frames(50);
    EXPECT_NEAR(player->get_position().y, rest, 1e-3f);
    EXPECT_NEAR(player->get_placement().position.y, rest + 1.65f, 1e-4f);
}

TEST_F(player_effects, the_avatar_is_the_stated_capsule_and_the_eye_stands_above_it) {
    ASSERT_NE(start(), nullptr);
    world_u *world = hunt->get_world();
    ASSERT_NE(world, nullptr);
    physics_scene_t *scene = world->get_physics_scene();
    physics_avatar_t *avatar = player->get_avatar();
    ASSERT_NE(avatar, nullptr);
    EXPECT_EQ(scene->get_avatar(), avatar);
    physics_shape_t *shape = avatar->get_shape();
    ASSERT_NE(shape, nullptr);
    EXPECT_FLOAT_EQ(shape->get_sizes()[0], 0.5f / scene->get_scale());
    EXPECT_FLOAT_EQ(shape->get_sizes()[1], 0.8f / scene->get_scale());
    EXPECT_EQ(shape->get_collision_group(), 4);
    EXPECT_EQ(shape->get_draw_mode(), 2);
    EXPECT_EQ(shape->get_material(), 0);
    EXPECT_FLOAT_EQ(avatar->get_body()->get_mass(), 50.0f);
    EXPECT_FALSE(avatar->get_body()->get_gravity_mode());

    // As "goto" does: through the controller's player.
    hunt->get_player()->set_position({3.0f, 7.0f, -2.0f});
    frame();
    const vec3_t eye = player->get_placement().position;
    const vec3_t at = player->get_position();
    EXPECT_NEAR(at.x, 3.0f, 1e-4f);
    EXPECT_NEAR(at.y, 7.0f, 1e-4f);
    EXPECT_NEAR(at.z, -2.0f, 1e-4f);
    EXPECT_NEAR(eye.x, at.x, 1e-5f);
    EXPECT_NEAR(eye.y, at.y + 1.65f, 1e-5f);
    EXPECT_NEAR(eye.z, at.z, 1e-5f);
    // The frustum follows the eye.
    ASSERT_NE(player->get_frustum(), nullptr);

    // The hunt goes with its world: the avatar leaves the physics scene first, so
    // the scene finds nothing of it left behind.
    message_capture_t log;
    set_current_ctrl(nullptr);
    hunt = nullptr;
    player = nullptr;
    EXPECT_FALSE(log.contains("unremoved"));
}

// The console's "goto" moves the controller's player, the avatar with its eye; a
// position that is no three numbers moves nothing.
TEST_F(player_effects, the_console_goto_moves_the_avatar) {
    ASSERT_NE(start(), nullptr);
    game_process_t game;  // lets the hunt go when it ends
    register_game_commands(false);
    message_capture_t said;
    EXPECT_EQ(cmd_run_line("goto -4 6.5 1e1", -1), cmd_t::DONE);
    EXPECT_EQ(cmd_run_line("goto 1 two 3", -1), cmd_t::DONE);
    EXPECT_EQ(cmd_run_line("goto 1 2", -1), cmd_t::DONE);
    EXPECT_TRUE(said.contains("goto: '1 two 3' is no position"));
    frame();
    const vec3_t at = player->get_position();
    EXPECT_NEAR(at.x, -4.0f, 1e-4f);
    EXPECT_NEAR(at.y, 6.5f, 1e-4f);
    EXPECT_NEAR(at.z, 10.0f, 1e-4f);
    EXPECT_NEAR(player->get_placement().position.y, 6.5f + 1.65f, 1e-4f);
    unregister_game_commands();
    hunt = nullptr;
    player = nullptr;
}

}  // namespace
}  // namespace quarn::test
