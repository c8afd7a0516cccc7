#include "game/game_module.h"

#include "embedded_archive.h"
#include "kernel/commands.h"
#include "kernel/cvars.h"
#include "kernel/oswindow.h"
#include "kernel/process_table.h"
#include "kernel/sound.h"
#include "outside/qrnshared/dlguard_proc.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Passes the stand-in game runs before it runs "quit"; 0 runs until something else
// does (a signal, closing the window).
cvar_t game_frames("game_frames", "5");

// The game ends the run by asking every process to stop.
int cmd_quit(const cmd_context_t *) {
    process_terminate_all();
    return cmd_t::DONE;
}

cmd_t quit_command("quit", cmd_quit);

// Holds the module while game objects still need it.
class game_guard_t : public dlguard_proc_t {
public:
    explicit game_guard_t(void *module) : dlguard_proc_t(module) { set_name("game_guard"); }
    ~game_guard_t() override { game_module_set_guard(nullptr); }
};

class game_process_t : public vprocess_t {
public:
    game_process_t() : vprocess_t(0) { set_name("game"); }
    ~game_process_t() override { unmount_builtin(); }

    // Mounts the archive stored in the program at the root, at priority 55 (between
    // "base.tzk" at 50 and the patch archives from 60 on).
    bool mount_builtin() {
        unmount_builtin();
        m_builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        if (!m_builtin) error("[game] Error mounting embedded game data.");
        return m_builtin != nullptr;
    }
    void unmount_builtin() {
        if (m_builtin) ufs_unmount(m_builtin);
        m_builtin = nullptr;
    }

    // Opens the window: the system window and, as no renderer does it yet, the main
    // window, then starts the sound device as the game does. A program without any
    // window system runs on without.
    void open_window() {
        snd_init_devices();
        if (!oswindow_init("Fernwold", nullptr, 0)) return;
        oswindow_create(OSWINDOW_MAIN, "Fernwold", 0, 640, 480, false);
        oswindow_show(nullptr);
        oswindow_activate_main_window();
    }

    // Frames run only while the application is active, as the game pauses otherwise.
    void handler() override {
        if (!oswindow_is_application_active()) return;
        snd_update_state();
        if (++m_frames != game_frames.get_int()) return;
        message("%d frames run, ending the run", m_frames);
        cmd_execute("quit");
    }

    // The stop's first pass: the sound devices and the window go.
    void system() override {
        if (signal != SIGNAL_SHUTDOWN) return;
        snd_device_shutdown();
        snd_shutdown_devices();
        oswindow_shutdown();
        unmount_builtin();
    }

private:
    int m_frames = 0;
    fs_device_t *m_builtin = nullptr;
};

class game_ops_t : public dl_ops_t {
public:
    bool dl_register(void *, void *module) override {
        game_guard_t *guard = new game_guard_t(module);
        if (!guard) return false;
        process_add(guard, 0);
        game_module_set_guard(guard);
        return true;
    }

    bool dl_execute(void *, void *, unsigned, void *) override {
        game_process_t *game = new game_process_t;
        if (!game) return false;
        process_add(game, 0);
        if (!game->mount_builtin()) return false;
        cvar_register_variable(&game_frames);
        cmd_register_command(&quit_command);
        game->open_window();
        game->message("stand-in game module running");
        return true;
    }
};

}  // namespace

}  // namespace quarn

quarn::dl_ops_t *game_get_dl_ops() {
    static quarn::game_ops_t ops;
    return &ops;
}
