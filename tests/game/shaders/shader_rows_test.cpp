// The shader library's rows in the game module's table: what registration and the
// guard's construction set up, the pass that updates the wave texture, and a stop
// that waits for the materials whose passes still hold the module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_guard_proc.h"
#include "game/game_module.h"
#include "game/game_rows.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/kernel_fixture.h"
#include "kernel/m_server.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/texobj.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

class shader_rows : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 0);
        mm_init();
        qrnshared_startup();
        // The module's own rows (the hold on the memory manager) and the shaders'.
        for (const game_row_list_t *l = game_rows_linked(); l; l = l->next) {
            if (std::string(l->name) == "module") lists[0] = *l;
            if (std::string(l->name) == "shaders") lists[1] = *l;
        }
        ASSERT_NE(lists[1].count, 0u) << "the shader rows are linked";
        lists[0].next = &lists[1];
        lists[1].next = nullptr;
        ASSERT_TRUE(table.build(&lists[0]));
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        game_get_dl_ops()->dl_unregister(nullptr, nullptr);
        set_gamesup_lock_hooks(nullptr, nullptr);
        shaderlib_set_lock_callbacks(nullptr, nullptr);
        ufs_unmount(mount);
        fs_shutdown();
        qrnshared_shutdown();
        const char *args[] = {"game_tests"};
        cdl_init(1, args);
    }

    temp_dir_t dir;
    fs_device_t *mount = nullptr;
    game_row_list_t lists[2]{};
    game_row_table_t table;
    message_capture_t log;
};

TEST_F(shader_rows, set_up_run_and_torn_down_with_the_guard) {
    register_game_classes(table);
    EXPECT_EQ(shaderlib_queue_count(), 9u);
    game_guard_proc_t *guard = new game_guard_proc_t(nullptr, table);
    process_add(guard, 0);
    EXPECT_TRUE(r_effect_is_directory_registered("/effect/generic"));
    EXPECT_TRUE(r_effect_is_directory_registered("/effect/fw4"));
    ASSERT_EQ(shaderlib_updater_count(), 1u) << "the wave texture";
    EXPECT_EQ(r_texobj_count(), 1u);

    // A pass updates the wave texture.
    clock.usec += 50000;
    kernel_step();
    c_item_t *texture = mm_obtain_resource(MM_NAMED, "/procedural/water_noise.tobj");
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->has(c_item_t::CHANGED));

    // A material's pass holds the module: the stop waits until nothing uses it.
    ASSERT_TRUE(write_file(dir.file("water.mat"), "def material { effect: \"/effect/fw4/fw_water\" }\n"));
    c_item_t *water = get_material("/t/water.mat");
    ASSERT_NE(material_pass(water), nullptr);
    process_terminate_all();
    for (int i = 0; i < 4; ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), guard) << "the material's pass holds the guard";
    EXPECT_EQ(shaderlib_queue_count(), 0u) << "the queues went at the stop";
    EXPECT_EQ(shaderlib_updater_count(), 0u);
    EXPECT_EQ(r_texobj_count(), 0u) << "the wave texture went at the stop";
    EXPECT_FALSE(r_effect_is_directory_registered("/effect/fw4"));

    water->release_ref();
    for (int i = 0; i < 4 && process_get("game_guard"); ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), nullptr) << "the unused material went while draining";
    EXPECT_FALSE(log.contains("[game] step"));
}

}  // namespace
}  // namespace quarn::test
