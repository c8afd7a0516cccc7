// The AI world: decisions per frame, stimuli, creating a mission's animals, and the
// spatial questions the animals ask.
#include <gtest/gtest.h>

#include <cmath>

#include "game/ai/ai_fakes.h"
#include "game/ai/mind/ai_world.h"
#include "game/ai/nav_mesh.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/debug_lines.h"
#include "qrncore/geometry/frustum.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using test::ai_world_fixture_t;
using test::def_text;
using test::fake_animal_t;

using ai_world_update = ai_world_fixture_t;

TEST_F(ai_world_update, one_animal_decides_twice_a_frame) {
    auto made = create({"solo"});
    ASSERT_EQ(made.size(), 1u);
    world->update(0.02f);
    EXPECT_EQ(made[0]->decisions, 2);
    world->update(0.02f);
    EXPECT_EQ(made[0]->decisions, 4);
}

TEST_F(ai_world_update, the_round_robin_takes_two_a_frame_and_skips_removed_animals) {
    auto made = create({"a", "b", "c", "d"});
    made[2]->removed = true;
    animals.journal.clear();
    for (int frame = 0; frame < 3; ++frame) world->update(0.02f);
    const std::vector<std::string> expected = {"decide b", "decide d", "decide a", "decide b",
                                               "decide d", "decide a"};
    EXPECT_EQ(animals.journal, expected);
    for (auto *a : made) a->removed = true;
    animals.journal.clear();
    world->update(0.02f);
    EXPECT_TRUE(animals.journal.empty());
}

TEST_F(ai_world_update, a_timed_stimulus_fades_and_its_node_goes_back_to_the_pool) {
    ai_stimulus_t *s = world->add_stimulus(4, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->kind, 4);
    EXPECT_EQ(s->intensity, 0.0f);
    s->timed = true;
    s->strength = 1.0f;
    s->intensity = 1.0f;
    s->remaining = s->duration = 10.0f;
    ai_stimulus_t *lasting = world->add_stimulus(5, nullptr);
    lasting->intensity = 0.75f;
    world->update(5.0f);
    EXPECT_FLOAT_EQ(s->intensity, 0.5f);
    world->update(5.0f);  // remaining 0: not yet below
    EXPECT_EQ(world->get_stimulus_count(), 2u);
    EXPECT_FLOAT_EQ(s->intensity, 0.0f);
    world->update(0.1f);
    EXPECT_EQ(world->get_stimulus_count(), 1u);
    EXPECT_EQ(&*world->get_stimuli().begin(), lasting);
    EXPECT_FLOAT_EQ(lasting->intensity, 0.75f);
    // The freed node is the next one handed out.
    EXPECT_EQ(world->add_stimulus(6, nullptr), s);
}

TEST_F(ai_world_update, marks_take_the_level_while_some_are_pending) {
    create({"a", "b", "c"});
    world->get_mark(1).level = 0.9f;
    world->get_mark(2).time = 50.0f;
    world->set_marks(0.5f, 3);
    world->update(1.0f);
    EXPECT_FLOAT_EQ(world->get_mark_clock(), 1.0f);
    EXPECT_FLOAT_EQ(world->get_mark(0).level, 0.5f);
    EXPECT_FLOAT_EQ(world->get_mark(1).level, 0.9f);  // already above
    EXPECT_FLOAT_EQ(world->get_mark(2).level, 0.0f);  // its time is still ahead
    EXPECT_EQ(world->get_pending_marks(), 2);
    world->set_marks(0.5f, 0);
    world->update(1.0f);
    EXPECT_FLOAT_EQ(world->get_mark_clock(), 1.0f);  // nothing pending: the clock stands
}

// ---- creating the mission's animals ----

using ai_world_create = ai_world_fixture_t;

