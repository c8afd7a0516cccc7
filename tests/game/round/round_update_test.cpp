// A running round: entries come due with the elapsed time, wait while the intro runs,
// stay due while their spawn fails, and the targets on each trail are updated, drawn
// and removed once finished.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/round/round_fixture.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_fixture.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/debug_lines.h"
#include "outside/qrnshared/cvar.h"

namespace quarn::test {
namespace {

class round_update : public round_fixture_t {
protected:
    void SetUp() override {
        round_fixture_t::SetUp();
        make_desc("doe");
        make_desc("buck");
        make_desc("squirrel");
    }

    // Two trails (the second ambient only), resolved, on a scene; scoring animals
    // every interval seconds.
    owner_ptr_ret_t<round_logic_u> make_round(uint32_t time_limit, uint32_t targets) {
        make_trail("trails0.trail0");
        make_trail("ambient.stage0.trail0");
        owner_ptr_ret_t<round_logic_u> round = load<round_logic_u>(
            trail_use_text(".a", "trails0.trail0", {"doe"}, {"buck"}) +
            trail_use_text(".b", "ambient.stage0.trail0", {}, {}, {}, {"squirrel"}) +
            "round_logic : .r\n{\ntime_limit: " + std::to_string(time_limit) +
            "\ntarget_count: " + std::to_string(targets) + "\ndecoy_occurence: 0\ntrails: 2\ntrails[0]: .a\n"
            "trails[1]: .b\n}\n");
        EXPECT_TRUE(round);
        if (round) {
            EXPECT_TRUE(round->resolve_trails());
        }
        return round;
    }
    static spawn_setup_t single() {
        spawn_setup_t setup;
        setup.bonus_round = 1;
        return setup;
    }
};

TEST_F(round_update, due_entries_wait_for_the_intro_then_spawn_together) {
    install_spawners();
    test_ctrl_u *ctrl = make_scene();
    owner_ptr_t<round_logic_u> round(make_round(10, 5));  // one every 2 s
    ASSERT_TRUE(round);
    round->build_spawn_schedule(1, single());
    EXPECT_EQ(round->get_spawns().get_pending_count(), 5u);

    round->set_intro_running(true);
    for (int frame = 0; frame < 5; ++frame) round->update(1.0f, 1.0f);  // 5 s of intro
    EXPECT_EQ(round->get_spawns().get_due_count(), 3u) << "0, 2 and 4 s came due";
    EXPECT_EQ(round->get_spawns().get_pending_count(), 2u);
    EXPECT_TRUE(recorded_spawns.calls.empty());

    round->set_intro_running(false);
    round->update(0.0f, 1.0f);
    EXPECT_EQ(round->get_spawns().get_due_count(), 0u);
    EXPECT_EQ(recorded_spawns.calls.size(), 3u);
    EXPECT_EQ(round->get_trail(0)->get_animal_count(), 3u);
    EXPECT_EQ(ctrl->get_targets().get_count(), 3u) << "animals enter the target list themselves";
    EXPECT_FLOAT_EQ(round->get_elapsed(), 5.0f);
}

TEST_F(round_update, a_failing_spawn_stays_due_and_is_tried_again) {
    install_spawners();
    make_scene();
    owner_ptr_t<round_logic_u> round(make_round(10, 5));
    ASSERT_TRUE(round);
    round->build_spawn_schedule(1, single());

    recorded_spawns.fail_next = 1;
    round->update(0.5f, 1.0f);
    EXPECT_EQ(round->get_spawns().get_due_count(), 1u);
    EXPECT_EQ(round->get_trail(0)->get_animal_count(), 0u);
    // A unit that is no longer alive counts as none.
    recorded_spawns.make_dead = true;
    round->update(0.5f, 1.0f);
    EXPECT_EQ(round->get_spawns().get_due_count(), 1u);
    EXPECT_EQ(round->get_trail(0)->get_animal_count(), 0u);
    recorded_spawns.make_dead = false;
    round->update(0.5f, 1.0f);
    EXPECT_EQ(round->get_spawns().get_due_count(), 0u);
    EXPECT_EQ(round->get_trail(0)->get_animal_count(), 1u);
    ASSERT_EQ(recorded_spawns.calls.size(), 3u);
    EXPECT_EQ(recorded_spawns.calls[0], recorded_spawns.calls[2]) << "the same entry each time";
}

TEST_F(round_update, without_spawners_entries_stay_due_with_one_line_per_kind) {
    make_scene();
    make_trail("trails0.trail0");
    make_trail("ambient.stage0.trail0");
    owner_ptr_t<round_logic_u> round(load<round_logic_u>(
        trail_use_text(".a", "trails0.trail0", {"doe"}, {"buck"}) +
        "round_logic : .r\n{\ntime_limit: 10\ntarget_count: 5\ntrails: 1\ntrails[0]: .a\n}\n"));
    ASSERT_TRUE(round);
    ASSERT_TRUE(round->resolve_trails());
    randomizer_t scene(3);
    spawn_setup_t party;
    party.party = true;
    party.party_players = 2;
    party.gift_random = &scene;
    round->build_spawn_schedule(1, party);
    for (int frame = 0; frame < 60; ++frame) round->update(1.0f, 1.0f);
    EXPECT_EQ(round->get_spawns().get_due_count(), 13u) << "5 animals and 8 gifts";
    const std::vector<std::string> errors = log.texts(message_t::ERROR);
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "[game] No animal spawner ('animal_target.spawn'): animals wait until one is there",
                          "[game] No gift spawner ('gift_target.spawn'): gifts wait until one is there"}));

    install_spawners();
    round->update(0.0f, 1.0f);
    EXPECT_EQ(round->get_spawns().get_due_count(), 0u);
    EXPECT_EQ(round->get_trail(0)->get_animal_count(), 5u);
    EXPECT_EQ(round->get_trail(0)->get_gift_count(), 8u);
}

