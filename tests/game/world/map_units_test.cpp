#include <gtest/gtest.h>

#include <string>

#include "kernel/console/cvars.h"
#include "kernel/gfx/debug_lines.h"
#include "map_units_fixture.h"
#include "outside/qrnshared/cvar.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

using map_units = map_units_fixture_t;

// n identity rotations.
std::string rotations(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += " rotation[]: (1; 0, 0, 0)";
    return s;
}
// n nodes' rotations (identity), speeds (1) and gaits (walk), for n positions.
std::string nodes(int n) {
    std::string s = rotations(n);
    for (int i = 0; i < n; ++i) s += " speed[]: 1 behavior[]: BEHAVIOR_walk";
    return s;
}

// The rotation looking along a direction.
quat_t looking_along(const vec3_t &d) {
    quat_t q;
    q.set_cartes(normalized(d));
    return q;
}

TEST_F(map_units, loads_are_checked_node_by_node) {
    struct case_t {
        const char *what;
        std::string body;
        bool loads;
        const char *message;
    } cases[] = {
        {"speed one short",
         "trail : t { position[]: (0, 0, 0) position[]: (1, 0, 0)" + rotations(2) +
             " speed[]: 1 behavior[]: BEHAVIOR_walk behavior[]: BEHAVIOR_run }",
         false, "Trail node elements do not have matching element counts!"},
        {"equal positions at segment 1",
         "trail : t { position[]: (0, 0, 0) position[]: (2, 0, 0) position[]: (2, 0, 0)" + rotations(3) +
             " speed[]: 1 speed[]: 1 speed[]: 1"
         " behavior[]: BEHAVIOR_walk behavior[]: BEHAVIOR_walk behavior[]: BEHAVIOR_walk }",
         false, "Trail t segment (1) is too short!"},
        {"a node at infinity",
         "trail : t { position[]: (0, 0, 0) position[]: (&7f800000, 0, 0)" + rotations(2) +
             " speed[]: 1 speed[]: 1 behavior[]: BEHAVIOR_walk behavior[]: BEHAVIOR_walk }",
         false, "Trail t node (1) is not finite!"},
        {"no nodes", "trail : t { fixed_rotation: yes }", true, nullptr},
        {"one node",
         "trail : t { position[]: (5, 0, 5) rotation[]: (0; 0, 1, 0) speed[]: 2 behavior[]: BEHAVIOR_leap }", true,
         nullptr},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        EXPECT_EQ(load(c.body), c.loads);
        if (c.message) {
            EXPECT_TRUE(messages.contains(c.message));
        }
    }
    // The single node stays as it was: no segment, its own rotation.
    trail_u *one = root<trail_u>();
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->get_segment_count(), 0u);
    EXPECT_TRUE(quat_near(one->get_rotation(0), quat_t(0, 0, 1, 0), 0.0f));
    EXPECT_EQ(one->get_behavior(0), BEHAVIOR_leap);
    ASSERT_TRUE(load("trail : t { }"));
    EXPECT_EQ(root<trail_u>()->get_segment_count(), 0u);
}

TEST_F(map_units, fixed_rotations_look_along_each_segment_and_the_last_node_keeps_the_one_before) {
    ASSERT_TRUE(load("trail : t { position[]: (0, 0, 0) position[]: (4, 0, 0) position[]: (9, 0, 0)" +
                     nodes(3) + " }"));
    trail_u *straight = root<trail_u>();
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(same_rotation(straight->get_rotation(i), looking_along({1, 0, 0}), TOL_UNIT));
    EXPECT_TRUE(vec_near(straight->get_rotation(1).get_cartes(), vec3_t{1, 0, 0}, TOL_UNIT));

    ASSERT_TRUE(load("trail : t { position[]: (0, 0, 0) position[]: (0, 0, -3) position[]: (2, 0, -3)" +
                     nodes(3) + " }"));
    trail_u *bent = root<trail_u>();
    EXPECT_TRUE(same_rotation(bent->get_rotation(0), looking_along({0, 0, -1}), TOL_UNIT));
    EXPECT_TRUE(same_rotation(bent->get_rotation(1), looking_along({1, 0, 0}), TOL_UNIT));
    EXPECT_TRUE(same_rotation(bent->get_rotation(2), looking_along({1, 0, 0}), TOL_UNIT));
    EXPECT_FLOAT_EQ(bent->get_segment(1).length(), 2.0f);

    ASSERT_TRUE(load("trail : t { fixed_rotation: no position[]: (0, 0, 0) position[]: (4, 0, 0)"
                     " rotation[]: (0; 0, 1, 0) rotation[]: (0; 0, 0, 1) speed[]: 1 speed[]: 1"
                     " behavior[]: BEHAVIOR_walk behavior[]: BEHAVIOR_walk }"));
    EXPECT_TRUE(quat_near(root<trail_u>()->get_rotation(1), quat_t(0, 0, 0, 1), 0.0f)) << "stored rotations stay";
}

