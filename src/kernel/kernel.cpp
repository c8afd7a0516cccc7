#include "kernel/kernel.h"

#include "kernel/console/commands.h"
#include "kernel/fixed_clock.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/log_setup.h"
#include "kernel/memory/m_server.h"
#include "kernel/memory/mem_sys.h"
#include "kernel/message_pump.h"
#include "kernel/net/net_process.h"
#include "kernel/plugins.h"
#include "kernel/process_table.h"
#include "kernel/sound/sound.h"
#include "kernel/sys.h"
#include "outside/ctlbase/ctlbase.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/sonbase/sonbase.h"
#include "outside/visbase/visbase.h"
#include "platform/user_dirs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/cpu.h"
#include "qrncore/system/crash_log.h"
#include "qrncore/system/init.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {
constexpr unsigned NOT_FOUND = unsigned(-1);
}  // namespace

int kernel_main(int argc, char **argv) {
    // The system's longest path, so that any directory can be restored.
    char saved_dir[4096];
    const bool have_saved_dir = platform::working_dir_get(saved_dir, sizeof saved_dir);
    dumper_init();
    dumper_set_file_name("quarn3d.crash");
    cdl_init(argc, argv);
    // The program's directory comes from the system, not from argv[0], which may be a
    // bare name found on the search path or a relative path.
    char program_dir[4096];
    if (!platform::program_dir(program_dir, sizeof program_dir) || !platform::working_dir_set(program_dir)) {
        // No log exists yet: the reason goes to standard error.
        message_stdio_t out;
        error("[sys] Can not change to the program's directory");
    }
    const bool identify_cpu = cdl_param("-nocpu", 1) == NOT_FOUND;
    qrncore_init(mem_sys_alloc, mem_sys_alloc, mem_sys_free, mem_sys_free, identify_cpu);

    const int result = kernel_boot(dll_handle(nullptr));

    qrncore_shutdown();
    if (have_saved_dir) platform::working_dir_set(saved_dir);
    net_release();
    dumper_shutdown();
    return result;
}

int kernel_boot(void *module) {
    // 1. The log: the file of "-log" and the message history.
    kernel_log_start(log_options_from_command_line());
    // 2. The operating system.
    sys_probe_os();
    // 3. "-env" variables, before the layers and front-ends register theirs, which
    //    then adopt these values.
    cvar_apply_command_line("-env");
    // 4. The outside layers.
    qrnshared_init(module);
    visbase_init(module);
    sonbase_init(module);
    ctlbase_init(module);
    // 5. The process list's node pool.
    process_table_setup();
    // 6. The processor.
    cpu_display_info();
    // 7. Timers, "sys_info" and the idle process.
    sys_init();
    // 8. Built-in commands.
    cmd_register_builtins();
    // 9. "-lenv" variables, overwriting what the layers registered.
    cvar_apply_command_line("-lenv");
    // 10. The memory manager's process "mm", with the engine's unit system.
    mm_init();
    // 11. The shared layer's second step.
    qrnshared_startup();
    //     The network process, idle until a plug-in opens an interface.
    net_start();
    // 12. The input, graphics and sound front-ends. The input front-end takes the
    //     window's input until a device is picked. Sounds are units of the engine's
    //     unit system, made by the memory manager's process (step 10).
    inp_start();
    gfx_start();
    snd_start(get_engine_ubank(), get_engine_usystem());
    kernel_stop_requests_start();
    // 13. Plug-ins. A failed "-exec" stops every process already added; the loop
    //     still runs until they have gone.
    const bool executed = plugin_args();
    if (!executed) process_terminate_all();
    // 14. The scheduler.
    const uint64_t first_pass = kernel_pass_count();
    kernel_loop();
    kernel_stop_requests_stop();
    const bool run_failed = sys_run_failed();
    // On the fixed clock the run's length is the same every time: a record of it.
    if (const uint32_t step = fixed_clock_step())
        message("[sys] fixed clock: %llu passes of %u us, %.3f s of game time",
                static_cast<unsigned long long>(kernel_pass_count() - first_pass), step, sys_get_time());
    // 15. Shutdown: the sound front-end's second phase, the graphics front-end's and
    //     the input front-end's end.
    snd_stop();
    gfx_stop();
    inp_stop();
    sys_shutdown();
    ctlbase_shutdown();
    sonbase_shutdown();
    qrnshared_shutdown();
    message("[sys] process shutdown");
    cvar_free_dynamic();
    kernel_log_stop();
    // A failed "-exec" is a failed run, and so is one a plug-in failed.
    return executed && !run_failed ? 0 : 1;
}

}  // namespace quarn
