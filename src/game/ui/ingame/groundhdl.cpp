#include "game/ui/ingame/groundhdl.h"

#include <cstdio>

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/round/bonus_unlocks.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/menuhdl.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/cvar.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

bool performance_tip_offered = false;

namespace {

constexpr const char *TIPPED_VARIABLE = "g_performance_tipped";

const char *round_end_key(uint32_t reason) {
    switch (reason) {
    case hunt_ctrl_u::STATE_FINISHED:
        return "@@ui_end_round_complete@@";
    case hunt_ctrl_u::STATE_TIME_OVER:
        return "@@ui_end_time_over@@";
    case hunt_ctrl_u::STATE_KILLED:
        return "@@ui_end_player_killed@@";
    default:
        return nullptr;
    }
}

}  // namespace

void round_result_continue() {
    game_data_t *data = get_game_data();
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    if (!data || !hunt) return;
    if (data->is_party_mode()) {
        data->next_round();
        return;
    }
    if (hunt->get_kill_stats()->end_reason != hunt_ctrl_u::STATE_FINISHED) {
        ingame_show_window(WINDOW_GAME_HUB);
    } else if (is_bonus_unlock_round(data->round_index + 1)) {
        ingame_show_window(WINDOW_GAME_BONUS);
    } else {
        data->next_round();
    }
}

void ingame_round_handler_t::on_wshow() {
    show_in_game();
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    const score_u *round = hunt ? hunt->get_round_score() : nullptr;
    const game_data_t *data = get_game_data();
    const score_u *running = data ? data->get_running_score() : nullptr;
    const hunt_ctrl_u::kill_stats_t stats = hunt ? *hunt->get_kill_stats() : hunt_ctrl_u::kill_stats_t{};

    char text[96];
    const auto show = [&](int32_t item) { ingame_show_effect(*this, item, text); };
    const auto number = [&](int32_t item, uint32_t value) {
        snprintf(text, sizeof text, "%u", value);
        show(item);
    };
    const auto times = [&](int32_t item, uint32_t value) {
        snprintf(text, sizeof text, "@@ui_multiply@@ %u", value);
        show(item);
    };
    const uint32_t shots = round ? round->shots : 0;
    // In 64 bits: hits × 100 of a long round would pass 32.
    snprintf(text, sizeof text, "%u %%", shots ? uint32_t(uint64_t(round->hits) * 100 / shots) : 0u);
    show(ITEM_ACCURACY);
    number(ITEM_KILLS, round ? round->kills : 0);
    number(ITEM_TROPHY_KILLS, stats.trophy_kills);
    number(ITEM_DANGEROUS_KILLS, stats.dangerous_kills);
    number(ITEM_AMBIENT_KILLS, stats.ambient_kills);
    snprintf(text, sizeof text, "%s%u", stats.protected_kills ? "\\r" : "\\g", stats.protected_kills);
    show(ITEM_PROTECTED_KILLS);
    number(ITEM_ROUND_SCORE, round ? round->score : 0);
    number(ITEM_TROPHY_POINTS, stats.trophy_points);
    number(ITEM_SHOT_POINTS, stats.shot_points);
    times(ITEM_VITAL_HITS, stats.vital_hits);
    times(ITEM_SNIPER_SHOTS, stats.sniper_shots);
    times(ITEM_SKILL_SHOTS, stats.skill_shots);
    snprintf(text, sizeof text, "%s%u", stats.penalty_points ? "\\r- " : "\\g", stats.penalty_points);
    show(ITEM_PENALTY_POINTS);
    number(ITEM_TIME_BONUS, stats.time_bonus);
    number(ITEM_TOTAL_SCORE, running ? running->score : 0);
    if (const char *key = round_end_key(stats.end_reason)) {
        snprintf(text, sizeof text, "%s", key);
        show(ITEM_ROUND_END);
    }
    snprintf(text, sizeof text, "%u|%s", ingame_round_number(),
             stats.end_reason == hunt_ctrl_u::STATE_FINISHED ? "@@ui_round_success@@" : "@@ui_round_failure@@");
    set_item_text(ITEM_CAPTION, text);
}

bool ingame_round_handler_t::tip_due() {
    const float fps = screens_average_fps();
    if (fps < 0.0f || fps >= SLOW_FPS || performance_tip_offered) return false;
    const cvar_t *tipped = menu_cvar(TIPPED_VARIABLE);
    return tipped && tipped->get_int() < TIPS_IN_ALL;
}

void ingame_round_handler_t::continue_game() {
    if (ui_window_t *window = get_window()) ui_whide(window->get_item());
    if (tip_due()) {
        const cvar_t *tipped = menu_cvar(TIPPED_VARIABLE);
        menu_cvar_set_int(TIPPED_VARIABLE, int32_t(tipped->get_int()) + 1);
        performance_tip_offered = true;
        // The tip goes on with round_result_continue when it closes.
        if (menu_screen_handler_t::open(WINDOW_PERFORMANCE)) return;
    }
    round_result_continue();
}

bool ingame_round_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (ingame_escape_or_click(view, type, param, BUTTON_OK)) {
        continue_game();
        return true;
    }
    return base_handler_t::handle(view, type, param);
}

namespace {

constexpr entity_reg_t INGAME_ROUND_REG = game_ui_reg<ingame_round_handler_t>("ui.handler.ingame.round");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_round_result_screen, quarn::ui_handler_row<quarn::INGAME_ROUND_REG>());
