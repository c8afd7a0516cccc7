#include "game/process/game_process.h"

#include "embedded_archive.h"
#include "game/ctrl/menu_ctrl.h"
#include "game/game_localisation.h"
#include "game/game_module.h"
#include "game/game_version.h"
#include "game/process/game_commands.h"
#include "game/process/game_cvars.h"
#include "game/process/round_file.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/ui/menus/loading_screen.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/system/profilerhdl.h"
#include "game/ui/system/system_windows.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/gfx/gfx.h"
#include "kernel/input/input.h"
#include "kernel/oswindow.h"
#include "kernel/process_table.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

game_process_t *the_process = nullptr;

constexpr const char *CONTROLLER_TYPES[] = {"hunt_ctrl", "menu_ctrl", "screensaver_ctrl"};

// Priorities of the game's own mounts: the stored archive between "base.tzk" (50) and
// the patch archives (60 on); translations above every archive.
constexpr int32_t EMBEDDED_PRIORITY = 55;
constexpr int32_t TRANSLATION_PRIORITY = 360;

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

const char *cvar_text(const char *name, const char *fallback) {
    const cvar_t *v = cvar_get(name);
    return v ? v->get_text() : fallback;
}

int32_t cvar_int(const char *name) {
    const cvar_t *v = cvar_get(name);
    return v ? v->get_int() : 0;
}

// The mode taken when "r_mode" holds no mode line.
constexpr const char *DEFAULT_MODE_LINE = "1024x768x32x0";

void settings_warning(const char *text) { warning("%s", text); }

}  // namespace

const char *game_ctrl_type_name(game_ctrl_kind_t kind) {
    return kind >= GAME_CTRL_HUNT && kind <= GAME_CTRL_SCREENSAVER ? CONTROLLER_TYPES[kind] : "";
}

game_process_t *get_game_process() { return the_process; }

namespace {

// The menu screens write these two fields of the current menu controller.
bool menu_ctrl_fields(base_ctrl_u &ctrl, menu_ctrl_fields_t &out) {
    auto *menu = dynamic_cast<menu_ctrl_u *>(&ctrl);
    if (!menu) return false;
    out.scene_visible = &menu->scene_visible;
    out.pending_step = &menu->pending_step;
    return true;
}

}  // namespace

game_process_t::game_process_t() : common_proc_t(PRIORITY) {
    set_name("game");
    the_process = this;
    game_module_set_process(this);
    set_screen_process(this);
    set_menu_ctrl_access(menu_ctrl_fields);
}

game_process_t::~game_process_t() {
    if (get_current_ctrl() || m_controller_running) set_current_ctrl(nullptr);
    unmount_game_data();
    unregister_game_commands();
    unregister_profiler_command();
    if (m_queue.id >= 0) cmd_unregister_queue(&m_queue);
    unregister_game_cvars();
    unregister_screenshot_variable();
    if (the_process == this) the_process = nullptr;
    if (game_module_process() == this) game_module_set_process(nullptr);
    if (get_screen_process() == this) set_screen_process(nullptr);
    if (get_menu_ctrl_access() == menu_ctrl_fields) set_menu_ctrl_access(nullptr);
}

// ---- start-up ----

void game_process_t::init() {
    mount_game_data();
    m_screensaver = cdl_param("-screensaver", 1) != unsigned(-1);
    register_console();
    message("%s init ver.%s\t(rev. \"%s\")", "Fernwold", GAME_VERSION, GAME_BUILD);
    if (!m_mounts.mount_home(STD_HOME_FOLDER)) error("The home folder is not mounted: nothing is stored");
    fs_mkdir("/home/screenshots", FS_REALM_VIRTUAL);
    run_autoexec();
    if (cvar_t *language = cvar_get("g_lang"); language && strcmp(language->get_text(), "en") == 0)
        language->set("en_us");
    const char *language = cvar_text("g_lang", "en_us");
    load_localisation(language);
    message("language %s", language);
    if (cvar_t *device = cvar_get("s_device")) device->set("snddev");
    open_devices();
    platform::settings_store_set_warning_sink(settings_warning);
    m_session = new front_end_session_t();
    if (m_session) message("session started");
    else error("No memory for the front-end session");
    if (!inp_restore_bindings(m_bindings_read ? &m_bindings : nullptr)) error("The built-in key bindings do not apply");
    inp_set_active(true);
    count_rounds();
    cmd_execute(m_screensaver ? "screensaver" : "menu");
}

void game_process_t::mount_failed(const char *text, unsigned line) {
    v_abort_fail(text, "game_process", line, "mount_game_data");
}

void game_process_t::mount_game_data() {
    if (!m_mounts.mount_directories(STD_MOUNT_GAME)) mount_failed("[game] Error mounting external game data.", __LINE__);
    if (m_embedded) ufs_unmount(m_embedded);
    m_embedded = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "",
                                 EMBEDDED_PRIORITY);
    if (!m_embedded) mount_failed("[game] Error mounting embedded game data.", __LINE__);
    if (fs_directory_exists("translation", FS_REALM_SYSTEM)) {
        if (m_translation) ufs_unmount(m_translation);
        m_translation = ufs_mount(FS_DEVICE_DIRECTORY, "translation", "/l10n", true, TRANSLATION_PRIORITY);
    }
    m_mounted = true;
}