TEST_F(ai_world_create, bad_entries_are_logged_and_skipped_and_each_animal_reads_its_own_entry) {
    auto mission = def_text(R"(
def animals {
    def first { species: "whitetail" type: "male" }
    def lost { species: "unicorn" type: "male" }
    def nogender { species: "whitetail" type: "elder" }
    def notype { species: "whitetail" type: "broken" }
    def dotted { species: "whitetail.male" type: "male" }
    def doe { species: "whitetail" type: "female" }
    def bear { species: "grizzly" type: "male" }
})");
    test::message_capture_t log;
    world->create_animals(mission->find("animals"), game.get());
    EXPECT_TRUE(log.contains("invalid animal species (unicorn)"));
    EXPECT_TRUE(log.contains("invalid animal gender (whitetail.elder)"));
    EXPECT_TRUE(log.contains("cannot get animal (whitetail.broken) type"));
    EXPECT_TRUE(log.contains("invalid animal species (whitetail.male)"));
    EXPECT_TRUE(log.contains("animal (doe - whitetail.female) created"));
    ASSERT_EQ(world->get_animal_count(), 3u);
    ASSERT_EQ(animals.made.size(), 3u);
    const char *names[] = {"first", "doe", "bear"};
    const char *types[] = {"deer", "deer", "bear"};
    for (uint32_t i = 0; i < 3; ++i) {
        fake_animal_t *a = animals.made[i];
        EXPECT_EQ(world->get_animal(i), a);
        EXPECT_EQ(a->name, names[i]);
        EXPECT_EQ(a->type, types[i]);
        EXPECT_EQ(a->index, i);
        EXPECT_EQ(a->entry, mission->find(("animals." + a->name).c_str()));
        // The script comes from the animal's own entry, not the i-th of the list.
        EXPECT_EQ(a->script_entry, a->entry);
        EXPECT_EQ(scene.registered[i], a);
    }
    const std::vector<std::string> order = {"setup first", "start first", "setup doe",
                                            "start doe",   "setup bear",  "start bear"};
    EXPECT_EQ(animals.journal, order);
}

TEST_F(ai_world_create, an_animal_whose_setup_fails_stays_removed) {
    animals.failing.insert("b");
    test::message_capture_t log;
    auto made = create({"a", "b", "c"});
    ASSERT_EQ(made.size(), 3u);
    EXPECT_TRUE(log.contains("cannot initialize animal (b)!"));
    EXPECT_FALSE(made[0]->removed);
    EXPECT_TRUE(made[1]->removed);
    EXPECT_FALSE(made[2]->removed);
    EXPECT_EQ(made[1]->script_entry, nullptr);  // it never runs
    EXPECT_EQ(made[2]->script_entry, made[2]->entry);
    EXPECT_EQ(world->find_animal("b"), 1);
    const std::vector<std::string> order = {"setup a", "start a", "setup b", "setup c", "start c"};
    EXPECT_EQ(animals.journal, order);
}

TEST_F(ai_world_create, without_a_factory_nothing_is_made) {
    ai_set_animal_factory(nullptr);
    test::message_capture_t log;
    auto made = create({"a"});
    EXPECT_TRUE(made.empty());
    EXPECT_EQ(world->get_animal_count(), 0u);
    EXPECT_TRUE(log.contains("no animal factory"));
    world->update(0.1f);  // no animals: nothing to decide
}

TEST_F(ai_world_create, the_world_deletes_its_animals) {
    create({"a", "b"});
    world.reset();
    EXPECT_EQ(animals.journal.back(), "delete b");
    EXPECT_EQ(animals.journal[animals.journal.size() - 2], "delete a");
}

// ---- finding things by name ----

using ai_world_find = ai_world_fixture_t;

TEST_F(ai_world_find, names_of_animals_match_exactly_and_of_script_points_without_case) {
    create({"Buck", "doe", "Buck"});
    auto points = def_text(R"(
def script_points {
    def Ford { position: "1 0 2" radius: "3" }
    def hill { position: "4 0 5" radius: "6" orientation: "0 0 -2" }
    def ford { position: "7 0 8" radius: "9" }
    def noradius { position: "1 1 1" }
})");
    test::message_capture_t log;
    world->load_script_points(points->find("script_points"));
    EXPECT_TRUE(log.contains("noradius"));
    ASSERT_EQ(world->get_script_point_count(), 3u);
    struct case_t {
        const char *name;
        int32_t animal, point;
    } cases[] = {
        {"Buck", 0, -1}, {"buck", -1, -1}, {"doe", 1, -1}, {"DOE", -1, -1}, {"ford", -1, 0},
        {"FORD", -1, 0}, {"Hill", -1, 1},  {"", -1, -1},   {"noradius", -1, -1},
    };
    for (const case_t &c : cases) {
        EXPECT_EQ(world->find_animal(c.name), c.animal) << c.name;
        EXPECT_EQ(world->find_script_point(c.name), c.point) << c.name;
    }
    ai_move_target_t target;
    ASSERT_TRUE(world->get_script_point_target(0, target));
    EXPECT_FLOAT_EQ(target.radius, 3.0f);
    EXPECT_FALSE(target.has_orientation);
    EXPECT_EQ(target.orientation.z, 0.0f);
    ASSERT_TRUE(world->get_script_point_target(1, target));
    EXPECT_TRUE(target.has_orientation);
    EXPECT_FLOAT_EQ(target.orientation.z, -1.0f);  // normalised
    EXPECT_FLOAT_EQ(target.point.x, 4.0f);
    EXPECT_FALSE(world->get_script_point_target(3, target));
    EXPECT_FALSE(world->get_script_point_target(-1, target));
}

