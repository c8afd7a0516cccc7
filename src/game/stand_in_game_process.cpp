#include "game/stand_in_game_process.h"

#include "embedded_archive.h"
#include "game/game_module.h"
#include "kernel/commands.h"
#include "kernel/cvars.h"
#include "kernel/input.h"
#include "kernel/oswindow.h"
#include "kernel/process_table.h"
#include "kernel/sound.h"
#include "qrncore/qrnutils/ufs/fs.h"

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

// The game's impulses and its built-in bindings, the system layer of the bindings.
const inp_impulse_name_t game_impulses[] = {
    {100, "forward"},  {101, "backward"},   {102, "left"},       {103, "right"},       {105, "strafeleft"},
    {106, "straferight"}, {107, "lookup"},  {108, "lookdown"},   {109, "fastturn"},    {110, "mleft"},
    {111, "mright"},   {112, "mlookup"},    {113, "mlookdown"},  {130, "weap_fire"},   {131, "weap_reload"},
    {158, "FIXME-HELP"}, {160, "FIXME-BUGREPORT"}, {161, "FIXME-TELEPORT"}, {0, nullptr}};

const char default_bindings[] = R"(def commands {
    def grave { command: "ui t console:system_02" privileged: "1" }
    def f6 { command: "profiler" privileged: "1" }
    def f11 { command: "bugreport" privileged: "1" }
    def f10 { command: "screenshot" privileged: "1" }
}
def impulses {
    def w { impulse: "forward" }
    def s { impulse: "backward" }
    def a { impulse: "strafeleft" }
    def d { impulse: "straferight" }
    def larrow { impulse: "left" }
    def rarrow { impulse: "right" }
    def uarrow { impulse: "lookup" }
    def darrow { impulse: "lookdown" }
    def lshift { impulse: "fastturn" }
    def rshift { impulse: "fastturn" }
    def lctrl { impulse: "weap_fire" }
    def rctrl { impulse: "weap_fire" }
    def mouse1 { impulse: "weap_fire" }
    def enter { impulse: "weap_reload" }
    def r { impulse: "weap_reload" }
    def mouse3 { impulse: "weap_reload" }
    def mouseup { impulse: "mlookdown" }
    def mousedown { impulse: "mlookup" }
    def mouseleft { impulse: "mleft" }
    def mouseright { impulse: "mright" }
}
)";

}  // namespace

stand_in_game_process_t::stand_in_game_process_t() : common_proc_t(0) {
    set_name("game");
    game_module_set_process(this);
}

stand_in_game_process_t::~stand_in_game_process_t() {
    unmount_builtin();
    if (game_module_process() == this) game_module_set_process(nullptr);
}

bool stand_in_game_process_t::start() {
    if (!mount_builtin()) return false;
    cvar_register_variable(&game_frames);
    cmd_register_command(&quit_command);
    run_autoexec();
    open_window();
    message("stand-in game module running");
    return true;
}

// Mounts the archive stored in the program at the root, at priority 55 (between
// "base.tzk" at 50 and the patch archives from 60 on).
bool stand_in_game_process_t::mount_builtin() {
    unmount_builtin();
    m_builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    if (!m_builtin) error("[game] Error mounting embedded game data.");
    return m_builtin != nullptr;
}

void stand_in_game_process_t::unmount_builtin() {
    if (m_builtin) ufs_unmount(m_builtin);
    m_builtin = nullptr;
}

// Opens the system window and, as no renderer does it yet, the main window, then
// starts the sound and input devices and binds the keys as the game does. A program
// without any window system runs on without.
void stand_in_game_process_t::open_window() {
    snd_init_devices();
    inp_init_devices();
    if (!oswindow_init("Fernwold", nullptr, 0)) return;
    oswindow_create(OSWINDOW_MAIN, "Fernwold", 0, 640, 480, false);
    oswindow_show(nullptr);
    oswindow_activate_main_window();
    inp_init_input(game_impulses);
    if (!m_bindings.read_text(default_bindings, sizeof default_bindings - 1, "<built-in bindings>") ||
        !inp_restore_bindings(&m_bindings))
        error("[game] The built-in key bindings do not apply");
    inp_set_active(true);
}

// Frames run only while the application is active, as the game pauses otherwise.
void stand_in_game_process_t::handler() {
    if (!oswindow_is_application_active()) return;
    snd_update_state();
    if (++m_frames != game_frames.get_int()) return;
    message("%d frames run, ending the run", m_frames);
    cmd_execute("quit");
}

// The stop's first pass: the sound devices and the window go.
void stand_in_game_process_t::system() {
    if (signal != SIGNAL_SHUTDOWN) return;
    snd_device_shutdown();
    snd_shutdown_devices();
    oswindow_shutdown();
    unmount_builtin();
}

}  // namespace quarn
