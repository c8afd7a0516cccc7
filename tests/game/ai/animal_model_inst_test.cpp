// The animal model instance over the shipped whitetail: antlers from the seed, hit
// tests and hit zones, drawing and visibility, the ragdoll's level search, ragdoll on
// and off in a headless physics scene (and its failures), and the contact effects.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "animal_body_fixture.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_shape.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "kernel/sys.h"
#include "support/fake_clock.h"

namespace quarn::test {
namespace {

class animal_model_inst : public animal_body_fixture_t {
protected:
    void SetUp() override {
        animal_body_fixture_t::SetUp();
        ASSERT_TRUE(load_hookups());
        male = find<animal_model_desc_u>(MALE);
        ASSERT_NE(male, nullptr);
    }
    void TearDown() override {
        instances.clear();
        set_current_ctrl(nullptr);
        scene_set_hookup_folder(nullptr);
        animal_body_fixture_t::TearDown();
    }
    animal_model_inst_u *make(animal_model_desc_u *desc, uint32_t seed = 1, float scale = 1.0f) {
        owner_ptr_t<animal_model_inst_u> inst(animal_model_inst_u::create(desc, scale, seed, nullptr));
        animal_model_inst_u *made = inst.get();
        if (made) instances.push_back(std::move(inst));
        return made;
    }
    animal_model_desc_u *male = nullptr;
    std::vector<owner_ptr_t<animal_model_inst_u>> instances;
};

TEST_F(animal_model_inst, the_seed_picks_the_antler_set_and_the_trophy_is_twice_its_reward) {
    std::set<const unit_base_t *> sets;
    for (uint32_t seed = 0; seed < 24; ++seed) {
        animal_model_inst_u *a = make(male, seed), *b = make(male, seed);
        ASSERT_TRUE(a && b);
        ASSERT_EQ(a->get_antler_count(), 2u);
        ASSERT_EQ(b->get_antler_count(), 2u);
        const unit_base_t *model = a->get_antler(0)->model_desc.value;
        EXPECT_EQ(a->get_antler(1)->model_desc.value, model) << seed;
        EXPECT_EQ(b->get_antler(0)->model_desc.value, model) << seed;
        EXPECT_NE(a->get_antler(0), a->get_antler(1));
        EXPECT_EQ(a->get_trophy_score(), 2 * a->get_antler(0)->score_reward);
        EXPECT_EQ(a->has_monster_trophy(), a->get_antler(0)->monster_trophy);
        sets.insert(model);
        instances.clear();
    }
    EXPECT_GT(sets.size(), 1u);
    animal_model_inst_u *doe = make(find<animal_model_desc_u>(FEMALE));
    ASSERT_NE(doe, nullptr);
    EXPECT_EQ(doe->get_antler_count(), 0u);
    EXPECT_EQ(doe->get_trophy_score(), 50u);
    EXPECT_FLOAT_EQ(doe->get_scale(), 0.9f);
    EXPECT_EQ(doe->get_gender(), int32_t(animal_model_desc_u::GENDER_FEMALE));
}

// The first buck of round 1 spawns with the random value 381 (the round's schedule,
// tests/game/round/round1_schedule.golden): its crown alone beats the last entry of the
// default high-score table (1000), so one kill earns a place in the table.
TEST_F(animal_model_inst, the_first_buck_of_round_one_wears_a_crown_worth_a_place_in_the_table) {
    animal_model_inst_u *buck = make(male, 381);
    ASSERT_NE(buck, nullptr);
    EXPECT_TRUE(buck->has_monster_trophy());
    EXPECT_GT(buck->get_trophy_score(), 1000u);
}

TEST_F(animal_model_inst, intersect_and_hit_zones_follow_the_nearest_hit_unless_the_fever_reward_is_lower) {
    animal_model_inst_u *buck = make(male);
    ASSERT_NE(buck, nullptr);
    const placement_t at({10.0f, 0.0f, 5.0f}, quat_t());
    const vec3_t offset = at.position;
    model_hit_t hit;
    // Through the skull from the side.
    ASSERT_TRUE(buck->intersect(hit, at, offset + vec3_t{-5, 1.5f, -0.85f}, offset + vec3_t{5, 1.5f, -0.85f}));
    EXPECT_LT(hit.distance, 5.0f);
    EXPECT_EQ(buck->find_hit_zone({-5, 1.5f, -0.85f}, {5, 1.5f, -0.85f}), male->get_part(0));
    // Through the trunk.
    ASSERT_TRUE(buck->intersect(hit, at, offset + vec3_t{-5, 0.95f, 0.1f}, offset + vec3_t{5, 0.95f, 0.1f}));
    EXPECT_EQ(buck->find_hit_zone({-5, 0.95f, 0.1f}, {5, 0.95f, 0.1f}), male->get_part(1));
    // Past the animal: neither the sphere test nor a zone.
    EXPECT_FALSE(buck->intersect(hit, at, offset + vec3_t{-5, 5, 0}, offset + vec3_t{5, 5, 0}));
    EXPECT_EQ(buck->find_hit_zone({-5, 5, 0}, {5, 5, 0}), nullptr);

    // One shot through the skull and the chest: from above the head the head is nearer;
    // from below the chest is, but its fever reward (2) is below the head's (3).
    const vec3_t above{0.0f, 2.5f, -1.75f}, below{0.0f, 0.5f, 0.05f};
    EXPECT_EQ(buck->find_hit_zone(above, below), male->get_part(0));
    EXPECT_EQ(buck->find_hit_zone(below, above), male->get_part(0));
    // With equal rewards the nearer zone wins.
    ASSERT_TRUE(load_text(std::string("RozErere\n{\nanimal_model_desc : .equal\n{\nfilename: \"") + PATH +
                          "\"\nparts: 2\nparts[0]: .head\nparts[1]: .body\n}\n"
                          "animal_part : .head { part_name: \"head\" behavior_name: \"headshot\" fever_reward: 2 }\n"
                          "animal_part : .body { part_name: \"body\" behavior_name: \"heartshot\" fever_reward: 2 }\n}\n"));
    animal_model_desc_u *equal = root<animal_model_desc_u>();
    ASSERT_NE(equal, nullptr);
    animal_model_inst_u *same = make(equal);
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(same->find_hit_zone(above, below), equal->get_part(0));
    EXPECT_EQ(same->find_hit_zone(below, above), equal->get_part(1));
}

TEST_F(animal_model_inst, outside_the_view_neither_the_model_nor_its_antlers_are_drawn) {
    animal_model_inst_u *buck = make(male);
    ASSERT_NE(buck, nullptr);
    buck->set_placement({{0.0f, -1.0f, 0.0f}, quat_t()});
    const uint32_t seen = frame([&] { buck->draw(0.5f); }).draw_count();
    EXPECT_TRUE(buck->is_visible());
    EXPECT_GT(seen, 0u);
    // The antlers are drawn too: more records than the doe's body alone.
    animal_model_inst_u *doe = make(find<animal_model_desc_u>(FEMALE));
    doe->set_placement({{0.0f, -1.0f, 0.0f}, quat_t()});
    EXPECT_GT(seen, frame([&] { doe->draw(0.5f); }).draw_count());

    buck->set_placement({{0.0f, 0.0f, 5000.0f}, quat_t()});
    EXPECT_EQ(frame([&] { buck->draw(0.5f); }).draw_count(), 0u);
    EXPECT_FALSE(buck->is_visible());
}

TEST_F(animal_model_inst, a_walk_plays_by_its_code_and_its_root_motion_is_taken_each_frame_scaled) {
    animal_model_inst_u *buck = make(male, 1, 2.0f);
    ASSERT_NE(buck, nullptr);
    EXPECT_FLOAT_EQ(buck->get_scale(), 2.0f);
    ASSERT_EQ(buck->play_behavior(ANIMAL_WALK, false, 0), ZBA_OK);
    EXPECT_EQ(buck->play_behavior_index(male->find_behavior("no_such_behaviour"), false, 1), ZBA_ERR_BEHAVIOR);
    float moved = 0.0f;
    for (int i = 0; i < 20; ++i) {
        buck->animate(0.05f);
        moved += buck->take_root_motion();
    }
    // The walk moves along -z; each frame hands over only its own motion.
    EXPECT_LT(moved, -0.5f);
    buck->animate(0.0f);
    EXPECT_EQ(buck->take_root_motion(), 0.0f);
}

TEST_F(animal_model_inst, the_ragdoll_level_searches_upward_then_downward) {
    auto names = [](std::initializer_list<const char *> list) {
        array_dyn_t<mstring_dyn_t> out;
        for (const char *name : list) out.append(mstring_dyn_t(name));
        return out;
    };
    struct row_t {
        array_dyn_t<mstring_dyn_t> names;
        uint32_t level;
        int32_t file;
    };
    const row_t rows[] = {
        {names({"a", "", ""}), 2, 0}, {names({"a", "", "c"}), 1, 2}, {names({"a", "b", "c"}), 7, 2},
        {names({"", "b", ""}), 0, 1}, {names({"", "", ""}), 1, -1}, {names({}), 0, -1},
    };
    for (const row_t &row : rows)
        EXPECT_EQ(animal_model_inst_u::pick_ragdoll_file(row.names, row.level), row.file) << row.level;
}

// A ragdoll of two parts on the whitetail's root and spine, masses a and b.
std::string two_part_ragdoll(float a, float b, const char *spine = "(0, 1, -0.4)") {
    return std::string("RozErere\n{\nragdoll : .r\n{\nparts: 2\nparts[0]: .pelvis\nparts[1]: .chest\njoints: 2\n"
                       "joints[0]: .root\njoints[1]: .spine\nroot_joint: .root\n"
                       "dummy_one_frame_anim: \"/model/animal/whitetail/dummy.zma\"\n}\n"
                       "ragdoll_part_box : .pelvis { end_pin_bone_name: spine mass: ") +
           std::to_string(a) +
           " actor_placement: (0, 0.95, 0.2) (1; 0, 0, 0) dimensions: (0.4, 0.45, 0.7) }\n"
           "ragdoll_part_capsule : .chest { end_pin_bone_name: neck mass: " +
           std::to_string(b) +
           " actor_placement: (0, 1, -0.45) (1; 0, 0, 0) radius: 0.2 length: 0.25 }\n"
           "ragdoll_joint_root : .root { child_part: .pelvis model_bone_name: root joint_placement: (0, 0.95, 0) "
           "(1; 0, 0, 0) }\n"
           "ragdoll_joint_hinge : .spine { parent_part: .pelvis child_part: .chest model_bone_name: spine "
           "joint_placement: " +
           spine + " (1; 0, 0, 0) low_limit: -20 high_limit: 20 }\n}\n";
}

TEST_F(animal_model_inst, ragdoll_on_and_off_and_the_contact_handler_above_a_mass_of_twenty) {
    animal_model_inst_u *buck = make(male);
    ASSERT_NE(buck, nullptr);
    buck->set_placement({{3.0f, 0.0f, 0.0f}, quat_t()});
    ASSERT_TRUE(buck->set_ragdoll(true));
    EXPECT_TRUE(buck->is_ragdoll_active());
    EXPECT_EQ(buck->get_ragdoll_level(), 0);
    ragdoll_u *ragdoll = buck->get_ragdoll();
    ASSERT_NE(ragdoll, nullptr);
    EXPECT_EQ(scene->get_body_count(), ragdoll->get_part_count());
    EXPECT_GT(ragdoll->get_total_mass(), 20.0f);
    for (uint32_t i = 0; i < ragdoll->get_part_count(); ++i)
        EXPECT_EQ(ragdoll->get_part(i)->get_shape()->get_contact_listener(), buck);
    EXPECT_TRUE(ragdoll->is_active());
    ASSERT_TRUE(buck->set_ragdoll(false));
    EXPECT_FALSE(ragdoll->is_active());
    ASSERT_TRUE(buck->set_ragdoll(true));
    EXPECT_EQ(buck->get_ragdoll(), ragdoll);  // kept for the next time
    scene->step(0.5f);
    buck->animate(0.05f);
    EXPECT_TRUE(buck->is_ragdoll_active());
    instances.clear();
    EXPECT_EQ(scene->get_body_count(), 0u);
    EXPECT_EQ(scene->get_shape_count(), 0u);
    EXPECT_EQ(scene->get_joint_count(), 0u);

    put("ragdoll/twenty.unit", two_part_ragdoll(12.0f, 8.0f));
    put("ragdoll/dislocated.unit", two_part_ragdoll(12.0f, 9.0f, "(0, 1.02, -0.4)"));
    struct row_t {
        const char *file;
        bool on;
        const char *message;
    };
    const row_t rows[] = {
        {"/t/ragdoll/twenty.unit", true, ""},
        {"/t/ragdoll/none.unit", false, "Failed to open file (/t/ragdoll/none.unit)"},
        {"/t/ragdoll/dislocated.unit", false, "Dislocated joint on bone spine"},
    };
    for (const row_t &row : rows) {
        SCOPED_TRACE(row.file);
        log.clear();
        ASSERT_TRUE(load_text(std::string("RozErere\n{\nanimal_model_desc : .d\n{\nfilename: \"") + PATH +
                              "\"\nragdoll_lod_filename: 2\nragdoll_lod_filename[0]: \"" + row.file +
                              "\"\nragdoll_lod_filename[1]: \"\"\n}\n}\n"));
        animal_model_inst_u *inst = make(root<animal_model_desc_u>());
        ASSERT_NE(inst, nullptr);
        EXPECT_EQ(inst->set_ragdoll(true), row.on);
        EXPECT_EQ(inst->is_ragdoll_active(), row.on);
        if (row.on) {
            ASSERT_NE(inst->get_ragdoll(), nullptr);
            EXPECT_FLOAT_EQ(inst->get_ragdoll()->get_total_mass(), 20.0f);
            EXPECT_EQ(inst->get_ragdoll()->get_part(0)->get_shape()->get_contact_listener(), nullptr);
        } else {
            EXPECT_TRUE(log.contains(row.message));
            EXPECT_TRUE(log.contains("the animal keeps its animation"));
            EXPECT_EQ(scene->get_body_count(), 0u);
            EXPECT_EQ(scene->get_shape_count(), 0u);
            EXPECT_EQ(scene->get_joint_count(), 0u);
        }
        instances.clear();
    }
}

TEST_F(animal_model_inst, the_hunt_picks_the_ragdoll_level_and_counts_the_ragdolls) {
    ASSERT_TRUE(hunt_ctrl_u::register_class(*get_engine_ubank()));
    scene_set_hookup_folder("");
    set_current_ctrl(hunt_ctrl_u::create());
    hunt_ctrl_u *hunt = unit_cast<hunt_ctrl_u>(get_current_ctrl());
    ASSERT_NE(hunt, nullptr);
    hunt->set_ragdoll_base(1);  // one ragdoll a level: levels 0 and 1 are full
    hunt->add_ragdoll(0);
    hunt->add_ragdoll(1);
    animal_model_inst_u *buck = make(male);
    ASSERT_NE(buck, nullptr);
    ASSERT_TRUE(buck->set_ragdoll(true));
    EXPECT_EQ(buck->get_ragdoll_level(), 2);
    EXPECT_EQ(buck->get_ragdoll()->get_part_count(), 4u);  // the lores file
    EXPECT_EQ(hunt->get_ragdolls_alive(), 3u);
    EXPECT_EQ(hunt->get_ragdoll_count(2), 1u);
    buck->draw_shadow({{0.0f, 0.0f, 0.0f}, quat_t()});
    ASSERT_TRUE(buck->set_ragdoll(false));
    EXPECT_EQ(hunt->get_ragdolls_alive(), 2u);
    EXPECT_EQ(hunt->get_ragdoll_count(2), 0u);
    ASSERT_TRUE(buck->set_ragdoll(true));
    instances.clear();  // an instance that goes while its ragdoll is on counts it out
    EXPECT_EQ(hunt->get_ragdolls_alive(), 2u);
    set_current_ctrl(nullptr);
    scene_set_hookup_folder(nullptr);
}

TEST_F(animal_model_inst, contact_effects_need_terrain_speed_and_a_pause_and_stop_after_five) {
    fake_clock_t clock;
    sys_frame();
    animal_model_inst_u *buck = make(male);
    ASSERT_NE(buck, nullptr);
    ASSERT_TRUE(buck->set_ragdoll(true));
    physics_shape_t *mine = buck->get_ragdoll()->get_part(0)->get_shape();
    std::unique_ptr<physics_shape_t> ground(scene->create_shape());
    ASSERT_TRUE(ground->create_box(nullptr, {10.0f, 1.0f, 10.0f}, nullptr));
    ground->set_collision_group(0);
    std::unique_ptr<physics_shape_t> other(scene->create_shape());
    ASSERT_TRUE(other->create_box(nullptr, {1.0f, 1.0f, 1.0f}, nullptr));
    other->set_collision_group(3);
    auto wait = [&](double seconds) {
        const double start = sys_get_time();
        while (sys_get_time() - start < seconds - 1e-9) {
            clock.usec += 10000;
            sys_frame();
        }
    };
    const vec3_t p{0, 0, 0}, n{0, 1, 0};
    mine->get_owner()->set_world_linear_velocity({1.0f, 0.0f, 0.0f});
    wait(0.1);
    buck->on_contact(mine, ground.get(), p, n);  // too slow
    EXPECT_EQ(buck->get_contact_effect_count(), 0u);
    mine->get_owner()->set_world_linear_velocity({4.0f, 0.5f, 0.0f});
    buck->on_contact(mine, other.get(), p, n);  // no terrain
    EXPECT_EQ(buck->get_contact_effect_count(), 0u);
    buck->on_contact(ground.get(), mine, p, n);  // the ragdoll second
    EXPECT_EQ(buck->get_contact_effect_count(), 1u);
    wait(0.02);
    buck->on_contact(mine, ground.get(), p, n);  // too soon
    EXPECT_EQ(buck->get_contact_effect_count(), 1u);
    for (int i = 0; i < 20; ++i) {
        wait(0.1);
        buck->on_contact(mine, ground.get(), p, n);
    }
    EXPECT_EQ(buck->get_contact_effect_count(), 5u);
}

}  // namespace
}  // namespace quarn::test