TEST_F(map_units, the_debug_view_draws_a_white_line_a_segment_only_under_g_ai_debug) {
    ASSERT_TRUE(load("trail : t { position[]: (0, 0, 0) position[]: (4, 0, 0) position[]: (4, 0, 4)" +
                     nodes(3) + " }"));
    debug_lines_flush(nullptr);
    root<trail_u>()->debug_draw();
    EXPECT_EQ(debug_lines_count(), 0u) << "no variable: nothing";
    cvar_t variable{"g_ai_debug", "1"};
    cvar_register_variable(&variable);
    root<trail_u>()->debug_draw();
    ASSERT_EQ(debug_lines_count(), 2u);
    for (debug_strip_t *s = debug_lines_first(); s; s = s->next) EXPECT_EQ(s->colour, 0xffffffffu);
    EXPECT_TRUE(vec_near(debug_lines_first()->next->points()[1], vec3_t{4, 0, 4}, 0.0f));
    debug_lines_flush(nullptr);
    ASSERT_TRUE(variable.set("0"));
    root<trail_u>()->debug_draw();
    EXPECT_EQ(debug_lines_count(), 0u);
    cvar_unregister_variable(&variable);
}

// A trail along x: nodes at 0, 10, 12, 13, 20, speeds 1, 3, 5, 7, 9, gaits 0-3, 0.
const std::string FOLLOWED =
    "trail : t { position[]: (0, 0, 0) position[]: (10, 0, 0) position[]: (12, 0, 0) position[]: (13, 0, 0)"
    " position[]: (20, 0, 0)" + rotations(5) + " speed[]: 1 speed[]: 3 speed[]: 5 speed[]: 7 speed[]: 9"
    " behavior[]: BEHAVIOR_walk behavior[]: BEHAVIOR_run behavior[]: BEHAVIOR_leap behavior[]: BEHAVIOR_charge"
    " behavior[]: BEHAVIOR_walk }";

TEST_F(map_units, a_follower_moves_by_distance_segment_by_segment) {
    ASSERT_TRUE(load(FOLLOWED));
    trail_u *trail = root<trail_u>();
    struct case_t {
        const char *what;
        float steps[3];
        uint32_t segment;
        float x, speed;
        int32_t behavior;
        bool at_end;
    } cases[] = {
        {"new: the first node", {0, 0, 0}, 0, 0, 1, BEHAVIOR_walk, false},
        {"exactly segment 0: its end, t = 1", {10, 0, 0}, 0, 10, 3, BEHAVIOR_walk, false},
        {"halfway into segment 1", {11, 0, 0}, 1, 11, 4, BEHAVIOR_run, false},
        {"several segments in one call", {15, 0, 0}, 3, 15, 7 + 2 * 2.0f / 7, BEHAVIOR_charge, false},
        {"a negative step moves nothing", {5, -3, 0}, 0, 5, 2, BEHAVIOR_walk, false},
        {"steps add up", {4, 4, 4}, 1, 12, 5, BEHAVIOR_run, false},
        {"past the end: the last node", {25, 0, 0}, 3, 20, 0, BEHAVIOR_walk, true},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        owner_ptr_t<trail_follower_u> f(create_trail_follower(trail));
        ASSERT_NE(f.get(), nullptr);
        for (float d : c.steps) f->advance(d);
        EXPECT_EQ(f->get_segment(), c.segment);
        EXPECT_TRUE(vec_near(f->get_placement().position, vec3_t{c.x, 0, 0}, TOL_UNIT));
        EXPECT_EQ(f->is_at_end(), c.at_end);
        if (c.at_end) continue;
        EXPECT_NEAR(f->get_speed(), c.speed, TOL_UNIT);
        EXPECT_EQ(f->get_behavior(), c.behavior);
        EXPECT_TRUE(same_rotation(f->get_placement().rotation, trail->get_rotation(0), TOL_UNIT));
    }
}