void game_process_t::unmount_game_data() {
    if (m_translation) ufs_unmount(m_translation);
    m_translation = nullptr;
    if (m_mounted) m_mounts.unmount_directories();
    m_mounted = false;
    if (m_embedded) ufs_unmount(m_embedded);
    m_embedded = nullptr;
}

void game_process_t::register_console() {
    register_game_cvars();
    if (m_queue.id < 0) cmd_register_queue(&m_queue, COMMAND_QUEUE);
    register_game_commands(m_screensaver);
    register_screenshot_variable();
    // Runs at once, off the queue (the built-in F6 binding).
    register_profiler_command();
}

void game_process_t::open_devices() {
    mstring_dyn_t title;
    if (!lcl_translate_string(title, "@@game_name@@")) title.copy("Fernwold");
    // A program without any window system runs on without windows.
    oswindow_init(title.c_str(), "game.exe", 1);
    ui_init();
    snd_init_devices();
    gfx_init_devices();
    inp_init_devices();
    m_devices_open = true;

    const bool fullscreen = m_screensaver || cvar_int("r_fullscreen") != 0;
    gfx_mode_t mode;
    if (!mode.parse(cvar_text("r_driver", ""), cvar_text("r_device", ""), cvar_text("r_mode", ""), fullscreen)) {
        warning("[game] r_mode '%s' is no video mode: %s is used", cvar_text("r_mode", ""), DEFAULT_MODE_LINE);
        mode.parse(cvar_text("r_driver", ""), cvar_text("r_device", ""), DEFAULT_MODE_LINE, fullscreen);
    }
    // The renderer opens no window of its own: the game's main window is made here.
    if (!oswindow_get_window(OSWINDOW_MAIN))
        oswindow_create(OSWINDOW_MAIN, title.c_str(), 0, mode.mode.width, mode.mode.height, mode.fullscreen);
    oswindow_show(oswindow_get_window(OSWINDOW_MAIN));
    if (!init_gfx2(mode, true)) fatal_no_graphics(__LINE__);

    oswindow_activate_main_window();
    inp_init_input(game_impulses);
    snd_distance_factor(1.0f);
    snd_def_mm_distances(20.0f, 500.0f);
    m_bindings.clear();
    m_bindings_read = m_bindings.read_text(default_bindings, sizeof default_bindings - 1, "<built-in bindings>");
    set_substance_file("/material/material.db");
    substance_db_request();
    m_substances = true;
    if (cvar_int("g_console") != 0) {
        const window_desc_t &console = WINDOW_SYSTEM_CONSOLE;
        m_console_window = ui_winsert(console.group, console.name, console.insert_flags, console.layout);
    }
}

void game_process_t::count_rounds() {
    // The hunt controller's hookup units are what the rounds' trails name: a hunt
    // controller stands while the progression loads.
    unit_system_t *system = unit_system_t::get_default();
    const bool hunt = system && system->get_bank().get_descriptor(CONTROLLER_TYPES[GAME_CTRL_HUNT]) &&
                      install_controller(GAME_CTRL_HUNT);
    owner_ptr_t<unit_base_t> progression(load_round_progression(ROUNDS_PATH));
    m_round_count = round_progression_count(progression.get());
    progression.reset();
    if (hunt) set_current_ctrl(nullptr);
    if (game_data_t *data = get_game_data()) data->round_count = m_round_count;
    message("%u rounds", m_round_count);
}

// ---- shutdown ----

void game_process_t::system() {
    if (signal == SIGNAL_SHUTDOWN) shutdown();
    common_proc_t::system();
}

void game_process_t::shutdown() {
    // Whatever scene is still up goes before the devices it draws and sounds on.
    if (get_current_ctrl()) set_current_ctrl(nullptr);
    m_controller_running = false;
    remove_loading_window();
    remove_console_window();
    delete m_session;
    m_session = nullptr;
    process_store_cfg(CONFIG_PATH);
    if (m_devices_open) {
        shutdown_gfx2();
        snd_device_shutdown();
        gfx_shutdown_devices();
        snd_shutdown_devices();
    }
    // One-shots still sounding (a camera click in the last frames) go now, while the
    // unit system they live in still frees what is released.
    snd_finish();
    if (m_substances) substance_db_release();
    m_substances = false;
    m_bindings.clear();
    m_bindings_read = false;
    if (m_devices_open) oswindow_shutdown();
    m_devices_open = false;
    platform::settings_store_set_warning_sink(nullptr);
    unmount_game_data();
}

void game_process_t::remove_console_window() {
    if (!m_console_window) return;
    c_item_t *window = m_console_window.get();
    m_console_window.release();
    if (ui_is_running()) ui_wremove(window);
}

void game_process_t::remove_loading_window() {
    if (!m_loading_window) return;
    c_item_t *window = m_loading_window.get();
    m_loading_window.release();
    if (ui_get_splash() == window) ui_set_splash(nullptr);
    if (ui_is_running()) ui_wremove(window);
}