TEST_F(round_update, finished_targets_leave_and_the_walk_goes_on_with_the_next) {
    install_spawners();
    test_ctrl_u *ctrl = make_scene();
    owner_ptr_t<round_logic_u> round(make_round(3, 3));  // at 0, 1 and 2 s
    ASSERT_TRUE(round);
    round->build_spawn_schedule(1, single());
    round->update(2.0f, 1.0f);  // all three spawn, then each is updated once
    trail_use_u *trail = round->get_trail(0);
    ASSERT_EQ(trail->get_animal_count(), 3u);
    auto *first = static_cast<fake_target_u *>(trail->get_animal(0));
    auto *second = static_cast<fake_target_u *>(trail->get_animal(1));
    auto *third = static_cast<fake_target_u *>(trail->get_animal(2));
    ref_ptr_t<fake_target_u> watch_third(third);
    first->finish_after_updates = 2;
    second->finish_after_updates = 2;
    fake_target_u::journal.clear();

    round->update(0.25f, 1.0f);
    EXPECT_EQ(fake_target_u::journal.size(), 3u) << "the two that finished and the one after them were updated";
    EXPECT_EQ(third->updates, 2);
    EXPECT_EQ(trail->get_animal_count(), 1u);
    EXPECT_EQ(trail->get_animal(0), third);
    EXPECT_EQ(fake_target_u::destroyed, 2);
    EXPECT_EQ(ctrl->get_targets().get_count(), 1u);
    EXPECT_TRUE(ctrl->get_targets().contains(third));

    // A round that goes takes its targets out of the target list.
    round.reset();
    EXPECT_FALSE(watch_third->is_alive());
    EXPECT_EQ(ctrl->get_targets().get_count(), 0u);
}

TEST_F(round_update, gifts_get_the_frame_time_and_animals_the_sped_up_one) {
    install_spawners();
    test_ctrl_u *ctrl = make_scene();
    owner_ptr_t<round_logic_u> round(make_round(10, 1));
    ASSERT_TRUE(round);
    randomizer_t scene(8);
    spawn_setup_t party;
    party.party = true;
    party.party_players = 9;  // one gift between 2 and 52 s
    party.gift_random = &scene;
    round->build_spawn_schedule(1, party);
    round->update(52.0f, 1.0f);
    uint32_t gifts = 0;
    for (uint32_t i = 0; i < 2; ++i) gifts += round->get_trail(i)->get_gift_count();
    ASSERT_EQ(gifts, 1u);
    ASSERT_EQ(round->get_trail(0)->get_animal_count(), 1u);
    EXPECT_EQ(ctrl->get_targets().get_count(), 2u) << "the trail use adds the gift";

    round->update(0.5f, 2.0f);
    auto *animal = static_cast<fake_target_u *>(round->get_trail(0)->get_animal(0));
    fake_target_u *gift = nullptr;
    for (uint32_t i = 0; i < 2; ++i)
        if (round->get_trail(i)->get_gift_count()) gift = static_cast<fake_target_u *>(round->get_trail(i)->get_gift(0));
    ASSERT_NE(gift, nullptr);
    EXPECT_EQ(animal->steps.back(), 1.0f);
    EXPECT_EQ(gift->steps.back(), 0.5f);

    fake_target_u::journal.clear();
    round->draw();
    ASSERT_EQ(fake_target_u::journal.size(), 2u);
    EXPECT_EQ(fake_target_u::journal[0].rfind("animal", 0), 0u) << "animals are drawn before gifts";
    EXPECT_EQ(fake_target_u::journal[1].rfind("gift", 0), 0u);
}

