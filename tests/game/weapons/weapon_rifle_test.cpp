// The rifle's action states, input, aim, sway and shot, over a rifle without a model:
// behaviours are bound by hand and the ends of animations are told to the rifle as its
// animation instance would tell them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "game/game_data.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_fixture.h"
#include "game/weapons/projectile.h"
#include "game/weapons/weapon_rifle.h"
#include "kernel/input/input.h"
#include "kernel/sys.h"
#include "support/fake_clock.h"
#include "support/message_capture.h"
#include "weapon_test_host.h"

namespace quarn::test {
namespace {

// Writes down every behaviour and sound the rifle starts.
class journal_observer_t : public weapon_observer_t {
public:
    void played(uint32_t slot) override { played_names.push_back(weapon_u::behavior_names[slot]); }
    void sounded(const char *path, float volume, float rate) override {
        char line[256];
        snprintf(line, sizeof line, "%s %g %g", path, double(volume), double(rate));
        sounds.push_back(line);
    }
    std::string take_played() {
        std::string out;
        for (const std::string &n : played_names) out += (out.empty() ? "" : "+") + n;
        played_names.clear();
        return out;
    }
    std::vector<std::string> played_names;
    std::vector<std::string> sounds;
};

// Meets every shot at 10 units along the shot and keeps what it is given.
class fixture_receiver_t : public hit_receiver_t {
public:
    bool intersect(shot_record_t &, vec3_t &hit_point, const placement_t &shot, const vec3_t &end) override {
        seen_end = end;
        hit_point = shot.position + (end - shot.position) * 0.01f;
        return true;
    }
    void on_hit(const vec3_t &, projectile_u *p, shot_record_t &, const placement_t &, const vec3_t &) override {
        ++hits;
        projectile = p;
    }
    const hit_target_info_t *get_target_info() override { return nullptr; }
    vec3_t seen_end{0, 0, 0};
    int hits = 0;
    projectile_u *projectile = nullptr;
};

struct rifle_setup_t {
    int32_t ammo = 5;
    int32_t clip = 5;
    bool load_once = false;
    bool load_one_round = false;
    uint32_t special = weapon_u::SPECIAL_NONE;
    std::vector<uint32_t> missing{};
};

class rifle_states : public scene_fixture_t {
protected:
    void SetUp() override {
        scene_fixture_t::SetUp();
        data_before = get_game_data();
        set_game_data(&data);
    }
    void TearDown() override {
        rifle.reset();
        set_current_ctrl(nullptr);
        set_game_data(data_before);
        if (input_started) inp_stop();
        scene_fixture_t::TearDown();
    }

    // A raised, ready rifle with every behaviour bound but the missing ones.
    weapon_rifle_u *make(const rifle_setup_t &setup = {}) {
        rifle = weapon_rifle_u::create(system);
        weapon_rifle_u *r = rifle.get();
        for (uint32_t slot = 0; slot < weapon_u::BEHAVIOR_COUNT; ++slot) r->set_behavior_index(slot, int32_t(slot));
        for (uint32_t slot : setup.missing) r->set_behavior_index(slot, -1);
        r->ammo_max = setup.clip;
        r->ammo_char = "R";
        r->load_once = setup.load_once;
        r->load_one_round = setup.load_one_round;
        r->snd_fire = "/sound/weapon/fire.ogg";
        r->snd_dryfire = "/sound/weapon/ws_bolt_dryfire.ogg";
        r->set_host(&host);
        r->special = setup.special;
        r->bind_specials();
        r->set_observer(&observer);
        r->raise();
        end();
        r->set_clip(setup.ammo);
        observer.take_played();
        EXPECT_EQ(r->get_state(), item_u::STATE_READY);
        return r;
    }
    void end() { rifle->notify(ZBA_NOTICE_ENDED, zba_value_t{}, 0); }