// ---- attraction areas ----

TEST(ai_world_areas, ratings) {
    using area_t = test::fake_area_t;
    ai_need_t hungry;
    hungry.hungry = true;
    hungry.hunger = 0.8f;
    hungry.category = 2;
    ai_need_t thirsty = hungry;
    thirsty.hungry = false;
    thirsty.thirsty = true;
    thirsty.thirst = 0.4f;
    ai_need_t both = hungry;
    both.thirsty = true;
    both.thirst = 0.4f;
    struct case_t {
        area_t area;
        ai_need_t need;
        float score;
    } cases[] = {
        // 5 away with radius 2 counts as 10 away (the floor).
        {area_t({5, 0, 0}, 2, area_t::FOOD), hungry, 0.8f * 50 / 10},
        {area_t({0, 0, 30}, 5, area_t::FOOD), hungry, 0.8f * 50 / 25},
        {area_t({0, 0, 0}, 50, area_t::FOOD), hungry, 0.8f * 50 / 10},  // standing inside
        {area_t({30, 0, 0}, 0, area_t::WATER), hungry, 0.0f},
        {area_t({30, 0, 0}, 0, area_t::WATER), thirsty, 0.4f * 50 / 30},
        {area_t({30, 0, 0}, 0, area_t::WATER), both, 0.4f * 50 / 30},
        {area_t({30, 0, 0}, 0, area_t::FOOD), thirsty, 0.0f},
        {area_t({30, 0, 0}, 0, area_t::FOOD, 2), hungry, 0.8f * 50 / 30},  // its own category
        {area_t({30, 0, 0}, 0, area_t::FOOD, 1), hungry, 0.0f},            // another one
    };
    for (const case_t &c : cases)
        EXPECT_FLOAT_EQ(ai_world_t::rate_attract_area(c.area, c.need), c.score)
            << c.area.centre.x << " " << c.area.centre.z << " type " << c.area.resource;
}

TEST(ai_world_areas, the_best_area_is_the_first_of_the_highest_and_its_target_is_centre_and_radius) {
    test::fake_scene_t scene;
    ai_world_t world(scene);
    ai_need_t need;
    need.hungry = true;
    need.hunger = 0.5f;
    EXPECT_EQ(world.find_best_attract_area(need), -1);  // not linked yet
    test::fake_area_list_t list;
    list.areas = {{{100, 0, 0}, 1, 0}, {{0, 0, 40}, 5, 0}, {{0, 0, -40}, 5, 0}, {{20, 0, 0}, 0, 1}};
    world.set_world_link(&list);
    EXPECT_EQ(world.find_best_attract_area(need), 1);
    need.hunger = 0.0f;  // a score of 0 is no choice
    EXPECT_EQ(world.find_best_attract_area(need), -1);
    ai_move_target_t target;
    ASSERT_TRUE(world.get_attract_area_target(2, target));
    EXPECT_FLOAT_EQ(target.point.z, -40.0f);
    EXPECT_FLOAT_EQ(target.radius, 5.0f);
    EXPECT_FALSE(world.get_attract_area_target(4, target));
    EXPECT_FALSE(world.get_attract_area_target(-1, target));
}

// ---- path steps ----

