// The model library's rows in the game module's table: its classes and lock hooks at
// registration, and a stop that waits for the model resources still in use, which
// hold the module while they are bound.
#include <gtest/gtest.h>

#include <string>

#include "../game_rows_fixture.h"
#include "game/game_guard_proc.h"
#include "game/game_module.h"
#include "game/game_rows.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_lib.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "model_lib_fixture.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

class model_rows : public game_rows_fixture_t {
protected:
    model_rows() : game_rows_fixture_t("models") {}
    void after_module_unregister() override { model_lib_set_lock_callbacks(nullptr, nullptr); }

};

TEST_F(model_rows, registered_then_stopped_when_no_model_resource_is_used) {
    register_game_classes(table);
    const unit_bank_t &bank = unit_system_t::get_default()->get_bank();
    bool templates = false, objects = false;
    for (uint32_t i = 0; i < bank.get_class_count(); ++i) {
        templates = templates || bank.get_class_name(i) == "model_template";
        objects = objects || bank.get_class_name(i) == "model_object";
    }
    EXPECT_TRUE(templates && objects);
    game_guard_proc_t *guard = new game_guard_proc_t(nullptr, table);
    process_add(guard, 0);

    ASSERT_TRUE(zmgen::zm_write_model(rock_model(), dir.file("rock"), "rock"));
    model_desc_u *desc = model_desc_u_obtain("/t/rock/rock.zmd");
    ASSERT_NE(desc, nullptr);
    ASSERT_NE(desc->get_geometry(), nullptr);
    // An unused descriptor of another model (and its unused geometry) holds the guard
    // too until the drain lets it go.
    ASSERT_TRUE(zmgen::zm_write_model(rock_model(), dir.file("stone"), "stone"));
    model_desc_u *stone = model_desc_u_obtain("/t/stone/stone.zmd");
    ASSERT_NE(stone, nullptr);
    ASSERT_NE(stone->get_geometry(), nullptr);
    model_release(stone);

    process_terminate_all();
    for (int i = 0; i < 4; ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), guard) << "the descriptor in use holds the guard";

    model_release(desc);
    for (int i = 0; i < 4 && process_get("game_guard"); ++i) kernel_step();
    EXPECT_EQ(process_get("game_guard"), nullptr) << "descriptor and geometry went while draining";
    EXPECT_FALSE(log.contains("[game] step"));
}

}  // namespace
}  // namespace quarn::test
