// The UI layer's rows of the game module's table: the framework's window and group
// classes, the localisation API with the module's translation callback, the layer
// and its markup while the guard lives, and the recache after a change of language.
#include "game/game_localisation.h"
#include "game/game_rows.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "outside/qrnshared/ui/zml.h"

namespace quarn {

namespace {

constexpr entity_reg_t UI_WINDOW = game_ui_reg<ui_window_t>("ui.window");
constexpr entity_reg_t UI_GROUP = game_ui_reg<ui_group_t>("ui.comp.group");

bool request_localisation(const game_row_args_t &) {
    lcl_api_request();
    lcl_set_callback(&translate_callback);
    return true;
}

bool release_localisation_api(const game_row_args_t &) {
    lcl_api_release();
    return true;
}

// The game's texts are always translated: "@@key@@" in markup is looked up.
bool start_markup(const game_row_args_t &) {
    const bool ok = ui_init() && zml_init();
    zml_localized(true);
    return ok;
}

// Every window goes (their objects hold the module) before the markup lets go of its
// fonts and materials.
bool stop_markup(const game_row_args_t &) {
    ui_shutdown();
    zml_shutdown();
    return true;
}

bool recache(const game_row_args_t &) {
    ui_recache();
    return true;
}

}  // namespace

}  // namespace quarn

using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(ui,
                 quarn::ui_component_row<quarn::UI_WINDOW>(),
                 quarn::ui_component_row<quarn::UI_GROUP>(),
                 game_row(game_step_t::GUARD_LOCALISATION, "lcl_set_callback", quarn::request_localisation),
                 game_row(game_step_t::GUARD_MARKUP, "ui_init", quarn::start_markup),
                 game_row(game_step_t::PASS_UI_RECACHE, "ui_recache", quarn::recache),
                 game_row(game_step_t::STOP_MARKUP, "ui_shutdown", quarn::stop_markup),
                 game_row(game_step_t::STOP_LOCALISATION_API, "lcl_api_release", quarn::release_localisation_api));
