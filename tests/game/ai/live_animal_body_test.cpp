// The live whitetail's body on the content map: its trails by name and gore, its
// breath in the cold, footprints and blood as it walks and bleeds, its death, and the
// detail levels, shadow and head its visibility pass gives.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "game/ai/mind/ai_simple.h"
#include "game/visuals/effects/bits.h"
#include "game/visuals/effects/particle_set.h"
#include "game/world/environment.h"
#include "kernel/console/cvars.h"
#include "live_animal_fixture.h"
#include "outside/qrnshared/cvar.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

// A resting buck on the open ground, and a doe of his herd resting beside him.
const char *const pair_text = R"(
def general { area: "valley" weather: "clear" time: "9" wind_dir: "1 0 0" }
def animals {
    def buck { species: "whitetail" type: "male" position: "10 0 -20" orientation: "0 0 -1" score: "0" weight: "90"
               val_hunger: "0" val_thirst: "0" val_tiredness: "0.9" val_stress: "0" }
    def doe { species: "whitetail" type: "female" mate: "buck" position: "14 0 -20" orientation: "0 0 -1" score: "12" weight: "60"
              val_hunger: "0" val_thirst: "0" val_tiredness: "0.9" val_stress: "0" }
}
)";

using live_animal_body = live_animal_fixture_t;

TEST_F(live_animal_body, trails_by_their_names_and_the_breath_only_in_the_cold) {
    ASSERT_TRUE(start(pair_text));
    simple_animal_t *doe = animal("doe");
    ASSERT_NE(doe, nullptr);
    bits_t *bits = ctrl()->get_bits();
    ASSERT_GE(bits->find_trail("wtail_trail"), 0);
    EXPECT_EQ(doe->get_footprint_trail(), bits->find_trail("wtail_trail"));
    EXPECT_EQ(doe->get_blood_trail(), bits->find_trail("blood_trail")) << "gore by default";
    EXPECT_NEAR(doe->get_spoor_distance(), 0.9f, 1e-6f);
    EXPECT_GE(doe->get_walked(), 0.0f);
    EXPECT_LT(doe->get_walked(), doe->get_spoor_distance());

    ASSERT_NE(doe->get_breath(), nullptr);
    temperature_u *air = ctrl()->get_environment()->get_temperature();
    const struct {
        float degrees;
        bool shows;
    } cases[] = {{4.0f, true}, {5.0f, true}, {5.5f, false}, {-10.0f, true}, {20.0f, false}};
    for (const auto &c : cases) {
        air->set_temperature(c.degrees);
        doe->update(animal_base_t::BREATH_INTERVAL + 0.01f);
        EXPECT_EQ(doe->get_breath()->is_visible(), c.shows) << c.degrees;
    }

    cvar_t gore{"g_gore", "0"};
    cvar_register_variable(&gore);
    ASSERT_TRUE(start(pair_text));
    EXPECT_EQ(animal("doe")->get_blood_trail(), ctrl()->get_bits()->find_trail("nogore_blood_trail"));
    cvar_unregister_variable(&gore);
}

