#include "game/round/round_fixture.h"

#include <cstdio>

#include "game/game_module.h"
#include "game/round/target_spawners.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_fixture.h"
#include "game/unit_tree_file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_load.h"
#include "support/memory_file.h"
#include "support/test_paths.h"

namespace quarn::test {

QRN_UNIT_DEFINE(stand_in_desc_u, "stand_in_desc");
QRN_UNIT_DEFINE(fake_target_u, "fake_target");

namespace {

std::string with_number(const std::string &what, double value) {
    char text[64];
    snprintf(text, sizeof text, " %g", value);
    return what + text;
}

// Makes a target as the real spawners would, or fails as told.
owner_ptr_ret_t<target_u> make_target(std::string label, trail_u *trail) {
    spawner_record_t &r = recorded_spawns;
    r.calls.push_back(label);
    if (r.fail_next > 0) {
        --r.fail_next;
        return {};
    }
    owner_ptr_ret_t<fake_target_u> target = fake_target_u::create();
    target->label = std::move(label);
    target->trail = trail;
    target->finish_after_updates = r.finish_after_updates;
    if (r.make_dead) target->destroy();
    return target;
}

owner_ptr_ret_t<target_u> spawn_animal(unit_base_t *description, trail_u *trail, const char *bonus, uint32_t random) {
    std::string label = "animal " + (description ? description->name_text().c_str() : std::string("-")) + " [" +
                        bonus + "]" + with_number("", random);
    owner_ptr_ret_t<target_u> target = make_target(std::move(label), trail);
    // An animal enters the scene's target list by itself.
    if (target && target->is_alive())
        if (base_ctrl_u *ctrl = get_current_ctrl()) ctrl->get_targets().add(target.get());
    return target;
}

owner_ptr_ret_t<target_u> spawn_gift(trail_u *trail, const char *gift, uint32_t random) {
    return make_target("gift " + std::string(gift) + with_number("", random), trail);
}

}  // namespace

void fake_target_u::update(float dt) {
    ++updates;
    steps.push_back(dt);
    journal.push_back(with_number(label + " update", dt));
}

void fake_target_u::draw() { journal.push_back(label + " draw"); }

void round_fixture_t::SetUp() {
    live_before = unit_base_t::get_live_count();
    system = new unit_system_t(bank);
    system->set_default();
    for (const unit_descriptor_t *d :
         {&round_logic_u::unit_descriptor, &round_progression_u::unit_descriptor, &trail_use_u::unit_descriptor,
          &voiceover_u::unit_descriptor, &voiceover_table_u::unit_descriptor, &trail_u::unit_descriptor,
          &stand_in_desc_u::unit_descriptor})
        EXPECT_TRUE(bank.register_class(d));
    recorded_spawns = {};
    fake_target_u::journal.clear();
    fake_target_u::destroyed = 0;
    // No spawner until a test installs them.
    rows_table.build(nullptr);
    game_module_set_rows(&rows_table);
}

void round_fixture_t::TearDown() {
    set_current_ctrl(nullptr);
    game_module_set_rows(nullptr);
    held.clear();
    unit_system_t::clean_garbage();
    delete system;
    EXPECT_EQ(unit_base_t::get_live_count(), live_before) << "units leaked";
}

void round_fixture_t::install_spawners(bool animals, bool gifts) {
    rows.clear();
    if (animals) rows.push_back(game_factory_row(ANIMAL_TARGET_SPAWNER, &spawn_animal));
    if (gifts) rows.push_back(game_factory_row(GIFT_TARGET_SPAWNER, &spawn_gift));
    rows_list = {"round_test_spawners", rows.data(), uint32_t(rows.size())};
    game_module_set_rows(nullptr);
    EXPECT_TRUE(rows_table.build(rows.empty() ? nullptr : &rows_list));
    game_module_set_rows(&rows_table);
}

test_ctrl_u *round_fixture_t::make_scene(uint32_t seed) {
    owner_ptr_ret_t<test_ctrl_u> made = test_ctrl_u::create();
    test_ctrl_u *ctrl = made.get();
    ctrl->get_random().seed = seed;
    set_current_ctrl(std::move(made));
    return ctrl;
}

trail_u *round_fixture_t::make_trail(const std::string &name) {
    owner_ptr_ret_t<trail_u> trail = trail_u::create();
    EXPECT_TRUE(trail->set_name(name.c_str())) << name;
    for (float x : {0.0f, 10.0f}) {
        trail->m_position.append({x, 0.0f, 0.0f});
        trail->m_rotation.append(quat_t());
        trail->m_speed.append(1.5f);
        trail->m_behavior.append(BEHAVIOR_walk);
    }
    EXPECT_TRUE(trail->prepare());
    trail_u *made = trail.get();
    held.emplace_back(std::move(trail));
    return made;
}

stand_in_desc_u *round_fixture_t::make_desc(const std::string &name) {
    owner_ptr_ret_t<stand_in_desc_u> desc = stand_in_desc_u::create();
    EXPECT_TRUE(desc->set_name(name.c_str())) << name;
    stand_in_desc_u *made = desc.get();
    held.emplace_back(std::move(desc));
    return made;
}

void round_fixture_t::make_content_descs() {
    for (const char *name :
         {"whitetail.male", "whitetail.female", "moose.male", "moose.female", "grizzly.male", "grizzly.female",
          "squirrel.male"})
        make_desc(std::string(name) + ".animal.model.desc");
}

owner_ptr_ret_t<unit_base_t> round_fixture_t::load_generic(const std::string &body) {
    memory_file_t file("RozErere\n{\n" + body + "\n}\n", "/test/round.unit");
    unit_load_t loader(file, *system);
    return loader.load_tree_generic();
}

owner_ptr_ret_t<round_progression_u> round_fixture_t::load_shipped_rounds() {
    fs_startup();
    fs_device_t *mount = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
    EXPECT_NE(mount, nullptr);
    owner_ptr_ret_t<round_progression_u> rounds = load_unit_tree<round_progression_u>(ROUND_PROGRESSION_PATH);
    if (mount) ufs_unmount(mount);
    fs_shutdown();
    return rounds;
}

std::string trail_use_text(const std::string &name, const std::string &trail, const std::vector<std::string> &decoys,
                           const std::vector<std::string> &scorings, const std::vector<std::string> &dangerous,
                           const std::vector<std::string> &ambients) {
    std::string text = "trail_use : " + name + "\n{\n    trail_name: \"" + trail + "\"\n";
    auto array = [&text](const char *attribute, const std::vector<std::string> &names) {
        if (names.empty()) return;
        text += "    " + std::string(attribute) + ": " + std::to_string(names.size()) + "\n";
        for (size_t i = 0; i < names.size(); ++i)
            text += "    " + std::string(attribute) + "[" + std::to_string(i) + "]: " + names[i] + "\n";
    };
    array("decoys_supported", decoys);
    array("scorings_supported", scorings);
    array("dangerous_supported", dangerous);
    array("ambients_supported", ambients);
    return text + "}\n";
}

}  // namespace quarn::test
