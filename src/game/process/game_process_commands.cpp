// The commands that are the game process's own: they replace the controller (map,
// menu, start, init_round, screensaver, quit), change the graphics (g_path, g_mode) or
// the scene's clock (g_time). A command that must let the controller go returns 0
// while it is busy, so that the kernel runs it again on a later pass.
#include <charconv>
#include <cmath>
#include <cstring>

#include "game/ctrl/menu_ctrl.h"
#include "game/game_data.h"
#include "game/game_module.h"
#include "game/process/game_hooks.h"
#include "game/process/game_process.h"
#include "game/process/round_file.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/session/front_end_session.h"
#include "game/world/environment.h"
#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/def_resource.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr int DONE = cmd_t::DONE;
constexpr int FAILED = cmd_t::FAILED;
// Run again on a later pass: the controller is still busy.
constexpr int AGAIN = 0;

// A whole decimal number; false for anything else (the text then names no round).
bool read_unsigned(const char *text, uint32_t &out) {
    const char *end = text + strlen(text);
    const auto r = std::from_chars(text, end, out);
    return r.ec == std::errc() && r.ptr == end && end != text;
}

// A decimal number of hours, the whole text, finite as a float.
bool read_hours(const char *text, float &out) {
    const char *end = text;
    const double value = v_strtod(text, &end);
    if (end == text || *end || !std::isfinite(float(value))) return false;
    out = float(value);
    return true;
}

}  // namespace

// ---- missions ----

namespace {

// The mission file as a definition resource, held while the scene starts from it; a
// mission file is written anew for each start, so its item goes with the last hold.
c_item_t *obtain_mission(const char *path) {
    return mm_obtain_resource(MM_NAMED_LOAD, path, &def_resource_u::unit_descriptor, c_item_t::DESTROY_IMMEDIATELY);
}

}  // namespace

bool game_process_t::start_mission_file(base_ctrl_u &ctrl, const char *path) {
    c_item_lock_t mission(obtain_mission(path));
    const def_pool_t *pool = def_resource_u::pool_of(mission.get_data());
    if (!pool) {
        error("Mission (%s) does not exist.", path);
        return false;
    }
    return start_mission(ctrl, *pool, path);
}

bool game_process_t::start_mission(base_ctrl_u &ctrl, const def_pool_t &pool, const char *path) {
    auto *start = game_module_factory<game_start_mission_t>(GAME_HOOK_START_MISSION);
    if (!start) {
        error("Map start-up is not available: the mission '%s' does not start", path);
        return false;
    }
    if (!start(ctrl, pool, path)) {
        error("The mission '%s' does not start", path);
        return false;
    }
    return true;
}

int game_process_t::cmd_map(const cmd_context_t &c) {
    if (c.argc() < 2) {
        message("\\yusage:\\w map MAP_NAME [START_POINT_ID]");
        return DONE;
    }
    if (!release_controller()) return AGAIN;
    def_pool_t pool;
    def_obj_t *general = nullptr;
    const bool built = pool.create_object("animals") && (general = pool.create_object("general")) &&
                       general->set_value("area", c.argv(1)) && general->set_int("time", 10) &&
                       general->set_value("weather", "clear") &&
                       (c.argc() < 3 || general->set_value("start_id", c.argv(2)));
    auto_ptr_t<file_t> file = built ? fs_create(MISSION_PATH, FS_REALM_VIRTUAL) : auto_ptr_t<file_t>::ret_t();
    if (!file || !pool.write_to(*file)) {
        // The message carries the tag of the writer's class, as the console shows it.
        quarn::error("[game_process_t] cannot save %s", MISSION_PATH);
        return leave_for_menu();
    }
    file.reset();
    mstring_dyn_t line;
    if (line.printf("start %s", MISSION_PATH)) cmd_execute(line.c_str());
    return DONE;
}

int game_process_t::cmd_exit(const cmd_context_t &) {
    cmd_execute("menu");
    return DONE;
}

int game_process_t::cmd_menu(const cmd_context_t &c) {
    if (c.argc() >= 3) {
        message("\\yusage:\\w menu [start screen]");
        return DONE;
    }
    if (!release_controller()) return AGAIN;
    open_menu(c.argc() == 2 ? c.argv(1) : nullptr);
    return DONE;
}

bool game_process_t::open_menu(const char *start_screen) {
    if (!install_controller(GAME_CTRL_MENU)) {
        m_controller_running = false;
        return false;
    }
    if (menu_ctrl_u *menu = unit_cast<menu_ctrl_u>(get_ctrl()); menu && start_screen) {
        if (strcmp(start_screen, "highscore") == 0) menu->menu_kind = menu_ctrl_u::MENU_HIGHSCORE;
        else if (strcmp(start_screen, "party") == 0) menu->menu_kind = menu_ctrl_u::MENU_PARTY;
    }
    get_ctrl()->activate();
    m_controller_running = true;
    return true;
}

int game_process_t::leave_for_menu() {
    // The controller before was let go and nothing took its place: without this the
    // player would face a black screen with no window and no way on.
    close_splash();
    message("Back to the menu: nothing was started.");
    open_menu(nullptr);
    return DONE;
}