TEST_F(map_units, a_follower_at_the_end_of_a_two_node_trail_stays_there) {
    ASSERT_TRUE(load("trail : t { fixed_rotation: no position[]: (0, 0, 0) position[]: (0, 0, 10)"
                     " rotation[]: (1; 0, 0, 0) rotation[]: (0; 0, 1, 0) speed[]: 2 speed[]: 4"
                     " behavior[]: BEHAVIOR_run behavior[]: BEHAVIOR_walk }"));
    owner_ptr_t<trail_follower_u> f(create_trail_follower(root<trail_u>()));
    ASSERT_NE(f.get(), nullptr);
    f->advance(5);
    EXPECT_TRUE(same_rotation(f->get_placement().rotation, axis_angle({0, 1, 0}, 90), TOL_UNIT)) << "slerped halfway";
    f->advance(20);
    EXPECT_TRUE(f->is_at_end());
    EXPECT_TRUE(vec_near(f->get_placement().position, vec3_t{0, 0, 10}, 0.0f));
    EXPECT_TRUE(quat_near(f->get_placement().rotation, quat_t(0, 0, 1, 0), 0.0f));
    EXPECT_EQ(f->get_behavior(), BEHAVIOR_run) << "gait and speed keep their last values";
    EXPECT_FLOAT_EQ(f->get_speed(), 3.0f);
    f->advance(-100);
    f->advance(1);
    EXPECT_TRUE(vec_near(f->get_placement().position, vec3_t{0, 0, 10}, 0.0f)) << "frozen";
}

TEST_F(map_units, no_follower_for_a_trail_without_a_segment) {
    EXPECT_EQ(create_trail_follower(nullptr).get(), nullptr);
    ASSERT_TRUE(load("trail : t { position[]: (5, 0, 5)" + nodes(1) + " }"));
    EXPECT_EQ(create_trail_follower(root<trail_u>()).get(), nullptr);
    ASSERT_TRUE(load("trail : t { }"));
    EXPECT_EQ(create_trail_follower(root<trail_u>()).get(), nullptr);
}

TEST_F(map_units, start_points_and_attraction_areas_read_their_placements) {
    ASSERT_TRUE(load("start_point : s.hunter { placement: (1, 2, 3) 1 (1; 0, 0, 0) view_limit: 70 }\n"
                     "start_point : s.deer { category: CATEGORY_animal }\n"
                     "attract_area : a.pond { placement: (10, 0, -4) 12 (1; 0, 0, 0)"
                     " species: SPECIES_deer resource_type: RESOURCE_TYPE_water }\n"
                     "attract_area : a.meadow { placement: (3, 1, 3) 20 (1; 0, 0, 0) }"));
    const start_point_u *hunter = root<start_point_u>(0), *deer = root<start_point_u>(1);
    ASSERT_TRUE(hunter && deer);
    EXPECT_EQ(hunter->get_category(), start_point_u::CATEGORY_hunter);
    EXPECT_FLOAT_EQ(hunter->get_view_limit(), 70.0f);
    EXPECT_TRUE(vec_near(hunter->get_placement().position, vec3_t{1, 2, 3}, 0.0f));
    EXPECT_EQ(deer->get_category(), start_point_u::CATEGORY_animal);
    EXPECT_FLOAT_EQ(deer->get_view_limit(), 55.0f);

    const attract_area_u *pond = root<attract_area_u>(2), *meadow = root<attract_area_u>(3);
    ASSERT_TRUE(pond && meadow);
    EXPECT_TRUE(vec_near(pond->get_centre(), vec3_t{10, 0, -4}, 0.0f));
    EXPECT_FLOAT_EQ(pond->get_radius(), 12.0f);
    EXPECT_EQ(pond->get_resource_type(), ai_attract_area_t::WATER);
    EXPECT_EQ(pond->get_category(), 1);
    EXPECT_EQ(pond->get_debug_color(), 0xff00ffffu);
    EXPECT_EQ(meadow->get_resource_type(), ai_attract_area_t::FOOD);
    EXPECT_EQ(meadow->get_category(), ai_attract_area_t::ANY_CATEGORY);
    EXPECT_EQ(meadow->get_debug_color(), 0xffff0000u);

    EXPECT_FALSE(load("start_point : s { view_limit: 181 }")) << "outside 0..180";
}