// The edge of the cell that leads to the neighbour.
uint32_t edge_to(const ai_navigation_t &nav, uint32_t cell, uint32_t neighbour) {
    const ai_sector_t &s = nav.get_sector();
    for (uint32_t e = 0; e < s.get_cell(cell).link_count; ++e) {
        const ai_nav_link_t &l = s.get_link(cell, e);
        if (l.has_neighbour && l.neighbour_cell == neighbour) return e;
    }
    ADD_FAILURE() << "no edge from " << cell << " to " << neighbour;
    return 0;
}

TEST(ai_world_path, steering_points_across_the_exit_edge) {
    test::fake_scene_t scene;
    struct case_t {
        const char *what;
        std::vector<std::string> grid;  // two cells of 10
        vec3_t position, direction;
        bool found;
        vec3_t target;
    } cases[] = {
        // The shared edge at x = 10 runs along z.
        {"edge along z", {"NN"}, {5, 0, 5}, {1, 0, 0}, true, {10.5f, 0, 5}},
        {"along z, slanted", {"NN"}, {5, 0, 5}, {1, 0, 0.5f}, true, {10.5f, 0, 7.75f}},
        {"edge along x", {"N", "N"}, {5, 0, 5}, {0, 0, 1}, true, {5, 0, 10.5f}},
        {"parallel to the edge", {"NN"}, {5, 0, 5}, {0, 0, 1}, false, {}},
        // Crossing beyond the passage, ahead: its far end. Seen at 45 degrees, the
        // ends of the passage lie 0.5 / sin 45 in from the corners (z = 10 - 0.7071),
        // then the target is pushed on by a tenth of its offset.
        {"past the far end", {"NN"}, {5, 0, 5}, {1, 0, 1.5f}, true, {10.5f, 0, 9.7222f}},
        // The same line behind the animal: the near end.
        {"behind, past the far end", {"NN"}, {5, 0, 5}, {-1, 0, -1.5f}, true, {10.5f, 0, 0.2778f}},
    };
    for (const case_t &c : cases) {
        ai_world_t world(scene);
        test::load_grid(world.get_navigation(), c.grid, 10.0f);
        ai_nav_path_t path;
        ASSERT_TRUE(path.reset(8, 0));
        vec3_t target;
        EXPECT_FALSE(world.path_step(path, c.position, c.direction, &target)) << c.what << ": one step";
        path.push_step(1, edge_to(world.get_navigation(), 0, 1));
        ASSERT_EQ(world.path_step(path, c.position, c.direction, &target), c.found) << c.what;
        if (!c.found) continue;
        EXPECT_NEAR(target.x, c.target.x, 1e-3f) << c.what;
        EXPECT_NEAR(target.z, c.target.z, 1e-3f) << c.what;
    }
}

TEST(ai_world_path, the_next_waypoint_gives_the_direction_and_the_path_point_needs_two_steps) {
    test::fake_scene_t scene;
    ai_world_t world(scene);
    test::load_grid(world.get_navigation(), {"NNN"}, 10.0f);
    ai_nav_path_t path;
    ASSERT_TRUE(path.reset(8, 0));
    vec3_t point;
    EXPECT_FALSE(world.get_path_point(path, &point));
    path.push_step(1, edge_to(world.get_navigation(), 0, 1));
    path.push_step_with_waypoint(2, edge_to(world.get_navigation(), 1, 2), {20, 0, 8});
    ASSERT_TRUE(world.get_path_point(path, &point));
    EXPECT_FLOAT_EQ(point.z, 8.0f);
    vec3_t target;
    // The waypoint, not the fallback (which points along the edge), steers.
    ASSERT_TRUE(world.path_step(path, {5, 0, 2}, {0, 0, 1}, &target));
    EXPECT_NEAR(target.x, 10.5f, 1e-4f);
    EXPECT_NEAR(target.z, 2 + 6.0f / 3.0f * 1.1f, 1e-4f);
}

// ---- herd spacing ----

using ai_world_avoid = ai_world_fixture_t;