    // Runs steps and writes "<played>:<action><state>" for each: F fire, E the end
    // of the running behaviour, U an update, R reload, A / H the aim input on / off,
    // S raise, L lower. States: b busy, r ready, l lowered.
    std::string run(const char *steps) {
        std::string out;
        for (const char *c = steps; *c; ++c) {
            switch (*c) {
            case 'F': rifle->fire(); break;
            case 'E': end(); break;
            case 'U': rifle->update(0.01f); break;
            case 'R': rifle->reload(); break;
            case 'A': rifle->set_aim(true); break;
            case 'H': rifle->set_aim(false); break;
            case 'S': rifle->raise(); break;
            case 'L': rifle->lower(); break;
            default: ADD_FAILURE() << "step " << *c; break;
            }
            static const char states[] = "brl";
            out += (out.empty() ? "" : " ") + std::string(1, *c) + observer.take_played() + ":" +
                   std::to_string(rifle->get_action()) + states[rifle->get_state()];
        }
        return out;
    }

    void start_input() {
        if (!_inp_get_impulse_code(weapon_u::IMPULSE_FIRE)) {
            inp_start();
            input_started = true;
        }
        inp_reset_impulses();
    }
    static void press(int impulse) { _inp_get_impulse_code(impulse)->activated = 1; }