TEST_F(map_units, the_area_list_owns_its_areas_in_order) {
    attract_area_list_t list;
    auto a = attract_area_u::create(), b = attract_area_u::create();
    a->m_placement.scale = 4;
    b->m_resource_type = attract_area_u::RESOURCE_TYPE_water;
    attract_area_u *second = b.get();
    ASSERT_TRUE(list.add(std::move(a)));
    ASSERT_TRUE(list.add(std::move(b)));
    EXPECT_FALSE(list.add(nullptr));
    ASSERT_EQ(list.get_area_count(), 2u);
    EXPECT_FLOAT_EQ(list.get_area(0)->get_radius(), 4.0f);
    EXPECT_EQ(list.get_area(1), second);
    EXPECT_EQ(list.get_area(2), nullptr);
    list.clear();
    EXPECT_EQ(list.get_area_count(), 0u);
}

TEST_F(map_units, a_sound_loop_plays_at_twice_its_ranges_and_nine_tenths_of_its_volume) {
    ASSERT_TRUE(load("sound_loop : w { placement: (4, 1, -2) 1 (1; 0, 0, 0)"
                     " sound_file: \"/sound/environment/brook.ogg\" volume: 0.5 }\n"
                     "sound_loop : b { sound_file: \"/sound/environment/birds.ogg\" ambient: yes"
                     " min_range: 1 max_range: 250 }"));
    sound_loop_u *brook = root<sound_loop_u>(0), *birds = root<sound_loop_u>(1);
    ASSERT_TRUE(brook && birds);
    EXPECT_EQ(brook->get_sound(), nullptr) << "made at init";
    ASSERT_TRUE(brook->init_unit());
    ASSERT_TRUE(birds->init_unit());
    const sound_u *s = brook->get_sound();
    ASSERT_NE(s, nullptr);
    EXPECT_STREQ(s->resource_name.c_str(), "/sound/environment/brook.ogg");
    EXPECT_FLOAT_EQ(s->attributes.min_distance, 10.0f);
    EXPECT_FLOAT_EQ(s->attributes.max_distance, 40.0f);
    EXPECT_FLOAT_EQ(s->attributes.volume, 0.45f);
    EXPECT_TRUE(vec_near(s->attributes.position, vec3_t{4, 1, -2}, 0.0f));
    EXPECT_EQ(s->tag, 10);
    EXPECT_TRUE(s->has_flag(sound_u::POSITIONAL) && s->has_flag(sound_u::KEEP));
    EXPECT_TRUE(s->has_flag(sound_u::PLAY_REQUESTED) && s->has_flag(sound_u::CHANGED));
    const sound_u *ambient = birds->get_sound();
    EXPECT_FALSE(ambient->has_flag(sound_u::POSITIONAL));
    EXPECT_TRUE(ambient->has_flag(sound_u::KEEP));
    EXPECT_FLOAT_EQ(ambient->attributes.max_distance, 500.0f);
    EXPECT_FLOAT_EQ(ambient->attributes.volume, 0.9f);

    const uint32_t live = snd_live_count();
    brook->cleanup_unit();
    EXPECT_EQ(brook->get_sound(), nullptr);
    EXPECT_EQ(snd_live_count(), live - 1) << "the loop lets its sound go";
}

TEST_F(map_units, a_sound_loop_without_a_sound_system_fails_its_init) {
    ASSERT_TRUE(load("sound_loop : w { sound_file: \"/sound/environment/brook.ogg\" }"));
    snd_stop();
    EXPECT_FALSE(root<sound_loop_u>()->init_unit());
    EXPECT_TRUE(messages.contains("cannot create its sound"));
    snd_start(&m_bank, m_system);
}

}  // namespace
}  // namespace quarn::test