TEST_F(ai_world_avoid, the_turn_and_the_urgency_follow_the_distance) {
    struct case_t {
        float distance, bearing;  // of the neighbour, degrees to the right of ahead
        bool considered, turns;
        float urgency;
    } cases[] = {
        {5, 180, false, false, 0},     // behind and 3 or farther: ignored
        {2, 180, true, false, 0},      // behind but near: looked at, turned not across
        {25, 0, false, false, 0},      // beyond 20
        {5, 20, true, true, 1 - 2.0f / 12},
        {10, 2, true, true, 1 - 7.0f / 12},
        {15, 20, true, false, 0},      // a small turn does not cross the heading
        {2, 20, true, true, 1},        // clamped
        {19, 0.1f, true, true, 0},     // a turn of 0.25 degrees still crosses; urgency 0
        {5, -20, true, true, 1 - 2.0f / 12},  // to the left: turned the other way
    };
    auto made = create({"me", "other"});
    fake_animal_t &me = *made[0];
    fake_animal_t &other = *made[1];
    for (const case_t &c : cases) {
        const float b = c.bearing * float(M_PI) / 180.0f;
        me.heading = me.facing = {0, 0, -1};
        me.urgency = 0;
        me.reevaluations = 0;
        other.position = vec3_t{std::sin(b), 0, -std::cos(b)} * c.distance;
        world->avoid_neighbours(me);
        EXPECT_EQ(me.reevaluations, c.considered ? 1 : 0) << c.distance << " at " << c.bearing;
        if (!c.turns) {
            EXPECT_FLOAT_EQ(me.heading.z, -1.0f) << c.distance << " at " << c.bearing;
            continue;
        }
        const float k = 1 - 0.05f * c.distance;
        const float turn = k * k * 99.6f;
        // The new heading is the neighbour's direction turned away by the angle.
        const float between =
            std::acos(std::fmin(1.0f, dot(normalized(other.position), me.heading))) * 180.0f / float(M_PI);
        EXPECT_NEAR(between, turn, 1e-2f) << c.distance << " at " << c.bearing;
        EXPECT_NEAR(length(me.heading), 1.0f, 1e-5f);
        EXPECT_EQ(me.heading.x < 0, c.bearing > 0) << "turned to the other side";
        EXPECT_NEAR(me.urgency, c.urgency, 1e-5f) << c.distance << " at " << c.bearing;
    }
}

TEST_F(ai_world_avoid, the_nearest_live_neighbour_counts_and_urgency_only_rises) {
    auto made = create({"me", "near", "far", "gone"});
    made[1]->position = {0.5f, 0, -10};   // ahead, slightly right: turns left
    made[2]->position = {-0.5f, 0, -12};  // ahead, slightly left
    made[3]->position = {-0.1f, 0, -2};   // nearest, but removed
    made[3]->removed = true;
    made[0]->urgency = 0.9f;
    world->avoid_neighbours(*made[0]);
    EXPECT_LT(made[0]->heading.x, 0.0f);
    EXPECT_FLOAT_EQ(made[0]->urgency, 0.9f);
}

// ---- group calls ----

using ai_world_group = ai_world_fixture_t;

TEST_F(ai_world_group, the_leader_and_the_followers_are_told) {
    auto made = create({"a", "b", "c", "d", "e", "f"});
    fake_animal_t &a = *made[0], &b = *made[1], &c = *made[2], &d = *made[3], &e = *made[4], &f = *made[5];
    b.leader = c.leader = f.leader = &a;
    a.leader = &d;
    f.removed = true;
    a.position = {1, 2, 3};
    struct case_t {
        fake_animal_t *caller;
        uint32_t told;
        std::vector<fake_animal_t *> hear;
    } cases[] = {
        {&a, 3, {&b, &c, &d}},
        {&b, 1, {&a}},
        {&d, 1, {&a}},
        {&e, 0, {}},
    };
    for (const case_t &k : cases) {
        for (auto *x : made) x->group_events.clear();
        EXPECT_EQ(world->notify_group(*k.caller, 0.5f, 0.25f), k.told) << k.caller->name;
        for (auto *x : made) {
            const bool expected = std::find(k.hear.begin(), k.hear.end(), x) != k.hear.end();
            ASSERT_EQ(x->group_events.size(), expected ? 1u : 0u) << k.caller->name << " -> " << x->name;
            if (!expected) continue;
            EXPECT_EQ(x->group_events[0].source, k.caller);
            EXPECT_EQ(x->group_events[0].position.z, k.caller->position.z);
            EXPECT_EQ(x->group_events[0].a, 0.5f);
            EXPECT_EQ(x->group_events[0].b, 0.25f);
        }
    }
}

// ---- steering ----

