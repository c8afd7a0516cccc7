// The registration table: rows run by step, classes in the unit type order, whatever
// the order of the lists and of the rows in them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "game/game_module.h"
#include "game/game_unit_order.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"

namespace quarn::test {

// Stand-ins for classes of the table, by their type names.
class row_world_u : public unit_t {
    QRN_UNIT_CLASS(row_world_u, unit_t);
};
class row_sun_u : public unit_t {
    QRN_UNIT_CLASS(row_sun_u, unit_t);
};
class row_ragdoll_u : public unit_t {
    QRN_UNIT_CLASS(row_ragdoll_u, unit_t);
};
class row_base_u : public unit_t {
    QRN_UNIT_CLASS(row_base_u, unit_t);
};
class row_stray_u : public unit_t {
    QRN_UNIT_CLASS(row_stray_u, unit_t);
};
QRN_UNIT_DEFINE(row_world_u, "world");
QRN_UNIT_DEFINE(row_sun_u, "sun");
QRN_UNIT_DEFINE(row_ragdoll_u, "ragdoll");
QRN_UNIT_DEFINE(row_base_u, "target");
QRN_UNIT_DEFINE(row_stray_u, "stray");

namespace {

std::vector<std::string> calls;

template <const char *TEXT>
bool record(const game_row_args_t &) {
    calls.push_back(TEXT);
    return true;
}
bool refuse(const game_row_args_t &) {
    calls.push_back("refuse");
    return false;
}
int spawn_twice(int n) { return 2 * n; }

constexpr char a_system[] = "a.system", a_mm[] = "a.mm", b_mm[] = "b.mm", b_pass[] = "b.pass",
               b_lock[] = "b.lock";

class unit_bank_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        system = new unit_system_t(bank);
        system->set_default();
    }
    void TearDown() override { delete system; }

    unit_bank_t bank;
    unit_system_t *system = nullptr;
    message_capture_t log;
};

using game_rows = unit_bank_fixture;

// The order in which the module registers the game's unit types.
const char *const type_order[] = {
    "world", "landscape", "body_desc", "body_inst", "body_actor_desc", "body_actor_inst", "flagpole_inst",
    "attract_area", "sound_loop", "start_point", "particle_emitter", "trail", "environment_preset", "sun", "fog",
    "temperature", "wind", "grass_property", "grass_set", "grass_cell", "grass", "antler_factory", "antler_part",
    "antler_part_simple", "antler_desc", "antler_score", "antler_pair_score", "plant_desc", "plant_inst", "casing",
    "pellet", "projectile", "item", "weapon", "weapon_rifle", "merged_model", "voiceover", "voiceover_table",
    "screensaver_ctrl", "hunt_ctrl", "menu_ctrl", "score", "score_table", "round_logic", "round_progression",
    "trail_use", "savegame", "animal_part", "animal_model_desc", "animal_model_inst", "animal_target",
    "animal_antler", "animal_runtime", "headstand_gift", "handswap_gift", "cloak_gift", "speed_gift", "shake_gift",
    "annoy_gift", "sunglasses_bonus", "fever_bonus", "extended_clip_bonus", "weapon_3030_bonus", "weapon_7mm_bonus",
    "quick_shooter_bonus", "uifx_score", "uifx_button_focus", "uifx_smoke", "uifx_scale", "uifx_scroll", "uifx_nop",
    "uifx_composite", "ragdoll", "ragdoll_joint", "ragdoll_joint_root", "ragdoll_joint_hinge",
    "ragdoll_joint_universal", "ragdoll_part", "ragdoll_part_box", "ragdoll_part_sphere", "ragdoll_part_capsule"};
// The parents that are never registered.
const char *const abstract_bases[] = {"game_unit_base", "game_unit", "target",    "party_gift",
                                      "hunt_bonus",     "weapon_bonus", "game_ctrl", "zml_effect"};

TEST(game_unit_order, is_the_registration_order_of_the_81_types) {
    static_assert(sizeof type_order / sizeof type_order[0] == GAME_UNIT_TYPE_COUNT);
    std::set<std::string> seen;
    for (uint32_t i = 0; i < GAME_UNIT_TYPE_COUNT; ++i) {
        ASSERT_NE(game_unit_order[i], nullptr);
        EXPECT_STREQ(game_unit_order[i], type_order[i]);
        EXPECT_EQ(game_unit_order_index(type_order[i]), int32_t(i));
        EXPECT_TRUE(seen.insert(type_order[i]).second) << type_order[i];
    }
    for (const char *name : abstract_bases) {
        EXPECT_TRUE(game_unit_is_abstract_base(name)) << name;
        EXPECT_EQ(game_unit_order_index(name), -1) << name;
    }
}