TEST_F(live_animal_body, a_walk_leaves_footprints_and_a_wound_bleeds_until_the_animal_dies) {
    ASSERT_TRUE(start(pair_text));
    simple_animal_t *doe = animal("doe");
    simple_animal_t *buck = animal("buck");
    bits_t *bits = ctrl()->get_bits();
    const bits_t::trail_kind_t &prints = bits->get_trail(uint32_t(doe->get_footprint_trail()));
    const bits_t::trail_kind_t &blood = bits->get_trail(uint32_t(doe->get_blood_trail()));
    // Sent walking to a point 20 units ahead.
    doe->go_to(doe->get_position() + vec3_t{0, 0, -20}, 3.0f, 2.0f, 500.0f, animal_t::PATH_LIMIT);
    doe->set_speed(simple_animal_t::WALK_SPEED);
    doe->set_processor(simple_animal_t::MOVE);
    const uint64_t before = prints.count;
    const vec3_t from = doe->get_position();
    // The rest's behaviour ends first, then the walk starts.
    run(uint32_t(12.0f / FRAME));
    const float walked = length(doe->get_position() - from);
    ASSERT_GT(walked, 2.0f);
    // One print every 0.9 units of forward motion, give or take the first.
    EXPECT_NEAR(float(prints.count - before), walked / 0.9f, 2.0f);

    // Bleeding 10 health a second, healing 0.01 a second: mortal; a drop every 20 s
    // at a rate of 0.1 or less, faster above.
    doe->wound(10.0f);
    EXPECT_TRUE(doe->is_mortally_wounded());
    EXPECT_GT(doe->get_pain(), -1.0f);
    const uint64_t drops = blood.count;
    const float stress = buck->get_mind()->get_need(AI_NEED_STRESS);
    run(uint32_t(15.0f / FRAME), [&](uint32_t) { return !doe->is_dead(); });
    ASSERT_TRUE(doe->is_dead()) << "health " << doe->get_health();
    EXPECT_GT(blood.count, drops + 1) << "drops and the pool of the death";
    EXPECT_GT(buck->get_mind()->get_need(AI_NEED_STRESS), stress) << "the herd heard it";
    bool carcass = false;
    for (const ai_stimulus_t &s : ai()->get_stimuli()) carcass |= s.source == &doe->get_carcass();
    EXPECT_TRUE(carcass) << "the carcass leaves its smell";
    const vec3_t dead_at = doe->get_position();
    run(30);
    EXPECT_TRUE(vec_near(doe->get_position(), dead_at, 1e-3f)) << "the dead lie still";
    EXPECT_TRUE(doe->cancel());
}

TEST_F(live_animal_body, the_visibility_pass_sets_the_detail_by_the_zoomed_camera_distance) {
    ASSERT_TRUE(start(pair_text));
    run(3);
    simple_animal_t *doe = animal("doe");
    movable_view_t &view = ctrl()->view;
    view.has_frustum = true;
    view.frustum = frustum_t(60.0f, 1.0f, 0.1f, 1000.0f);
    // Looking along -x at the doe from d units east of her.
    const auto look_from = [&](float d) {
        const vec3_t at = doe->get_position() + vec3_t{d, 1.0f, 0.0f};
        quat_t q;
        q.set_cartes({-1, 0, 0});
        view.placement = placement_t(at, q);
        view.frustum.update(at, q);
        doe->visibility_pass();
        return doe->get_detail_level();
    };
    const struct {
        float d;
        int32_t level;
        bool sound;
    } steps[] = {{50, 3, true}, {80, 3, false}, {90, 2, false}, {40, 2, true}, {30, 3, true}};
    for (const auto &s : steps) {
        EXPECT_EQ(look_from(s.d), s.level) << s.d;
        EXPECT_EQ(doe->is_near_sound(), s.sound) << s.d;
    }
    EXPECT_NE(doe->get_shadow(), nullptr) << "near, the shadow is cut from the ground";
    // Turned away: hidden.
    quat_t away;
    away.set_cartes({1, 0, 0});
    view.frustum.update(view.placement.position, away);
    doe->visibility_pass();
    EXPECT_EQ(doe->get_detail_level(), animal_base_t::DETAIL_HIDDEN);
    // Zoomed in (a field of view of 20 degrees), 90 units are near.
    view.frustum = frustum_t(20.0f, 1.0f, 0.1f, 1000.0f);
    EXPECT_EQ(look_from(90), 3);

    // The head bone's world point: above and ahead of the body's centre.
    vec3_t head;
    doe->get_head_offset(&head);
    EXPECT_GT(head.y, doe->get_position().y + 0.5f);
    EXPECT_GT(dot(head - doe->get_position(), doe->get_facing()), 0.2f);
}

}  // namespace
}  // namespace quarn::test
