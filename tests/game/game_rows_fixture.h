#pragma once
// A kernel with the memory manager, a scratch folder at "/t", and a module row table made
// of the module's own rows (its hold on the memory manager) and one named list of the
// game's rows: what a part's registration, guard and last stage are tested over.
#include <gtest/gtest.h>

#include <string>

#include "game/game_module.h"
#include "game/game_rows.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {

class game_rows_fixture_t : public kernel_fixture_t {
protected:
    explicit game_rows_fixture_t(const char *rows) : m_rows(rows) {}

    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", false, 0);
        mm_init();
        qrnshared_startup();
        for (const game_row_list_t *l = game_rows_linked(); l; l = l->next) {
            if (std::string(l->name) == "module") lists[0] = *l;
            if (std::string(l->name) == m_rows) lists[1] = *l;
        }
        ASSERT_NE(lists[1].count, 0u) << "the rows '" << m_rows << "' are linked";
        lists[0].next = &lists[1];
        lists[1].next = nullptr;
        ASSERT_TRUE(table.build(&lists[0]));
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        before_module_unregister();
        game_get_dl_ops()->dl_unregister(nullptr, nullptr);
        set_gamesup_lock_hooks(nullptr, nullptr);
        after_module_unregister();
        ufs_unmount(mount);
        fs_shutdown();
        qrnshared_shutdown();
        const char *args[] = {"game_tests"};
        cdl_init(1, args);
    }
    // What a part takes back itself around the module's unregistration.
    virtual void before_module_unregister() {}
    virtual void after_module_unregister() {}

    const char *m_rows;
    temp_dir_t dir;
    fs_device_t *mount = nullptr;
    game_row_list_t lists[2]{};
    game_row_table_t table;
    message_capture_t log;
};

}  // namespace quarn::test