    game_data_t data;
    game_data_t *data_before = nullptr;
    owner_ptr_t<weapon_rifle_u> rifle;
    recording_weapon_host_t host;
    journal_observer_t observer;
    bool input_started = false;
};

TEST_F(rifle_states, the_action_states_follow_the_ends_of_the_behaviours) {
    struct case_t {
        const char *name;
        rifle_setup_t setup;
        const char *prefix;  // steps before the recorded ones
        const char *steps;
        const char *trace;
        int32_t ammo_after;
    };
    const case_t cases[] = {
        {"fire, then the action cycles", {}, "", "FEUUE", "Ffire:1b E:2b U:4b Ureload:5b E:0r", 4},
        {"no reload behaviour: ready at once",
         {.missing = {weapon_u::B_RELOAD, weapon_u::B_I_RELOAD}}, "", "FEUU", "Ffire:1b E:2b U:4b U:0r", 4},
        {"one round per load", {.ammo = 3}, "", "RUEEEE",
         "R:6b Uopen:7b Eload:7b Eload:7b Eclose:8b E:0r", 5},
        {"load once with a round at the open: open, then close", {.ammo = 0, .load_once = true, .load_one_round = true},
         "", "RUEE", "R:6b Uopen:7b Eclose:8b E:0r", 5},
        {"load once: one load fills the clip", {.ammo = 1, .load_once = true}, "", "RUEEE",
         "R:6b Uopen:7b Eload:7b Eclose:8b E:0r", 5},
        {"aim and back", {}, "", "AEHE", "Ai_raise:10b E:0r Hi_lower:11b E:0r", 5},
        {"at the eye the i_ behaviours play", {}, "AE", "FEUUE", "Fi_fire:1b E:2b U:4b Ui_reload:5b E:0r", 4},
        {"reload at the eye", {.ammo = 4}, "AE", "RUEEE", "R:6b Ui_open:7b Eload:7b Ei_close:8b E:0r", 5},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        make(c.setup);
        run(c.prefix);
        EXPECT_EQ(run(c.steps), c.trace);
        EXPECT_EQ(rifle->get_ammo(), c.ammo_after);
    }
}

TEST_F(rifle_states, a_special_without_its_behaviours_is_switched_off_with_its_message) {
    struct case_t {
        uint32_t special;
        std::vector<uint32_t> missing;
        std::vector<std::string> messages;
    };
    const case_t cases[] = {
        {weapon_u::SPECIAL_LAST_FIRE_AND_LOAD, {weapon_u::B_SPECIAL},
         {"special 'last_fire_and_load' specified but no special behavior found"}},
        {weapon_u::SPECIAL_LAST_FIRE_AND_LOAD, {weapon_u::B_I_SPECIAL},
         {"special 'last_fire_and_load' specified but no i_special behavior found"}},
        {weapon_u::SPECIAL_DRYFIRE_ANIMATED, {weapon_u::B_SPECIAL, weapon_u::B_I_SPECIAL},
         {"special 'dryfire_animated' specified but no special behavior found",
          "special 'dryfire_animated' specified but no i_special behavior found"}},
    };
    for (const case_t &c : cases) {
        message_capture_t log;
        weapon_rifle_u *r = make({.ammo = 1, .special = c.special, .missing = c.missing});
        EXPECT_FALSE(r->has_last_fire_and_load());
        EXPECT_FALSE(r->has_dryfire_animated());
        std::vector<std::string> errors;
        for (const std::string &e : log.texts(message_t::ERROR)) errors.push_back(e);
        std::vector<std::string> expected;
        for (const std::string &m : c.messages) expected.push_back("[game] " + m);
        EXPECT_EQ(errors, expected);
        EXPECT_EQ(run("F"), "Ffire:1b") << "the rifle works without it";
    }
}

TEST_F(rifle_states, the_specials_run_in_both_flag_cases) {
    // Last fire and load: the last round fires and reloads in one animation.
    weapon_rifle_u *r = make({.ammo = 1, .special = weapon_u::SPECIAL_LAST_FIRE_AND_LOAD});
    EXPECT_EQ(run("FE"), "Fspecial:9b E:0r");
    EXPECT_EQ(r->get_ammo(), 5) << "the special refills the clip";
    EXPECT_EQ(host.ammo_row, "R 5/5");

    // Dry fire animated, at the eye, on an empty clip: the prompt, then the special and
    // the action's cycle.
    r = make({.ammo = 0, .special = weapon_u::SPECIAL_DRYFIRE_ANIMATED});
    observer.sounds.clear();
    run("AE");
    EXPECT_EQ(run("FEUE"), "Fi_special:9b E:4b Ui_reload:5b E:0r");
    EXPECT_EQ(host.reload_prompts, 1);
    EXPECT_TRUE(observer.sounds.empty()) << "the animated dry fire makes no dry-fire sound";

    // From the hip the dry-fire special does not play: the sound does.
    EXPECT_EQ(run("HEF"), "Hi_lower:11b E:0r F:0r");
    ASSERT_EQ(observer.sounds.size(), 1u);
}

TEST_F(rifle_states, the_last_round_of_the_bolt_rifle_then_the_reload_prompt_and_the_dry_fire) {
    weapon_rifle_u *r = make({.ammo = 1});
    EXPECT_EQ(run("FEUUE"), "Ffire:1b E:2b U:4b Ureload:5b E:0r");
    EXPECT_EQ(r->get_ammo(), 0);
    EXPECT_EQ(host.ammo_row, "R 0/5");
    observer.sounds.clear();
    EXPECT_EQ(run("F"), "F:0r") << "nothing plays, nothing is shot";
    EXPECT_EQ(host.reload_prompts, 1);
    ASSERT_EQ(observer.sounds.size(), 1u);
    EXPECT_EQ(observer.sounds[0], "/sound/weapon/ws_bolt_dryfire.ogg 0.6 1");
}

TEST_F(rifle_states, input_fire_while_busy_is_dropped_and_reload_waits_for_ready) {
    start_input();
    weapon_rifle_u *r = make({.ammo = 4});
    r->fire();
    ASSERT_EQ(r->get_state(), item_u::STATE_BUSY);
    press(weapon_u::IMPULSE_FIRE);
    press(weapon_u::IMPULSE_RELOAD);
    r->poll_input();
    run("EUUE");
    ASSERT_EQ(r->get_state(), item_u::STATE_READY);
    observer.take_played();
    r->poll_input();
    EXPECT_EQ(observer.take_played(), "") << "the press made while busy never fires";
    EXPECT_TRUE(r->is_reload_requested()) << "the reload press was kept until ready";
    EXPECT_EQ(run("U"), "Uopen:7b") << "the update takes the request and opens at once";
    EXPECT_FALSE(r->is_reload_requested());

    // A full clip: the press does nothing.
    r = make({.ammo = 5});
    press(weapon_u::IMPULSE_RELOAD);
    r->poll_input();
    EXPECT_FALSE(r->is_reload_requested());
    EXPECT_EQ(run("U"), "U:0r");

    // Disabled input polls nothing.
    r = make({.ammo = 5});
    r->set_input_disabled(true);
    press(weapon_u::IMPULSE_FIRE);
    r->poll_input();
    EXPECT_EQ(r->get_action(), 0u);
    EXPECT_TRUE(inp_impulse_is_activated(weapon_u::IMPULSE_FIRE)) << "left pending";
}

TEST_F(rifle_states, a_queued_aim_waits_for_ready_and_is_cleared_by_letting_go) {
    weapon_rifle_u *r = make();
    r->fire();
    observer.take_played();
    r->set_aim(true);
    EXPECT_EQ(r->get_queued_aim(), 1u);
    EXPECT_EQ(run("EUUE"), "E:2b U:4b Ureload:5b E:0r") << "busy all along: still queued";
    EXPECT_EQ(r->get_queued_aim(), 1u);
    EXPECT_EQ(run("U"), "Ui_raise:10b") << "the first update at ready";
    EXPECT_EQ(run("E"), "E:0r");
    EXPECT_TRUE(r->is_aiming());
    EXPECT_FLOAT_EQ(r->fov + r->get_fov_offset(), 35.0f);

    r = make();
    r->fire();
    observer.take_played();
    r->set_aim(true);
    r->set_aim(false);
    EXPECT_EQ(r->get_queued_aim(), 0u);
    EXPECT_EQ(run("EUUEU"), "E:2b U:4b Ureload:5b E:0r U:0r");
    EXPECT_FALSE(r->is_aiming());
}

TEST_F(rifle_states, leaving_the_eye_by_lowering_returns_the_view_to_the_hip) {
    weapon_rifle_u *r = make({.load_once = true, .load_one_round = true});
    run("AE");
    ASSERT_FLOAT_EQ(r->get_fov_offset(), -25.0f);
    EXPECT_EQ(run("LEE"), "Li_lower:0b Elower:0b E:0l") << "off the eye first, then down";
    EXPECT_FALSE(r->is_aiming());
    EXPECT_FLOAT_EQ(r->get_fov_offset(), 0.0f);
    r->set_clip(2);
    EXPECT_EQ(run("SE"), "Sraise:0b E:0r");
    EXPECT_EQ(r->get_ammo(), 5) << "raising refills the clip";
    EXPECT_FLOAT_EQ(r->fov + r->get_fov_offset(), 60.0f);

    // The queued hip "close" of a reload at the eye leaves the eye too.
    run("AE");
    r->set_clip(4);
    run("RU");
    r->set_aim(false);
    EXPECT_EQ(r->get_queued_aim(), 2u);
    EXPECT_EQ(run("E"), "Eclose:8b");
    EXPECT_FALSE(r->is_aiming());
    EXPECT_FLOAT_EQ(r->get_fov_offset(), 0.0f);
}

TEST_F(rifle_states, the_sway_follows_the_view_and_is_clamped) {
    struct case_t {
        const char *name;
        bool aiming;
        float yaw_step, pitch_step, dt;
        int steps;
        float yaw, pitch;
    };
    const float hip_corner = 0.4f / std::sqrt(2.0f);
    const case_t cases[] = {
        {"a slow turn springs back at once", false, 0.01f, 0.0f, 0.1f, 1, 0.0f, 0.0f},
        {"a fast turn counts at twice the return rate", false, 10.0f, 0.0f, 0.01f, 1, 0.006f, 0.0f},
        {"the same downward", false, 0.0f, -10.0f, 0.01f, 1, 0.0f, -0.006f},
        {"at the eye", true, 10.0f, 0.0f, 0.01f, 1, 0.002f, 0.0f},
        {"the lag stops at its greatest length", false, 10.0f, 0.0f, 0.01f, 100, 0.4f, 0.0f},
        {"both axes share the greatest length", false, 10.0f, 10.0f, 0.01f, 100, hip_corner, hip_corner},
        {"at the eye the greatest length is smaller", true, 0.0f, -10.0f, 0.01f, 200, 0.0f, -0.12f},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        owner_ptr_t<weapon_rifle_u> r(weapon_rifle_u::create(system));
        ypr_t view;
        for (int i = 0; i < c.steps; ++i) {
            view.yaw += c.yaw_step, view.pitch += c.pitch_step;
            r->step_sway(view, c.dt, c.aiming ? weapon_u::SWAY_AIMED : weapon_u::SWAY_HIP);
        }
        EXPECT_NEAR(r->get_sway().yaw, c.yaw, 1e-5f);
        EXPECT_NEAR(r->get_sway().pitch, c.pitch, 1e-5f);
    }
}

TEST_F(rifle_states, the_shot_goes_from_the_view_to_its_receiver_then_the_casing_the_count_and_the_kick) {
    register_scene_units();
    owner_ptr_t<test_ctrl_u> made = make_ctrl();
    test_ctrl_u *ctrl = made.get();
    set_current_ctrl(owner_ptr_ret_t<base_ctrl_u>(made));
    ctrl->view.placement.rotation.set_cartes({0.0f, 0.0f, 1.0f});
    fixture_receiver_t receiver;
    ctrl->get_targets().add(&receiver);

    weapon_rifle_u *r = make();
    owner_ptr_t<projectile_u> projectile(projectile_u::create(system));
    owner_ptr_t<casing_u> casing(casing_u::create(system));
    projectile_u *shot = projectile.get();
    casing_u *kept_casing = casing.get();
    shot->casing = owner_ptr_ret_t<unit_base_t>(casing);
    r->set_projectile(owner_ptr_ret_t<unit_base_t>(projectile));
    r->recoil_setup = {-0.03f, 0.02f, 1.0f, 0.4f};

    fake_clock_t clock;
    clock.cycles = 777;
    sys_reset_random();
    r->fire();
    EXPECT_NEAR(receiver.seen_end.x, 0.0f, 1e-3f);
    EXPECT_NEAR(receiver.seen_end.y, 0.0f, 1e-3f);
    EXPECT_NEAR(receiver.seen_end.z, 1000.0f, 1e-3f);
    EXPECT_EQ(receiver.hits, 1);
    EXPECT_EQ(receiver.projectile, shot);
    EXPECT_TRUE(r->last_shot_hit());
    EXPECT_EQ(host.shots, 1);
    EXPECT_EQ(host.ammo_row, "R 4/5");
    EXPECT_EQ(host.recoils, 1);
    EXPECT_FLOAT_EQ(host.last_recoil.w, 0.4f);
    ASSERT_EQ(observer.sounds.size(), 1u);
    EXPECT_EQ(observer.sounds[0], "/sound/weapon/fire.ogg 0.6 1");

    // No world of the world's class: the casing lies at the probed point.
    sys_reset_random();
    const float u1 = sys_rand(), u2 = sys_rand(), u3 = sys_rand();
    const vec3_t at = kept_casing->get_placement().position;
    EXPECT_FLOAT_EQ(at.x, u3 - 0.5f);
    EXPECT_FLOAT_EQ(at.y, u2 - 0.5f);
    EXPECT_FLOAT_EQ(at.z, u1 - 0.5f);
    ctrl->get_targets().remove(&receiver);
}

}  // namespace
}  // namespace quarn::test
