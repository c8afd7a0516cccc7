// The shader library's rows in the game module's table: what registration and the
// guard's construction set up, the pass that updates the wave texture, and a stop
// that waits for the materials whose passes still hold the module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../game_rows_fixture.h"
#include "game/game_guard_proc.h"
#include "game/game_module.h"
#include "game/game_rows.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
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

class shader_rows : public game_rows_fixture_t {
protected:
    shader_rows() : game_rows_fixture_t("shaders") {}
    void after_module_unregister() override { shaderlib_set_lock_callbacks(nullptr, nullptr); }

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
