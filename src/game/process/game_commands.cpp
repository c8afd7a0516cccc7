#include "game/process/game_commands.h"

#include <charconv>
#include <cstring>

#include "game/ai/mind/ai_world.h"
#include "game/game_module.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/process/game_hooks.h"
#include "game/process/game_process.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/session/front_end_session.h"
#include "game/ui/system/system_windows.h"
#include "game/visuals/physics/physics_scene.h"
#include "game/world/landscape.h"
#include "game/world/world.h"
#include "kernel/console/commands.h"
#include "outside/qrnshared/cmd.h"
#include "qrncore/strings/cstring.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// A command that runs a method of the game process.
class process_cmd_t : public cmd_t {
public:
    using method_t = int (game_process_t::*)(const cmd_context_t &);

    process_cmd_t(const char *command_name, method_t m) : cmd_t(command_name, &run), method(m) {}

    static int run(const cmd_context_t *c) {
        game_process_t *game = get_game_process();
        if (!game) return FAILED;
        return (game->*static_cast<process_cmd_t *>(c->command)->method)(*c);
    }

    method_t method;
};

int cmd_ragdoll_info(const cmd_context_t *);
int cmd_bugreport(const cmd_context_t *);
int cmd_animalcam(const cmd_context_t *);
int cmd_goto(const cmd_context_t *);
int cmd_accepted(const cmd_context_t *) { return cmd_t::DONE; }

cmd_t ragdoll_info_command("ragdoll_info", cmd_ragdoll_info);
cmd_t bugreport_command("bugreport", cmd_bugreport);
cmd_t animalcam_command("animalcam", cmd_animalcam);
cmd_t goto_command("goto", cmd_goto);
cmd_t bonus_command("bonus", cmd_accepted);
cmd_t gift_command("gift", cmd_accepted);
process_cmd_t map_command("map", &game_process_t::cmd_map);
process_cmd_t exit_command("exit", &game_process_t::cmd_exit);
process_cmd_t menu_command("menu", &game_process_t::cmd_menu);
process_cmd_t start_command("start", &game_process_t::cmd_start);
process_cmd_t time_command("g_time", &game_process_t::cmd_time);
process_cmd_t path_command("g_path", &game_process_t::cmd_path);
process_cmd_t mode_command("g_mode", &game_process_t::cmd_mode);
process_cmd_t screenshot_command("screenshot", &game_process_t::cmd_screenshot);
process_cmd_t init_round_command("init_round", &game_process_t::cmd_init_round);
process_cmd_t screensaver_command("screensaver", &game_process_t::cmd_screensaver);
process_cmd_t quit_command("quit", &game_process_t::cmd_quit);

// In registration order; the last two are the screensaver's too.
cmd_t *const commands[GAME_COMMAND_COUNT] = {
    &ragdoll_info_command, &bugreport_command, &animalcam_command, &goto_command,    &bonus_command,
    &gift_command,         &map_command,       &exit_command,      &menu_command,    &start_command,
    &time_command,         &path_command,      &mode_command,      &screenshot_command, &init_round_command,
    &screensaver_command,  &quit_command,
};
constexpr uint32_t ALWAYS_FIRST = 15;

// Usage texts go to the log on the game process, like every command's messages.
void say(const char *text) {
    if (game_process_t *game = get_game_process()) game->message("%s", text);
    else message("%s", text);
}

// A registered record is in the kernel's list under its own name.
bool is_registered(cmd_t *c) { return cmd_get(c->name) == c; }

// The physics and ragdoll counts of a hunt: the physics scene's counters, then the
// hunt controller's ragdolls; other scenes have none to print.
int cmd_ragdoll_info(const cmd_context_t *) {
    game_process_t *game = get_game_process();
    base_ctrl_u *ctrl = game ? game->get_ctrl() : nullptr;
    auto *hunt = unit_cast<hunt_ctrl_u>(ctrl);
    if (!hunt) return cmd_t::DONE;
    world_u *world = hunt->get_world();
    if (physics_scene_t *physics = world ? world->get_physics_scene() : nullptr) physics->print_info();
    hunt->print_ragdoll_info();
    return cmd_t::DONE;
}

int cmd_bugreport(const cmd_context_t *) {
    front_end_session_t *session = get_front_end_session();
    return session && session->show_window(WINDOW_SYSTEM_BUGREPORT) ? cmd_t::DONE : cmd_t::FAILED;
}

int cmd_animalcam(const cmd_context_t *c) {
    if (c->argc() != 2) {
        say("usage: animalcam animal_id");
        return cmd_t::DONE;
    }
    game_process_t *game = get_game_process();
    base_ctrl_u *ctrl = game ? game->get_ctrl() : nullptr;
    const int32_t index = game_find_animal(ctrl, c->argv(1));
    if (index < 0) {
        say("animal name/index not matched.");
        return cmd_t::DONE;
    }
    auto *follow = game_module_factory<game_animal_camera_t>(GAME_HOOK_ANIMAL_CAMERA);
    if (!follow) {
        error("[game] animalcam: the scene has no animal camera");
        return cmd_t::DONE;
    }
    if (!follow(*ctrl, uint32_t(index))) error("[game] animalcam: the camera does not follow animal %d", index);
    return cmd_t::DONE;
}

bool read_coordinate(const char *text, float &out) {
    const char *end = nullptr;
    const double v = v_strtod(text, &end);
    if (end == text || *v_skip_wspace(end) != 0) return false;
    out = float(v);
    return true;
}

int cmd_goto(const cmd_context_t *c) {
    if (c->argc() != 4) return cmd_t::DONE;
    vec3_t p;
    if (!read_coordinate(c->argv(1), p.x) || !read_coordinate(c->argv(2), p.y) || !read_coordinate(c->argv(3), p.z)) {
        error("[game] goto: '%s %s %s' is no position", c->argv(1), c->argv(2), c->argv(3));
        return cmd_t::DONE;
    }
    game_process_t *game = get_game_process();
    base_ctrl_u *ctrl = game ? game->get_ctrl() : nullptr;
    scene_object_t *player = ctrl ? ctrl->get_player() : nullptr;
    if (!player) {
        error("[game] goto: there is no player to move");
        return cmd_t::DONE;
    }
    player->set_position(p);
    return cmd_t::DONE;
}

}  // namespace

cmd_t *game_command(uint32_t index) { return index < GAME_COMMAND_COUNT ? commands[index] : nullptr; }

void register_game_commands(bool screensaver) {
    for (uint32_t i = screensaver ? ALWAYS_FIRST : 0; i < GAME_COMMAND_COUNT; ++i)
        if (!is_registered(commands[i])) cmd_register_command(commands[i], game_process_t::COMMAND_QUEUE);
}

void unregister_game_commands() {
    for (cmd_t *c : commands)
        if (is_registered(c)) cmd_unregister_command(c);
}

int32_t game_find_animal(base_ctrl_u *ctrl, const char *argument) {
    const ai_world_t *animals = ctrl ? ctrl->get_ai_navigation() : nullptr;
    if (!animals || !argument) return -1;
    const int32_t named = animals->find_animal(argument);
    if (named >= 0) return named;
    // A whole decimal number, nothing before or after it.
    const char *end = argument + strlen(argument);
    uint32_t index = 0;
    const auto r = std::from_chars(argument, end, index);
    if (r.ec != std::errc() || r.ptr != end || end == argument) return -1;
    return index < animals->get_animal_count() ? int32_t(index) : -1;
}

}  // namespace quarn
