// Round targets in a hunt on "valley" with the whitetail: the shot's road to the
// animal, the hit decisions, the states from running to sinking, the wound's slower
// pace, and the round code's spawns and removals.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "animal_target_fixture.h"
#include "game/ai/animals/ragdoll.h"
#include "game/scene/current_ctrl.h"
#include "game/session/score.h"
#include "game/ui/ingame/animal_hud.h"
#include "game/world/trail_follower.h"
#include "kernel/sound/sound.h"

namespace quarn::test {
namespace {

// Through the trunk from the left side (the body zone), along the left legs under the
// body (the immune legs), in the animal's model space.
const vec3_t TRUNK_FROM{-5.0f, 0.95f, 0.05f}, TRUNK_TO{5.0f, 0.95f, 0.05f};
const vec3_t LEGS_FROM{-0.15f, 0.3f, -5.0f}, LEGS_TO{-0.15f, 0.3f, 5.0f};

class animal_target : public animal_target_fixture_t {
protected:
    // Frames until the target is in the state (at most seconds); false when it never is.
    bool run_until(animal_target_u *t, animal_target_u::state_id_t state, float seconds = 30.0f) {
        for (int i = 0; i < int(seconds / DT) && t->get_state() != state; ++i) frame();
        return t->get_state() == state;
    }
    // The states a target passes through from now on until it expires (or 40 s pass),
    // "a > b > c".
    // The height at which it began to wait is kept (wait_height).
    std::string states_until_expired(animal_target_u *t) {
        std::string seen = animal_target_u::state_name(t->get_state());
        for (int i = 0; i < int(40.0f / DT) && !t->is_expired(); ++i) {
            const animal_target_u::state_id_t before = t->get_state();
            frame();
            if (t->get_state() == before) continue;
            seen += std::string(" > ") + animal_target_u::state_name(t->get_state());
            if (t->get_state() == animal_target_u::STATE_WAITING) wait_height = t->get_placement().position.y;
        }
        return seen;
    }
    float wait_height = 0.0f;
    score_u *score() { return hunt->get_round_score(); }
    // Fills the hunt's ragdoll budget (a ragdoll death then needs a skill shot), or
    // gives the room back.
    void fill_ragdolls(bool full) {
        for (; full && hunt->get_ragdolls_alive() < hunt->get_ragdoll_total_limit(); ++filled) hunt->add_ragdoll(0);
        for (; !full && filled > 0; --filled) hunt->remove_ragdoll(0);
    }
    uint32_t filled = 0;
};

TEST_F(animal_target, a_vital_shot_kills_once_and_the_buck_sinks_and_expires_after_ten_seconds) {
    ASSERT_NE(start(), nullptr);
    fill_ragdolls(true);  // no room for a ragdoll: the death is animated
    animal_target_u *buck = spawn(MALE, "trails0.trail0");
    ASSERT_NE(buck, nullptr);
    frames(10);
    ASSERT_EQ(buck->get_state(), animal_target_u::STATE_RUNNING);
    EXPECT_TRUE(hunt->get_targets().contains(buck)) << "it joined the shots' list at its first update";

    EXPECT_EQ(shoot_local(buck, TRUNK_FROM, TRUNK_TO), buck);
    EXPECT_EQ(score()->kills, 1u);
    EXPECT_EQ(score()->valid_kills, 1u);
    EXPECT_EQ(hunt->get_kill_stats()->vital_hits, 1u);
    EXPECT_TRUE(buck->is_killed());
    // A second hit before the next update: still the nearest receiver, but the buck is
    // dying and nothing more is scored.
    EXPECT_EQ(shoot_local(buck, TRUNK_FROM, TRUNK_TO), buck);
    EXPECT_EQ(score()->kills, 1u);
    EXPECT_EQ(score()->hits, 1u);
    EXPECT_EQ(buck->get_next_state(), animal_target_u::STATE_DYING_ON_GROUND);

    ASSERT_TRUE(run_until(buck, animal_target_u::STATE_SINKING));
    // In a death state a hit changes nothing either (a shot from above: the buck lies).
    EXPECT_EQ(shoot_local(buck, {0.0f, 4.0f, 0.05f}, {0.0f, -2.0f, 0.05f}), buck);
    EXPECT_EQ(score()->kills, 1u);
    const float height = buck->get_placement().position.y;
    int sinking_frames = 0;
    while (!buck->is_expired() && sinking_frames < 1000) {
        frame();
        ++sinking_frames;
    }
    EXPECT_NEAR(sinking_frames * DT, 10.0f, 2 * DT) << "expired after 10 s of sinking";
    EXPECT_NEAR(buck->get_placement().position.y, height - 5.0f, 0.05f) << "half a metre a second";
    EXPECT_TRUE(buck->is_finished());
}

TEST_F(animal_target, expert_wounds_slow_the_buck_to_seventy_percent_and_back_to_full_pace) {
    data->expert = true;
    ASSERT_NE(start(), nullptr);
    // A buck of three hit points whose zones are the head and the legs: a shot through
    // the trunk hits no zone and wounds it.
    animal_model_desc_u *tough =
        variant("test.tough", "hit_points: 3\nparts: 2\nparts[0]: whitetail.part.head\nparts[1]: whitetail.part.legs\n");
    ASSERT_NE(tough, nullptr);
    animal_target_u *buck = spawn("test.tough", "trails0.trail0");
    ASSERT_NE(buck, nullptr);
    EXPECT_EQ(buck->get_max_hit_points(), 3u);
    frames(50);
    float before = travelled(buck);
    frame();
    const float full_pace = travelled(buck) - before;
    ASSERT_GT(full_pace, 0.0f);

    EXPECT_EQ(shoot_local(buck, TRUNK_FROM, TRUNK_TO), buck);
    EXPECT_EQ(buck->get_hit_points(), 2u);
    EXPECT_FALSE(buck->is_killed());
    EXPECT_EQ(score()->hits, 1u) << "on_hit";
    EXPECT_EQ(score()->kills, 0u);
    EXPECT_TRUE(unit_cast<animal_hud_u>(buck->get_hud())->is_bonus_marked()) << "a wounded buck shows its bar";

    // The pace at some times after the hit, against the pace before it.
    const struct {
        float at;
        float pace;
    } paces[] = {{0.5f, 0.9f}, {1.5f, 0.7f}, {3.25f, 0.85f}, {5.1f, 1.0f}};
    float now = 0.0f;
    for (const auto &p : paces) {
        SCOPED_TRACE(p.at);
        frames(int((p.at - now) / DT + 0.5f) - 1);
        before = travelled(buck);
        frame();
        now = p.at;
        EXPECT_NEAR((travelled(buck) - before) / full_pace, p.pace, 0.03f);
    }
    EXPECT_EQ(buck->get_state(), animal_target_u::STATE_RUNNING);
    // A frame of no time leaves the speed a number.
    frame(0.0f);
    EXPECT_TRUE(std::isfinite(buck->get_speed()));
    // A zone hit kills at once, whatever hit points are left.
    shoot_local(buck, {-5.0f, 1.5f, -0.85f}, {5.0f, 1.5f, -0.85f});  // through the skull
    EXPECT_TRUE(buck->is_killed());
    EXPECT_EQ(score()->kills, 1u);
}

TEST_F(animal_target, an_immune_leg_leaves_the_buck_running_and_a_doe_is_an_illegal_shot) {
    ASSERT_NE(start(), nullptr);
    animal_target_u *buck = spawn(MALE, "trails0.trail0");
    animal_target_u *doe = spawn(FEMALE, "trails0.trail3");
    ASSERT_TRUE(buck && doe);
    frames(10);
    EXPECT_EQ(shoot_local(buck, LEGS_FROM, LEGS_TO), buck);
    EXPECT_EQ(score()->hits, 1u) << "on_bad_shot counts the hit";
    EXPECT_EQ(score()->kills, 0u);
    EXPECT_FALSE(buck->is_killed());
    EXPECT_EQ(buck->get_hit_points(), 1u);
    frame();
    EXPECT_EQ(buck->get_state(), animal_target_u::STATE_RUNNING);

    EXPECT_EQ(shoot_local(doe, TRUNK_FROM, TRUNK_TO), doe);
    EXPECT_EQ(hunt->get_kill_stats()->protected_kills, 1u);
    EXPECT_EQ(score()->valid_kills, 0u);
    EXPECT_TRUE(doe->is_killed());
}

// The road from a kill to sinking, by what the animal and the hunt allow.
TEST_F(animal_target, each_kind_of_death_passes_its_states_to_sinking) {
    ASSERT_NE(start(), nullptr);
    ASSERT_NE(variant("test.still", ""), nullptr);  // no zones, no ragdoll
    ASSERT_NE(variant("test.plain", "ragdoll_lod_filename: 1\nragdoll_lod_filename[0]: "
                                    "\"/script/hookup/animals/whitetail/ragdoll_hires.unit\"\n"),
              nullptr);  // no zones
    ASSERT_NE(variant("test.flyer", "ground_based: false\n"), nullptr);
    ASSERT_NE(variant("test.broken", "ragdoll_lod_filename: 1\nragdoll_lod_filename[0]: \"/nope/ragdoll.unit\"\n"),
              nullptr);
    ASSERT_NE(variant("test.odd", "parts: 1\nparts[0]: .odd\n",
                      "animal_part : .odd { part_name: \"body\" bone_name: \"spine\" behavior_name: \"nope\" "
                      "fever_reward: 2 }\n"),
              nullptr);
    // A trail 20 above the ground for the animal that is killed in the air.
    make_trail("test.air", {{60.0f, 25.0f, 110.0f}, {60.0f, 25.0f, -110.0f}});
    const struct {
        const char *desc;
        const char *trail;
        bool skill;
        bool room;
        const char *states;
    } cases[] = {
        {MALE, "trails0.trail0", false, false, "running > dying on ground > waiting > sinking"},
        {MALE, "trails0.trail1", true, false, "running > knocked down > settling > sinking"},  // a skill shot
        // No zone hit and room for a ragdoll.
        {"test.plain", "trails0.trail2", false, true, "running > knocked down > settling > sinking"},
        {"test.still", "trails0.trail3", true, true, "running > dying on ground > waiting > sinking"},
        // The ragdoll does not load: the death is animated.
        {"test.broken", "trails0.trail4", true, true, "running > knocked down > dying on ground > waiting > sinking"},
        // A zone that names no death: the death of a hit outside every zone.
        {"test.odd", "trails0.trail5", false, false, "running > dying on ground > waiting > sinking"},
        // Killed in the air: it falls to the ground, then waits.
        {"test.flyer", "test.air", false, false, "running > falling > waiting > sinking"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.desc);
        fill_ragdolls(!c.room);
        animal_target_u *t = spawn(c.desc, c.trail);
        ASSERT_NE(t, nullptr);
        frames(5);
        if (c.skill) t->notify(ZBA_NOTICE_INFO, zba_value_t{-1, "skill_start"}, 0);
        EXPECT_EQ(t->get_skill(), c.skill);
        const float air = t->get_placement().position.y;
        EXPECT_EQ(shoot_local(t, TRUNK_FROM, TRUNK_TO), t);
        ASSERT_TRUE(t->is_killed());
        frame();
        EXPECT_EQ(animal_target_u::state_name(animal_target_u::STATE_RUNNING) + std::string(" > ") +
                      states_until_expired(t),
                  c.states);
        if (std::string(c.desc) == "test.flyer") {
            EXPECT_LT(wait_height, air - 15.0f) << "it came down to the ground";
        }
        EXPECT_TRUE(t->is_expired());
        EXPECT_EQ(hunt->get_ragdolls_alive(), filled) << "a settled ragdoll is counted out";
        targets.clear();
    }
}

TEST_F(animal_target, the_round_spawns_targets_that_walk_their_trails) {
    ASSERT_NE(start({"trails0.trail0", "trails0.trail1"}, 2, 4.0f), nullptr);
    round_logic_u *round = hunt->get_round();
    ASSERT_NE(round, nullptr);
    frame();
    uint32_t spawned = 0;
    for (uint32_t i = 0; i < round->trails.get_count(); ++i)
        spawned += unit_cast<trail_use_u>(round->trails[i].get())->get_animal_count();
    EXPECT_EQ(spawned, 1u) << "the first of two spawns is due at once";
    frames(100);  // two seconds: the second spawn too
    std::vector<animal_target_u *> animals;
    std::vector<float> walked;
    for (uint32_t i = 0; i < round->trails.get_count(); ++i) {
        auto *use = unit_cast<trail_use_u>(round->trails[i].get());
        for (uint32_t a = 0; a < use->get_animal_count(); ++a) {
            auto *t = unit_cast<animal_target_u>(use->get_animal(a));
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->get_follower()->get_trail(), use->get_trail());
            EXPECT_TRUE(hunt->get_targets().contains(t));
            animals.push_back(t);
            walked.push_back(travelled(t));
        }
    }
    ASSERT_EQ(animals.size(), 2u);
    frames(50);
    for (size_t i = 0; i < animals.size(); ++i) EXPECT_GT(travelled(animals[i]), walked[i] + 0.5f);
}

TEST_F(animal_target, a_target_at_its_trail_end_leaves_only_when_out_of_sight) {
    make_trail("test.short", {{20.0f, 0.0f, 1.0f}, {20.0f, 0.0f, -1.0f}});
    ASSERT_NE(start({"test.short"}, 1), nullptr);
    trail_use_u *use = unit_cast<trail_use_u>(hunt->get_round()->trails[0].get());
    look_at({0.0f, 2.0f, 0.0f}, {20.0f, 1.0f, 0.0f});
    frame();
    ASSERT_EQ(use->get_animal_count(), 1u);
    auto *t = unit_cast<animal_target_u>(use->get_animal(0));
    for (int i = 0; i < 500 && !t->reached_trail_end(); ++i) frame();
    ASSERT_TRUE(t->reached_trail_end());
    EXPECT_TRUE(t->is_model_busy()) << "seen";
    EXPECT_FALSE(t->is_trail_finished());
    frames(5);
    EXPECT_EQ(use->get_animal_count(), 1u) << "it stays while it is seen";
    // The hunter looks away: the next draw does not see it, the update after removes it.
    look_at({0.0f, 2.0f, 0.0f}, {-20.0f, 1.0f, 0.0f});
    frames(2);
    EXPECT_EQ(use->get_animal_count(), 0u);
    EXPECT_FALSE(hunt->get_targets().contains(t));
}

TEST_F(animal_target, the_run_sound_follows_a_gallop_near_the_player_and_is_skipped_without_sounds) {
    ASSERT_NE(start(), nullptr);
    // A trail that walks a metre, then runs past the hunter.
    make_trail("test.run", {{10.0f, 0.0f, 6.0f}, {10.0f, 0.0f, 5.0f}, {10.0f, 0.0f, -60.0f}},
               {BEHAVIOR_walk, BEHAVIOR_run, BEHAVIOR_run});
    animal_target_u *buck = spawn(MALE, "test.run");
    ASSERT_NE(buck, nullptr);
    for (int i = 0; i < 3000 && buck->get_segment_kind() != ANIMAL_GALLOP; ++i) frame();
    ASSERT_EQ(buck->get_segment_kind(), int32_t(ANIMAL_GALLOP));
    frames(50);
    ASSERT_GE(buck->get_run_sound_slot(), 0);
    sound_u *run = buck->get_runtime()->get_run_sound(buck->get_run_sound_slot());
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(run->has_flag(sound_u::PLAY_REQUESTED));
    EXPECT_GT(run->attributes.volume, 0.4f);
    EXPECT_LE(run->attributes.volume, 0.8f);
    EXPECT_EQ(run->attributes.max_distance, 40.0f);
    EXPECT_NEAR(run->attributes.position.x, buck->get_placement().position.x, 1e-3f);

    // A death gives the slot back.
    shoot_local(buck, TRUNK_FROM, TRUNK_TO);
    EXPECT_EQ(buck->get_run_sound_slot(), -1);

    // Without a sound front-end the kernel makes no sound: nothing is taken or played.
    targets.clear();
    snd_shutdown_devices();
    snd_stop();
    animal_target_u *quiet = spawn(MALE, "test.run");
    for (int i = 0; i < 3000 && quiet->get_segment_kind() != ANIMAL_GALLOP; ++i) frame();
    frames(20);
    EXPECT_EQ(quiet->get_run_sound_slot(), -1);
    quiet->notify(ZBA_NOTICE_INFO, zba_value_t{-1, "drop"}, 0);
    quiet->notify(ZBA_NOTICE_INFO, zba_value_t{-1, "animal"}, 0);
    snd_start(get_engine_ubank(), unit_system_t::get_default());
    ASSERT_TRUE(snd_init_devices());
}

}  // namespace
}  // namespace quarn::test
