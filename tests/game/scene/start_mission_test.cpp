// A mission started with the game definition the resource manager gives, through the
// ".def" loader of "lib/loaders", as the program does; without it nothing loads.
#include <gtest/gtest.h>

#include <string>

#include "game/scene/current_ctrl.h"
#include "game/scene/game_ctrl.h"
#include "game/scene/scene_object.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {

class mission_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(mission_ctrl_u, game_ctrl_u);

public:
    class player_t : public scene_object_t {
    public:
        void update(float) override {}
        void set_position(const vec3_t &) override { ++placed; }
        int placed = 0;
    };
    scene_object_t *get_player() override { return &player; }
    player_t player;
};
QRN_UNIT_DEFINE(mission_ctrl_u, "mission_ctrl");

namespace {

class start_mission : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        mm_init();
        ASSERT_NE(dll_register((test_bin_dir() + "/lib/loaders").c_str()), nullptr);
        previous = unit_system_t::get_default();
        system = new unit_system_t(bank);
        system->set_default();
        const char text[] = "def general { area: \"nowhere\" }\n";
        ASSERT_TRUE(mission.read_text(text, sizeof text - 1, "/t/mission.def"));
    }
    void TearDown() override {
        set_current_ctrl({});
        unit_system_t::clean_garbage();
        if (previous) previous->set_default();
        delete system;
        kernel_fixture_t::TearDown();
        if (mount_device) ufs_unmount(mount_device);
        fs_shutdown();
        qrnshared_shutdown();
        dll_table_forget();
        const char *args[] = {"game_tests"};
        cdl_init(1, args);
    }
    void mount(const std::string &folder) {
        mount_device = ufs_mount(FS_DEVICE_DIRECTORY, folder.c_str(), "/", true, 0);
        ASSERT_NE(mount_device, nullptr);
    }
    mission_ctrl_u *make_scene() {
        set_current_ctrl(mission_ctrl_u::create());
        return static_cast<mission_ctrl_u *>(get_current_ctrl());
    }

    unit_bank_t bank;
    unit_system_t *system = nullptr;
    unit_system_t *previous = nullptr;
    def_pool_t mission;
    temp_dir_t empty;
    fs_device_t *mount_device = nullptr;
};

TEST_F(start_mission, the_map_starts_with_the_game_definition_held) {
    mount(test_source_dir() + "/data/builtin");
    mission_ctrl_u *ctrl = make_scene();
    message_capture_t log;
    EXPECT_TRUE(ctrl->start_mission(mission));
    EXPECT_TRUE(log.contains("[game] spawning map nowhere"));
    EXPECT_TRUE(log.contains("[game] ...load successful"));
    EXPECT_EQ(ctrl->player.placed, 1);
}

TEST_F(start_mission, without_the_game_definition_nothing_loads) {
    mount(empty.path());
    mission_ctrl_u *ctrl = make_scene();
    message_capture_t log;
    EXPECT_FALSE(ctrl->start_mission(mission));
    EXPECT_TRUE(log.contains("[game] cannot load /defs/game.def"));
    EXPECT_FALSE(log.contains("spawning map"));
    EXPECT_EQ(ctrl->player.placed, 0);
}

}  // namespace
}  // namespace quarn::test