[[noreturn]] void game_process_t::fatal_no_graphics(unsigned line) {
    mstring_dyn_t text, caption;
    if (!lcl_translate_string(text, "@@sys_no_graphics@@")) text.copy("sys_no_graphics");
    if (!lcl_translate_string(caption, "@@game_name@@")) caption.copy("game_name");
    error("%s", text.c_str());
    platform::shell_message_box(caption.c_str(), text.c_str());
    v_abort_fail(text.c_str(), "game_process", line, "fatal_no_graphics");
}

// ---- controllers ----

base_ctrl_u *game_process_t::get_ctrl() const { return get_current_ctrl(); }

bool game_process_t::release_controller() {
    remove_loading_window();
    unit_system_t::clean_garbage();
    m_controller_running = false;
    base_ctrl_u *ctrl = get_current_ctrl();
    if (!ctrl) {
        set_current_ctrl(nullptr);
        return true;
    }
    if (ctrl->get_busy_count() != 0) {
        // Closing the windows ends what holds the scene; whatever still holds it then
        // (an effect started while the windows closed) is waited for.
        ctrl->close_windows();
        if (ctrl->get_busy_count() != 0) return false;
    }
    set_current_ctrl(nullptr);
    return true;
}

bool game_process_t::install_controller(game_ctrl_kind_t kind) {
    const char *type = game_ctrl_type_name(kind);
    unit_system_t *system = unit_system_t::get_default();
    owner_ptr_ret_t<base_ctrl_u> ctrl;
    if (system) ctrl = unit_cast<base_ctrl_u>(owner_ptr_ret_t<unit_base_t>(system->create_unit(type)));
    if (!ctrl) {
        set_current_ctrl(nullptr);
        error("No controller of the type '%s' can be made", type);
        return false;
    }
    set_current_ctrl(std::move(ctrl));
    return true;
}

bool game_process_t::is_hunt_ctrl(const base_ctrl_u *ctrl) const {
    if (!ctrl) return false;
    unit_system_t *system = unit_system_t::get_default();
    const unit_descriptor_t *hunt = system ? system->get_bank().get_descriptor(CONTROLLER_TYPES[GAME_CTRL_HUNT]) : nullptr;
    return hunt && unit_system_t::inherits_from(ctrl->get_descriptor(), hunt);
}

void game_process_t::start_round(uint32_t index) {
    if (game_data_t *data = get_game_data()) data->start_round(index);
    else error("No game data: round %u is not started", index);
}

// ---- the loading screen ----

void game_process_t::show_loading(game_loading_kind_t kind) {
    remove_loading_window();
    m_loading_window = ui_winsert(WINDOW_SPLASH_LOAD.group, WINDOW_SPLASH_LOAD.name, WINDOW_SPLASH_LOAD.insert_flags,
                                  WINDOW_SPLASH_LOAD.layout);
    if (!m_loading_window) return;
    ui_set_splash(m_loading_window.get());
    if (loading_screen_t *screen = loading_screen_of(m_loading_window.get()))
        screen->start_loading(kind == GAME_LOADING_ROUND);
    // One frame, so that the screen shows while the scene loads.
    if (gfx_is_active() && is_gfx_up()) render_frame();
}

void game_process_t::finish_loading() {
    if (loading_screen_t *screen = loading_screen_of(m_loading_window.get())) screen->finish_loading();
}

void game_process_t::close_splash() {
    if (ui_is_running()) ui_set_splash(nullptr);
    remove_loading_window();
    m_controller_running = true;
}

// ---- others' operations ----

void game_process_t::set_language(const char *language) {
    load_localisation(language ? language : "");
    m_ui_recache_request = true;
}

void game_process_t::open_link(const char *key) {
    // The game leaves the screen to the browser.
    if (oswindow_record_t *main = oswindow_main_window()) {
        platform::window_event_t event;
        event.window = main->handle;
        event.active = 0;
        event.type = platform::WINDOW_EVENT_ACTIVATE;
        oswindow_procedure(main, event);
        event.type = platform::WINDOW_EVENT_APP_ACTIVATE;
        oswindow_procedure(main, event);
    }
    mstring_dyn_t url;
    if (!lcl_translate_string(url, key ? key : "")) return;
    if (!platform::shell_open_page(url.c_str())) error("The page '%s' does not open", url.c_str());
}

bool game_process_t::find_rounds_on_map(const char *map_name, array_dyn_t<uint32_t> &rounds) const {
    owner_ptr_t<unit_base_t> progression(load_round_progression(ROUNDS_PATH));
    const uint32_t count = round_progression_count(progression.get());
    for (uint32_t n = 1; n <= count; ++n) {
        unit_base_t *round = round_progression_get(progression.get(), n);
        if (round && map_name && strcmp(round_map_name(round), map_name) == 0) rounds.append(n);
    }
    return count > 0;
}

owner_ptr_ret_t<unit_base_t> game_process_t::load_unit_tree(const char *path) { return load_round_progression(path); }

}  // namespace quarn