int game_process_t::cmd_start(const cmd_context_t &c) {
    if (c.argc() < 2) {
        message("\\yusage:\\w start MISSION_FILE_NAME");
        return DONE;
    }
    if (!release_controller()) return AGAIN;
    const char *path = c.argv(1);
    c_item_lock_t mission(obtain_mission(path));
    const def_pool_t *pool = def_resource_u::pool_of(mission.get_data());
    if (!pool) {
        error("Mission (%s) does not exist.", path);
        return leave_for_menu();
    }
    show_loading(GAME_LOADING_MISSION);
    message("Starting mission '%s'.", path);
    if (game_data_t *data = get_game_data()) data->mission_name.copy(path);
    if (!install_controller(GAME_CTRL_HUNT) || !start_mission(*get_ctrl(), *pool, path)) return leave_for_menu();
    get_ctrl()->activate();
    finish_loading();
    return DONE;
}

int game_process_t::cmd_time(const cmd_context_t &c) {
    // An hour that is no number is refused like a missing one: read as 0 it would
    // quietly set midnight.
    float hours = 0.0f;
    if (c.argc() != 2 || !read_hours(c.argv(1), hours)) {
        error("Unable to change game-time - not enough parameters - usage: g_time <hour>");
        return FAILED;
    }
    base_ctrl_u *ctrl = get_ctrl();
    environment_u *environment = ctrl ? ctrl->get_environment() : nullptr;
    if (!environment) {
        error("g_time: the scene has no environment");
        return DONE;
    }
    environment->set_time_of_day(hours);
    return DONE;
}

int game_process_t::cmd_path(const cmd_context_t &c) {
    if (c.argc() != 2) {
        error("Unable to change path - not enough parameters - usage: g_path path");
        return FAILED;
    }
    common_shutdown_effects(get_context(), get_path());
    if (cvar_t *path = cvar_get("r_path")) path->set(c.argv(1));
    set_path(choose_gfx_path(get_context()));
    common_init_effects(get_context(), get_path());
    ui_recache();
    return DONE;
}

int game_process_t::cmd_mode(const cmd_context_t &c) {
    if (c.argc() != 5) {
        error("Unable to change mode - not enough params - usage: g_mode driver device modeline fullscreen.");
        return FAILED;
    }
    gfx_mode_t mode;
    if (!mode.parse(c.argv(1), c.argv(2), c.argv(3), strcmp(c.argv(4), "1") == 0)) {
        error("Unable to change mode - not enough params - usage: g_mode driver device modeline fullscreen.");
        return FAILED;
    }
    m_requested_mode = mode;
    apply_mode_switch();
    return DONE;
}

int game_process_t::cmd_init_round(const cmd_context_t &c) {
    if (c.argc() != 2) {
        message("\\yusage:\\w init_round <round_id>");
        return DONE;
    }
    game_data_t *data = get_game_data();
    // The id is checked before anything changes: a bad one keeps the running scores
    // and the controller.
    uint32_t id = 0;
    if (!read_unsigned(c.argv(1), id)) id = 0;
    if (id == 0 || id > m_round_count) {
        if (data) data->take_round_start_pending();
        error("Tried to start round (%u), which does not exist.", id);
        return DONE;
    }
    if (!release_controller()) return AGAIN;
    const bool set_up_by_game_data = data && data->take_round_start_pending();
    // From here on the controller before is gone: a round that does not start leads
    // back to the menu.
    if (!install_controller(GAME_CTRL_HUNT)) return leave_for_menu();
    // Loaded after the new controller: the trails name its hookup units.
    owner_ptr_t<unit_base_t> progression(load_unit_tree(ROUNDS_PATH));
    if (!progression) return leave_for_menu();
    if (round_progression_count(progression.get()) == 0) {
        error("round_progression has no rounds");
        return leave_for_menu();
    }
    owner_ptr_ret_t<unit_base_t> round = round_progression_take(progression.get(), id);
    if (!round) {
        error("Round (%u) does not exist", id);
        return leave_for_menu();
    }
    auto *hand_over = game_module_factory<game_start_round_t>(GAME_HOOK_START_ROUND);
    if (!hand_over) {
        error("The hunt takes no rounds yet: round %u is not started", id);
        return leave_for_menu();
    }
    show_loading(GAME_LOADING_ROUND);
    message("Starting round '%u'.", id);
    if (!hand_over(*get_ctrl(), std::move(round))) {
        error("The hunt does not take round %u", id);
        return leave_for_menu();
    }
    // The scores start anew only once the round is there to play.
    if (data && !set_up_by_game_data) data->reset_scores();
    get_ctrl()->activate();
    finish_loading();
    return DONE;
}

int game_process_t::cmd_screensaver(const cmd_context_t &) {
    if (!release_controller()) return AGAIN;
    if (!generate_random_mission(MISSION_PATH, true)) {
        error("Failed to generate mission");
        return DONE;
    }
    c_item_lock_t mission(obtain_mission(MISSION_PATH));
    const def_pool_t *pool = def_resource_u::pool_of(mission.get_data());
    if (!pool) {
        error("Mission (%s) does not exist.", MISSION_PATH);
        return DONE;
    }
    message("Starting screensaver");
    if (game_data_t *data = get_game_data()) {
        data->set_mode(game_data_t::MODE_SCREENSAVER);
        data->mission_name.copy(MISSION_PATH);
    }
    if (!install_controller(GAME_CTRL_SCREENSAVER)) return DONE;
    show_loading(GAME_LOADING_MISSION);
    start_mission(*get_ctrl(), *pool, MISSION_PATH);
    get_ctrl()->activate();
    close_splash();
    return DONE;
}

int game_process_t::cmd_quit(const cmd_context_t &) {
    if (!release_controller()) return AGAIN;
    delete m_session;
    m_session = nullptr;
    unit_system_t::clean_garbage();
    remove_console_window();
    process_terminate_all();
    return DONE;
}

}  // namespace quarn