TEST_F(round_update, resolving_finds_live_trails_only) {
    make_desc("bear");
    owner_ptr_t<round_logic_u> round(load<round_logic_u>(
        trail_use_text(".a", "trails0.trail0", {}, {"buck"}) + trail_use_text(".b", "trails0.trail1", {}, {"buck"}) +
        "round_logic : .r\n{\ntime_limit: 10\ntrails: 2\ntrails[0]: .a\ntrails[1]: .b\n}\n"));
    ASSERT_TRUE(round);
    EXPECT_FALSE(round->resolve_trails());
    EXPECT_TRUE(log.contains("[game] Trail (trails0.trail0) does not exist"));

    make_trail("trails0.trail0");
    make_desc("trails0.trail1");  // a unit of that name, but no trail
    log.clear();
    EXPECT_FALSE(round->resolve_trails());
    EXPECT_TRUE(log.contains("[game] Trail (trails0.trail1) does not exist"));
    EXPECT_NE(round->get_trail(0)->get_trail(), nullptr);

    trail_u *later = make_trail("trails0.trail2");
    round->get_trail(1)->trail_name = "trails0.trail2";
    EXPECT_TRUE(round->resolve_trails());
    EXPECT_EQ(round->get_trail(1)->get_trail(), later);
}

TEST_F(round_update, an_animal_takes_the_description_its_random_value_draws) {
    install_spawners();
    make_scene();
    make_trail("trails0.trail0");
    for (const char *name : {"d0", "d1", "d2"}) make_desc(name);
    owner_ptr_t<trail_use_u> use(load<trail_use_u>(trail_use_text(".a", "trails0.trail0", {}, {"d0", "d1", "d2"})));
    ASSERT_TRUE(use);
    EXPECT_FALSE(use->spawn_animal(SPAWN_SCORING, "", 5)) << "not resolved yet";
    EXPECT_TRUE(recorded_spawns.calls.empty());
    ASSERT_TRUE(use->resolve_trail());
    for (uint32_t value : {0u, 5u, 400u, 998u}) {
        ASSERT_TRUE(use->spawn_animal(SPAWN_SCORING, value == 5 ? "sunglasses" : "", value));
        randomizer_t draw(value + 111);
        const std::string expected = "animal d" + std::to_string(draw.rand_u(3)) + " [" +
                                     (value == 5 ? "sunglasses" : "") + "] " + std::to_string(value);
        EXPECT_EQ(recorded_spawns.calls.back(), expected);
    }
    auto *animal = static_cast<fake_target_u *>(use->get_animal(0));
    EXPECT_EQ(animal->trail, use->get_trail());
    // A kind the trail use does not carry, and one past the kinds (read as decoys).
    EXPECT_FALSE(use->spawn_animal(SPAWN_AMBIENT, "", 1));
    EXPECT_FALSE(use->spawn_animal(17, "", 1));
    EXPECT_EQ(recorded_spawns.calls.size(), 4u);
}

TEST_F(round_update, a_round_draws_its_trails_only_under_the_debug_variable) {
    make_scene();
    owner_ptr_t<round_logic_u> round(make_round(10, 1));
    ASSERT_TRUE(round);
    EXPECT_EQ(round->get_trail(0)->get_trail(), unit_system_t::find_unit("trails0.trail0"));
    debug_lines_flush(nullptr);
    round->draw();
    EXPECT_EQ(debug_lines_count(), 0u);
    cvar_t variable{"g_ai_debug", "1"};
    cvar_register_variable(&variable);
    round->draw();
    EXPECT_EQ(debug_lines_count(), 2u) << "one segment on each of the two trails";
    debug_lines_flush(nullptr);
    cvar_unregister_variable(&variable);
}

}  // namespace
}  // namespace quarn::test
