// The module's entry, its execution stages and its guard process, which runs the rows
// of the registration table while it is made, every pass and in the three stages of
// its shutdown, and holds the module while anything locks it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_guard_proc.h"
#include "game/game_module.h"
#include "game/process/game_cvars.h"
#include "kernel/console/cvars.h"
#include "outside/qrnshared/ui/ui.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "kernel/program_run.h"
#include "outside/qrnshared/usystem.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

std::vector<std::string> calls;

template <const char *TEXT>
bool record(const game_row_args_t &) {
    calls.push_back(TEXT);
    return true;
}
bool record_clock(const game_row_args_t &args) {
    calls.push_back("pass " + std::to_string(args.seconds));
    return true;
}

constexpr char built[] = "built", markup[] = "markup", recache[] = "recache", stop[] = "stop", drain[] = "drain",
               kill[] = "kill", registered[] = "registered";

// Rows of every phase, listed out of order.
const game_row_t rows[] = {
    game_row(game_step_t::KILL_VISUAL_OBJECTS, kill, record<kill>),
    game_row(game_step_t::GUARD_MARKUP, markup, record<markup>),
    game_row(game_step_t::DRAIN_GAMESUP, drain, record<drain>),
    game_row(game_step_t::PASS_UI_RECACHE, recache, record<recache>),
    game_row(game_step_t::STOP_SHADER_QUEUES, stop, record<stop>),
    game_row(game_step_t::PASS_SHADERS, "clock", record_clock),
    game_row(game_step_t::GUARD_LOCALISATION, built, record<built>),
    game_row(game_step_t::REGISTER_LOCK_MM, registered, record<registered>),
};

TEST(game_module, entry_gives_one_object_and_refuses_unknown_stages) {
    dl_ops_t *ops = game_get_dl_ops();
    ASSERT_NE(ops, nullptr);
    EXPECT_EQ(ops, game_get_dl_ops());
    message_capture_t log;
    EXPECT_FALSE(ops->dl_execute(nullptr, nullptr, 7, nullptr));
    EXPECT_TRUE(log.contains("[game] Unknown execution stage 7"));
    EXPECT_EQ(game_module_mode(), GAME_MODULE_IDLE);
    EXPECT_TRUE(ops->dl_symbols(nullptr, nullptr));
}

class game_guard : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        calls.clear();
        list = {"test", rows, uint32_t(sizeof rows / sizeof rows[0])};
        ASSERT_TRUE(table.build(&list));
    }

    game_row_list_t list{};
    game_row_table_t table;
    message_capture_t log;
};

TEST_F(game_guard, runs_its_rows_when_made_each_pass_and_in_each_stage_of_its_stop) {
    auto *guard = new game_guard_proc_t(nullptr, table);
    EXPECT_EQ(game_module_guard(), guard);
    EXPECT_EQ(calls, (std::vector<std::string>{"built", "markup"}));
    process_add(guard, 0);
    calls.clear();
    clock.usec += 50000;
    kernel_step();
    game_module_request_ui_recache();
    clock.usec += 50000;
    kernel_step();
    EXPECT_FALSE(game_module_ui_recache_requested()) << "the pass took the request";
    kernel_step();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[1].rfind("pass 0.1", 0), 0u) << calls[1] << ": the guard's own clock";
    EXPECT_EQ(calls[2], "recache");

    // A live entity holds the module: the stop waits in its second stage.
    calls.clear();
    game_module_lock();
    process_terminate_all();
    for (int i = 0; i < 4; ++i) kernel_step();
    EXPECT_EQ(calls, (std::vector<std::string>{"stop", "drain", "drain", "drain"}));
    EXPECT_EQ(process_get("game_guard"), guard);
    calls.clear();
    game_module_unlock();
    kernel_step();
    kernel_step();
    EXPECT_EQ(calls, (std::vector<std::string>{"drain", "kill"}));
    EXPECT_EQ(process_get("game_guard"), nullptr);
    EXPECT_EQ(game_module_guard(), nullptr);
}

// The module's own rows hold the memory manager's process from registration to the
// guard's last stage, so that it outlives every resource of the game.
TEST_F(game_guard, the_memory_manager_is_held_from_registration_to_the_last_stage) {
    const char *args[] = {"game_tests", "-mm_pool_size", "32"};
    cdl_init(3, args);
    mm_init();
    vprocess_t *mm = mm_get_process();
    ASSERT_NE(mm, nullptr);
    game_row_list_t module{};
    for (const game_row_list_t *l = game_rows_linked(); l; l = l->next)
        if (std::string(l->name) == "module") module = *l;
    module.next = nullptr;
    game_row_table_t own;
    ASSERT_TRUE(own.build(&module));

    register_game_classes(own);
    EXPECT_EQ(mm->hold_count, 1);
    EXPECT_EQ(common_usystem_users(), 1u);
    process_add(new game_guard_proc_t(nullptr, own), 0);
    process_terminate_all();
    int passes = 0;
    while (process_get("game_guard") && passes < 8) {
        EXPECT_EQ(mm->hold_count, 1) << "pass " << passes;
        kernel_step();
        ++passes;
    }
    EXPECT_EQ(passes, 3) << "stop, drain, kill";
    EXPECT_EQ(process_get("game_guard"), nullptr);
    EXPECT_EQ(mm->hold_count, 0);
    EXPECT_TRUE(game_get_dl_ops()->dl_unregister(nullptr, nullptr) == false) << "the module stays loaded";
    EXPECT_EQ(common_usystem_users(), 0u);
    set_gamesup_lock_hooks(nullptr, nullptr);
    cdl_init(1, args);
}

// Executing the module with stage 0 starts the game process, which runs the autoexec
// files; a "quit" among them ends the run at its first frame.
TEST(game_program, stage_0_starts_the_game_process) {
    program_copy_t program;
    program.add_build_plugins();
    program.set_home_config("quit\n");
    const program_result_t r = program.run({"-nocpu"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(lines_in_order(r.log, {"[game] Fernwold init ver.1.52D", "[cor] executing /default.cfg", "quit",
                                       "[sys] process shutdown"}));
}

// A host that embeds the module gets the mini console and the language variables and
// the console window; a missing UI effects file is no failure.
TEST_F(game_guard, stage_1_hosts_the_module) {
    game_host_callback_t callback = [](int32_t) -> game_host_screen_t * { return nullptr; };
    EXPECT_TRUE(game_get_dl_ops()->dl_execute(nullptr, nullptr, GAME_STAGE_HOSTED, reinterpret_cast<void *>(callback)));
    EXPECT_EQ(game_module_mode(), GAME_MODULE_HOSTED);
    EXPECT_NE(cvar_get("g_minicon"), nullptr);
    ASSERT_NE(cvar_get("g_lang"), nullptr);
    EXPECT_STREQ(cvar_get("g_lang")->get_text(), "en_us");
    EXPECT_EQ(cvar_get("g_console"), nullptr) << "only the two variables are the host's";
    EXPECT_EQ(game_module_host_callback(), callback);
    unregister_game_cvars();
    game_module_uifx_hookup().clear();
    ui_shutdown();
    game_module_set_mode(GAME_MODULE_IDLE);
}

}  // namespace
}  // namespace quarn::test