TEST_F(ai_world_fixture_t, steering_near_a_wall_turns_the_animal_and_updates_its_navigation) {
    test::load_grid(world->get_navigation(), {"N"}, 10.0f);
    auto made = create({"a"});
    fake_animal_t &a = *made[0];
    ASSERT_TRUE(a.path.reset(8, 0));
    a.position = {5, 0, 8};  // 2 from the wall at z = 10
    a.heading = {0, 0, 1};
    world->steer_animal(a);
    EXPECT_EQ(a.navigation_updates, 1);
    EXPECT_NEAR(a.speed_factor, 0.5f, 1e-5f);
    EXPECT_GT(std::fabs(a.heading.x), 0.1f);
    a.position = {5, 0, 5};  // far from every wall: nothing
    a.heading = {0, 0, 1};
    world->steer_animal(a);
    EXPECT_EQ(a.navigation_updates, 1);
}

}  // namespace
}  // namespace quarn

namespace quarn {
namespace {

// The debug view after "g_ai_debug": queued strips and their colours.
class ai_world_debug : public ::testing::Test {
protected:
    void SetUp() override { debug_lines_flush(nullptr); }
    void TearDown() override {
        debug_lines_flush(nullptr);
        if (registered) cvar_unregister_variable(&variable);
    }
    void set_level(const char *level) {
        if (!registered) cvar_register_variable(&variable);
        registered = true;
        variable.set(level);
    }
    std::vector<uint32_t> drawn() {
        std::vector<uint32_t> out;
        for (debug_strip_t *s = debug_lines_first(); s; s = s->next) out.push_back(s->colour);
        debug_lines_flush(nullptr);
        return out;
    }

    cvar_t variable{"g_ai_debug", "0"};
    bool registered = false;
    test::fake_scene_t scene;
};

TEST_F(ai_world_debug, areas_at_1_and_the_mesh_too_at_2) {
    ai_world_t world(scene);
    test::fake_area_list_t list;
    list.areas = {{{0, 0, -20}, 2, 0, -1, 0xff0000aau}, {{0, 0, 20}, 2, 1, -1, 0xff0000bbu}};
    world.set_world_link(&list);
    test::load_grid(world.get_navigation(), {"NF"}, 10.0f);
    world.debug_draw(nullptr);  // no such variable: off
    EXPECT_TRUE(drawn().empty());
    set_level("0");
    world.debug_draw(nullptr);
    EXPECT_TRUE(drawn().empty());
    set_level("1");
    world.debug_draw(nullptr);
    // A box: one strip of ten corners and three lines.
    const std::vector<uint32_t> boxes = {0xff0000aau, 0xff0000aau, 0xff0000aau, 0xff0000aau,
                                         0xff0000bbu, 0xff0000bbu, 0xff0000bbu, 0xff0000bbu};
    ASSERT_EQ(debug_lines_first()->count, 10u);
    // Half-size 2, 0.5 above the centre.
    float top = -1e9f;
    for (uint32_t i = 0; i < 10; ++i) top = std::fmax(top, debug_lines_first()->points()[i].y);
    EXPECT_FLOAT_EQ(top, 2.5f);
    EXPECT_EQ(drawn(), boxes);
    // Only the areas in view: a frustum looking down -z sees the first.
    frustum_t view(90.0f, 1.0f, 0.1f, 100.0f);
    view.update({0, 0, 0}, quat_t());
    world.debug_draw(&view);
    const std::vector<uint32_t> first(boxes.begin(), boxes.begin() + 4);
    EXPECT_EQ(drawn(), first);
    set_level("2");
    world.debug_draw(nullptr);
    // Two crosses in the kinds' colours and one link, from the higher cell to the lower;
    // then each cell's label in strokes: "N 0" (5 + 6) and "F 1" (4 + 2).
    std::vector<uint32_t> with_mesh = boxes;
    for (uint32_t c : {0xffffffffu, 0xffffffffu, 0xff0000ffu, 0xff0000ffu, 0xffff00ffu}) with_mesh.push_back(c);
    with_mesh.insert(with_mesh.end(), 11, 0xffffffffu);
    with_mesh.insert(with_mesh.end(), 6, 0xff0000ffu);
    EXPECT_EQ(drawn(), with_mesh);
}

}  // namespace
}  // namespace quarn
