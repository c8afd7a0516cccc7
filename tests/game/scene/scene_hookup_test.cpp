// The hookup units: every ".unit" file of "/script/hookup" in sorted order, a broken
// file skipped with its message, and the units gone (names free) when the scene is.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/scene/scene_fixture.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

std::string unit_file(const std::vector<std::string> &names) {
    std::string text = "RozErere\n{\n";
    for (const std::string &name : names) text += "hookup_thing : " + name + "\n{\n    scale: 2\n}\n";
    return text + "}\n";
}

class scene_hookups : public scene_fixture_t {
protected:
    void SetUp() override {
        scene_fixture_t::SetUp();
        EXPECT_TRUE(hookup_thing_u::register_class(bank));
        fs_startup();
        mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/", true, 0);
        ASSERT_NE(mount, nullptr);
    }
    void TearDown() override {
        if (mount) ufs_unmount(mount);
        fs_shutdown();
        scene_fixture_t::TearDown();
    }
    void put(const std::string &name, const std::string &text) {
        ASSERT_TRUE(write_file(dir.file("script/hookup/" + name), text));
    }
    static std::vector<std::string> names_of(const test_ctrl_u &ctrl) {
        std::vector<std::string> names;
        for (uint32_t i = 0; i < ctrl.get_hookup_count(); ++i)
            names.push_back(ctrl.get_hookup_unit(i)->name_text().c_str());
        return names;
    }

    temp_dir_t dir;
    fs_device_t *mount = nullptr;
};

TEST_F(scene_hookups, files_load_in_sorted_order_and_a_broken_one_is_skipped_with_its_message) {
    put("b.unit", unit_file({"hook.b"}));
    put("a.unit", unit_file({"hook.a1", "hook.a2"}));
    put("a.unit.bak", unit_file({"hook.bak"}));
    put("unit", unit_file({"hook.bare"}));
    put("c.unit", "RozErere\n{\nhookup_thing : hook.c\n{\n    scale: not a number\n}\n}\n");
    put("d.unit", unit_file({"hook.d"}));
    put("folder.unit/e.unit", unit_file({"hook.e"}));  // a folder is no hookup file

    message_capture_t log;
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    EXPECT_EQ(names_of(*ctrl), (std::vector<std::string>{"hook.a1", "hook.a2", "hook.b", "hook.d"}));
    const std::vector<std::string> errors = log.texts(message_t::ERROR);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), "[game] Failed to load hookup units '/script/hookup/c.unit'");
    EXPECT_EQ(unit_system_t::find_unit("hook.c"), nullptr);
    EXPECT_EQ(unit_system_t::find_unit("hook.bak"), nullptr);
}

TEST_F(scene_hookups, controllers_that_follow_each_other_in_one_pass_both_load_every_file) {
    put("a.unit", unit_file({"hook.a"}));
    put("b.unit", unit_file({"hook.b"}));
    const uint32_t live = unit_base_t::get_live_count();
    {
        owner_ptr_t<test_ctrl_u> first = make_ctrl();
        ASSERT_EQ(first->get_hookup_count(), 2u);
        EXPECT_EQ(unit_system_t::find_unit("hook.a"), first->get_hookup_unit(0));
    }
    // The garbage is not freed between the two: the names must be free already.
    message_capture_t log;
    owner_ptr_t<test_ctrl_u> second = make_ctrl();
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    ASSERT_EQ(second->get_hookup_count(), 2u);
    EXPECT_EQ(unit_system_t::find_unit("hook.b"), second->get_hookup_unit(1));
    second.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), live) << "the scene and its hookup units are gone";
}

TEST_F(scene_hookups, a_scene_without_the_folder_has_no_hookup_units_and_says_nothing) {
    message_capture_t log;
    owner_ptr_t<test_ctrl_u> ctrl = make_ctrl();
    EXPECT_EQ(ctrl->get_hookup_count(), 0u);
    EXPECT_TRUE(log.entries().empty());
}

}  // namespace
}  // namespace quarn::test