TEST_F(game_rows, steps_run_in_order_and_classes_in_the_type_order) {
    // Two lists, linked in either order, with their rows out of order.
    const game_row_t b_rows[] = {
        game_row(game_step_t::PASS_SHADERS, b_pass, record<b_pass>),
        game_class_row(row_ragdoll_u::unit_descriptor),
        game_row(game_step_t::REGISTER_LOCK_MM, b_mm, record<b_mm>),
        game_class_row(row_sun_u::unit_descriptor),
        game_factory_row("spawn", spawn_twice),
        game_row(game_step_t::REGISTER_LOCK_GAMESUP, b_lock, refuse),
    };
    const game_row_t a_rows[] = {
        game_row(game_step_t::REGISTER_LOCK_MM, a_mm, record<a_mm>),
        game_class_row(row_base_u::unit_descriptor),
        game_class_row(row_world_u::unit_descriptor),
        game_class_row(row_stray_u::unit_descriptor),
        game_row(game_step_t::REGISTER_UNIT_SYSTEM, a_system, record<a_system>),
    };
    for (bool b_first : {true, false}) {
        SCOPED_TRACE(b_first);
        calls.clear();
        log.clear();
        bank.reset();
        game_row_list_t a{"a", a_rows, 5}, b{"b", b_rows, 6};
        (b_first ? b : a).next = b_first ? &a : &b;
        game_row_table_t table;
        ASSERT_TRUE(table.build(b_first ? &b : &a));
        EXPECT_TRUE(log.contains("[game] The abstract unit type 'target' (rows 'a') is never registered"));
        EXPECT_TRUE(log.contains("[game] The unit type 'stray' (rows 'a') has no place in the registration order"));

        array_dyn_t<const unit_descriptor_t *> registered;
        register_game_classes(table, &registered);
        // Within a step: the list named first, then the list's own order.
        EXPECT_EQ(calls, (std::vector<std::string>{"refuse", "a.system", "a.mm", "b.mm"}));
        EXPECT_TRUE(log.contains("[game] step 'b.lock' failed"));
        ASSERT_EQ(registered.get_count(), 3u);
        EXPECT_EQ(registered[0], &row_world_u::unit_descriptor);
        EXPECT_EQ(registered[1], &row_sun_u::unit_descriptor);
        EXPECT_EQ(registered[2], &row_ragdoll_u::unit_descriptor);
        EXPECT_EQ(bank.get_descriptor("sun"), &row_sun_u::unit_descriptor);
        EXPECT_EQ(bank.get_descriptor("target"), nullptr);
        EXPECT_EQ(bank.get_descriptor("stray"), nullptr);

        calls.clear();
        table.run(game_phase_t::PASS, game_row_args_t{});
        EXPECT_EQ(calls, std::vector<std::string>{"b.pass"});
        EXPECT_EQ(game_find_factory<int(int)>(table, "spawn")(21), 42);
        EXPECT_EQ(game_find_factory<int(int)>(table, "b.pass"), nullptr) << "only factory rows are found";
        EXPECT_EQ(game_find_factory<int(int)>(table, "missing"), nullptr);
    }
}

// The module's own table: whatever classes the subsystems have declared so far come
// in the type order, and no abstract base is among them.
TEST_F(game_rows, the_module_registers_its_classes_in_the_type_order) {
    const game_row_table_t &table = game_row_table_t::linked();
    std::set<std::string> lists;
    for (const game_row_list_t *l = game_rows_linked(); l; l = l->next)
        EXPECT_TRUE(lists.insert(l->name).second) << "two row lists named " << l->name;
    EXPECT_TRUE(lists.count("module"));

    array_dyn_t<const unit_descriptor_t *> registered;
    game_row_args_t args;
    args.bank = &bank;
    args.registered = &registered;
    table.run_step(game_step_t::REGISTER_UNIT_CLASSES, args);
    uint32_t rows = 0;
    for (uint32_t i = 0; i < table.count(); ++i) rows += table.get(i).step == game_step_t::REGISTER_UNIT_CLASSES;
    EXPECT_EQ(registered.get_count(), rows) << "every class row registers";
    uint32_t next = 0;
    for (uint32_t i = 0; i < registered.get_count(); ++i) {
        const char *name = registered[i]->class_name->c_str();
        while (next < GAME_UNIT_TYPE_COUNT && std::string(type_order[next]) != name) ++next;
        EXPECT_LT(next, GAME_UNIT_TYPE_COUNT) << name << " is out of order";
    }
    for (const char *name : abstract_bases) EXPECT_EQ(bank.get_descriptor(name), nullptr) << name;
    EXPECT_FALSE(log.contains("[game]")) << "no row of the module's table is refused";
}

}  // namespace
}  // namespace quarn::test
