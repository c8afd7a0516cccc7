#include "game/ui/ingame/ghudhdl.h"

#include <cmath>
#include <cstdio>

#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/session/score.h"
#include "game/session/window_desc.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/ingame/ingame_screen.h"
#include "game/ui/menuhdl.h"
#include "game/ui/ui_classes.h"
#include "game/ui/effects/uifx_view.h"
#include "kernel/console/commands.h"
#include "kernel/sys.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"
#include "qrncore/system/timers.h"

namespace quarn {

const ingame_hud_handler_t::bonus_slot_t ingame_hud_handler_t::bonus_slots[BONUS_SLOTS] = {
    {300, 301, 302, "@@bonus_sunglasses@@", "sunglasses"},
    {310, 311, 312, "@@bonus_extended_clip@@", "extended_clip"},
    {320, 321, 322, "@@bonus_quick_shooter@@", "quick_shooter"},
    {330, 331, 332, "@@bonus_weapon@@", "weapon"},
};

namespace {

// The round clock beeps at these whole seconds, the last one with the end beep.
constexpr uint32_t ROUND_BEEPS[] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
constexpr uint32_t ROUND_BEEP_COUNT = sizeof ROUND_BEEPS / sizeof ROUND_BEEPS[0];

constexpr const char *FLAG_KEYS[ingame_hud_handler_t::FLAG_ITEMS] = {"@@flag_vital_hit@@", "@@flag_long_shot@@",
                                                                     "@@flag_skill_shot@@"};
constexpr int32_t DANGER_ITEMS[2] = {ingame_hud_handler_t::ITEM_DANGER_LEFT, ingame_hud_handler_t::ITEM_DANGER_RIGHT};

// The fraction of a timer still to run, 0 to 1 (a timer without total counts as run).
float remaining_fraction(const expire_timer_t &timer) {
    const float left = 1.0f - timer.get_elapsed_relative();
    if (!(left > 0.0f)) return 0.0f;
    return left < 1.0f ? left : 1.0f;
}

}  // namespace

ingame_hud_handler_t::~ingame_hud_handler_t() = default;

// ---- the window's life ----

void ingame_hud_handler_t::on_wcreate() {
    base_handler_t::on_wcreate();
    show_item(GROUP_MENU, false);
    show_item(ITEM_FEVER_TIMER, false);
    set_item_text(ITEM_FEVER_TIMER, TIMER_ZERO);
    show_item(ITEM_FEVER_INFO_FX, false);
    show_item(ITEM_FEVER_FRAME, false);
    show_item(ITEM_TIMER, false);
    set_item_text(ITEM_TIMER, TIMER_ZERO);
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    m_round_timer = hunt ? std::fmax(hunt->get_time_left(), 0.0f) : 0.0f;
    set_item_text(ITEM_SCORE, "0");
    set_item_text(ITEM_REMAINING, "0|0");
    for (const bonus_slot_t &row : bonus_slots) {
        show_item(row.icon, false);
        set_item_text(row.bar, "0|0");
        show_item(row.bar, false);
    }
    show_item(ITEM_AMMO_RELOAD, false);
    show_item(ITEM_FEVER_MULTIPLIER, false);

    char text[64];
    snprintf(text, sizeof text, "@@ui_round@@  %u", ingame_round_number());
    set_item_text(ITEM_ROUND, text);
    const game_data_t *data = get_game_data();
    const bool party = data && data->is_party_mode();
    show_item(GROUP_BONUS_UI, !party);
    const score_u *running = data ? data->get_running_score() : nullptr;
    set_item_text(ITEM_PARTY_PLAYER, running ? running->player_name.c_str() : "");
    show_item(ITEM_PARTY_PLAYER, party);
}

void ingame_hud_handler_t::on_wdestroy() {
    // A window that goes with its menu open gives the game back first, so that the
    // next scene does not start paused and without impulses.
    if (holds_game()) set_menu_visible(false);
    m_forfeit_dialog.release();
    base_handler_t::on_wdestroy();
}

void ingame_hud_handler_t::on_wshow() {
    base_handler_t::on_wshow();
    update_fever_bar(0.0f);
    refresh_score();
    const game_data_t *data = get_game_data();
    if (data && data->get_fever_level() >= hunt_ctrl_u::FEVER_THRESHOLD) show_fever_enabled();
    m_reload_running = false;
}

// ---- every frame ----

void ingame_hud_handler_t::handler() {
    base_handler_t::handler();
    const float dt = float(sys_get_lastdelta());
    if (m_forfeit_dialog) {
        // Counters and clocks stand still under the question.
        if (ui_wis_shown(m_forfeit_dialog.get())) return;
        m_forfeit_dialog.release();
        if (confirm_result) cmd_execute("menu");
        return;
    }
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) {
        update_kills();
        const float left = hunt->get_time_left();
        if (left <= 0.0f) {
            show_item(ITEM_TIMER, false);
        } else {
            if (ui_view_t *timer = ui_view(ITEM_TIMER); timer && !timer->visible) timer->show(true);
            update_timer(ITEM_TIMER, m_round_timer, left, ROUND_RED_BELOW, ROUND_BEEPS, ROUND_BEEP_COUNT);
        }
    }
    if (m_fever) {
        if (ui_view_t *timer = ui_view(ITEM_FEVER_TIMER); timer && !timer->visible) timer->show(true);
        update_timer(ITEM_FEVER_TIMER, m_fever_timer, m_fever->remaining, -1.0f, nullptr, 0);
    }
    update_fever_bar(dt);
    update_bonus_bars();
    update_dangers(dt);
    // A message whose effect could not start (an effect the content lacks) must not
    // hold back every later message of lower priority.
    if (m_message_showing) {
        auto *message = dynamic_cast<uifx_text_view_t *>(ui_view_of(find_item(ITEM_MESSAGE)));
        if (!message || message->is_idle()) m_message_showing = false;
    }
}

void ingame_hud_handler_t::update_kills() {
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    const score_u *round = hunt ? hunt->get_round_score() : nullptr;
    const uint32_t count = round ? round->valid_kills : 0;
    if (int64_t(count) == m_shown_kills) return;
    m_shown_kills = count;
    const game_data_t *data = get_game_data();
    char text[48];
    if (data && data->is_party_mode()) snprintf(text, sizeof text, " |%u| ", count);
    else snprintf(text, sizeof text, "%u|%u|/", count, hunt ? hunt->get_kill_limit() : 0);
    set_item_text(ITEM_REMAINING, text);
}

void ingame_hud_handler_t::update_timer(int32_t item, float &last, float time_left, float red_below,
                                        const uint32_t *beeps, uint32_t beep_count) {
    const float t = std::fmax(time_left, 0.0f);
    const float second = std::floor(t);
    if (beeps && second < std::floor(last)) {
        for (uint32_t i = 0; i < beep_count; ++i) {
            if (float(beeps[i]) < second) break;
            if (float(beeps[i]) == second) play_ui_sound(i + 1 == beep_count ? BEEP_END_SOUND : BEEP_SOUND);
        }
    }
    const char *red = last < red_below ? "\\r" : "";
    // A clock far from its end (a hunt without a round) still fits: 3.4e38 has 39 digits.
    char text[160];
    snprintf(text, sizeof text, "%s%02.0f:%02.0f|%s%02.0f", red, double(std::floor(t * 0.016666668f)),
             double(std::floor(std::fmod(t, 60.0f))), red, double(std::floor((t - second) * 100.0f)));
    set_item_text(item, text);
    last = t;
}

void ingame_hud_handler_t::update_fever_bar(float step) {
    const game_data_t *data = get_game_data();
    const float target = data ? data->get_fever_level() : 0.0f;
    if (step == 0.0f) {
        m_fever_fill = target;
    } else {
        if (m_fever_fill == target) return;
        m_fever_fill = m_fever_fill < target ? std::fmin(m_fever_fill + step, target) : std::fmax(m_fever_fill - step, target);
    }
    char text[32];
    snprintf(text, sizeof text, "%.3f", double(m_fever_fill));
    set_item_text(ITEM_FEVER_FILL, text);
    show_item(ITEM_FEVER_FILL, m_fever_fill > 0.01f);
}

void ingame_hud_handler_t::update_bonus_bars() {
    for (uint32_t i = 0; i < BONUS_SLOTS; ++i) {
        if (!m_bonus[i]) continue;
        ui_view_t *bar = ui_view(bonus_slots[i].bar);
        if (!bar) continue;
        const float remaining = remaining_fraction(*m_bonus[i]);
        const float length = std::fmax(std::fabs(bar->rect.left - bar->rect.right) * remaining, 1.0f);
        char text[64];
        snprintf(text, sizeof text, "%.1f|%.1f", double(length), double(remaining));
        set_item_text(bonus_slots[i].bar, text);
    }
}

void ingame_hud_handler_t::update_dangers(float dt) {
    for (uint32_t side = 0; side < 2; ++side) {
        if (m_danger_countdown[side] <= 0.0f) continue;
        m_danger_countdown[side] -= dt;
        if (m_danger_countdown[side] <= 0.0f) ingame_stop_effect(*this, DANGER_ITEMS[side]);
    }
}

void ingame_hud_handler_t::refresh_score() {
    const game_data_t *data = get_game_data();
    const score_u *running = data ? data->get_running_score() : nullptr;
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    const score_u *round = hunt ? hunt->get_round_score() : nullptr;
    const uint32_t total = score_add_capped(running ? running->score : 0, round ? round->score : 0);
    if (total == m_shown_score) return;
    char text[16];
    snprintf(text, sizeof text, "%u", total);
    set_item_text(ITEM_SCORE, text);
    m_shown_score = total;
}

// ---- actions ----

bool ingame_hud_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    ui_window_t *window = get_window();
    if (!window || !window->is_visible()) return base_handler_t::handle(view, type, param);
    if (ingame_key_released(type, param, INGAME_KEY_ESCAPE) || ingame_key_released(type, param, INGAME_KEY_PAUSE)) {
        set_menu_visible(!is_menu_visible());
        return true;
    }
    if (ingame_key_released(type, param, INGAME_KEY_SPACE)) {
        if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->try_fever();
        return true;
    }
    if (type == UI_ACT_ACTIVATE && view) {
        switch (view->id) {
        case BUTTON_RETURN:
            set_menu_visible(false);
            return true;
        case BUTTON_EXIT_GAME:
            set_menu_visible(false);
            // The question shows over the HUD without its stripes.
            show_confirm_stripes = false;
            m_forfeit_dialog = ingame_show_window(WINDOW_DIALOG_FORFEITGAME);
            return true;
        case BUTTON_OPTIONS:
            set_menu_visible(false);
            menu_screen_handler_t::open(WINDOW_OPTIONS);
            return true;
        case BUTTON_EXIT_DESKTOP:
            set_menu_visible(false);
            menu_screen_handler_t::open(WINDOW_QUIT);
            return true;
        default:
            break;
        }
    }
    return base_handler_t::handle(view, type, param);
}

void ingame_hud_handler_t::on_effect_done(int32_t id) {
    switch (id) {
    case ITEM_AMMO_RELOAD:
        m_reload_running = false;
        break;
    case ITEM_FEVER_MULTIPLIER_FX:
        show_item(ITEM_FEVER_MULTIPLIER, m_fever != nullptr);
        break;
    case ITEM_SCORE_POINTS: {
        const ui_view_t *multiplier = ui_view(ITEM_FEVER_MULTIPLIER);
        if (multiplier && multiplier->visible) ingame_run_on_item(*this, ITEM_FEVER_MULTIPLIER, "uifx.scale.ghost", 1);
        refresh_score();
        break;
    }
    case ITEM_MESSAGE:
        m_message_showing = false;
        break;
    default:
        break;
    }
}

// ---- the menu ----

bool ingame_hud_handler_t::is_menu_visible() {
    const ui_view_t *menu = ui_view(GROUP_MENU);
    return menu ? menu->visible : holds_game();
}

void ingame_hud_handler_t::set_menu_visible(bool visible) {
    show_item(GROUP_MENU, visible);
    hold_game(visible);
}

// ---- what the hunt, the weapons and the bonuses call ----

void ingame_hud_handler_t::show_penalty(uint32_t points) {
    char text[48];
    snprintf(text, sizeof text, "<color value=ff0000ff>- %u", points);
    ingame_show_effect(*this, ITEM_SCORE_POINTS, text);
}

void ingame_hud_handler_t::pulse_fever_bar() { ingame_run_on_item(*this, ITEM_FEVER_FILL, "uifx.scale.ghost", 1); }

void ingame_hud_handler_t::show_fever_enabled() {
    ingame_start_effect(*this, ITEM_FEVER_INFO_FX);
    show_item(ITEM_FEVER_INFO_FX, true);
    show_item(ITEM_FEVER_FRAME, true);
    show_message("@@ui_fever_enabled@@", FEVER_MESSAGE_PRIORITY);
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->play_voiceover_named("vo.breath.control", true);
}

void ingame_hud_handler_t::show_shot_score(uint32_t points, uint32_t flags) {
    char text[16];
    snprintf(text, sizeof text, "%u", points);
    ingame_show_effect(*this, ITEM_SCORE_POINTS, text);
    // The flags fill the items in order: a long shot without a vital hit takes the first.
    int32_t item = ITEM_FLAG_FIRST;
    for (uint32_t bit = 0; bit < FLAG_ITEMS; ++bit)
        if (flags & (1u << bit)) ingame_show_effect(*this, item++, FLAG_KEYS[bit]);
}

void ingame_hud_handler_t::show_message(const char *text, int32_t priority) {
    if (!text || !*text) return;
    if (m_message_showing && priority < m_message_priority) return;
    if (!ingame_show_effect(*this, ITEM_MESSAGE, text)) return;
    m_message_showing = true;
    m_message_priority = priority;
}

void ingame_hud_handler_t::show_gift_received(const char *gift_name, const char *sender_name) {
    mstring_dyn_t key;
    key.printf("@@%s_gift@@", gift_name ? gift_name : "");
    // The translation is data: its "%s" places are filled by the checked formatter.
    mstring_dyn_t text;
    lcl_format(text, "@@gift_received@@", {key.c_str(), sender_name});
    ingame_show_effect(*this, ITEM_GIFT_MESSAGE, text.c_str());
}

void ingame_hud_handler_t::show_reload() {
    if (m_reload_running) return;
    m_reload_running = true;
    ingame_run_on_item(*this, ITEM_AMMO_RELOAD, "uifx.composite.reload", 0, ITEM_AMMO_RELOAD);
    if (hunt_ctrl_u *hunt = hunt_ctrl_u::current()) hunt->play_voiceover_named("vo.reload", false);
}

void ingame_hud_handler_t::show_danger(int32_t side) {
    uint32_t index;
    if (side == DANGER_LEFT) index = 0;
    else if (side == DANGER_RIGHT) index = 1;
    else return;
    if (m_danger_countdown[index] <= 0.0f) ingame_start_effect(*this, DANGER_ITEMS[index]);
    m_danger_countdown[index] = DANGER_HOLD;
}

void ingame_hud_handler_t::set_ammo(const char *glyph, uint32_t loaded, uint32_t capacity) {
    const char c = glyph && *glyph ? *glyph : ' ';
    const uint32_t full = loaded < AMMO_GLYPHS_MAX ? loaded : AMMO_GLYPHS_MAX;
    uint32_t empty = loaded < capacity ? capacity - loaded : 0;
    if (empty > AMMO_GLYPHS_MAX) empty = AMMO_GLYPHS_MAX;
    mstring_dyn_t text;
    for (uint32_t i = 0; i < full; ++i) text.append(c);
    text.append("<color value=50ffffff>");
    for (uint32_t i = 0; i < empty; ++i) text.append(c);
    set_item_text(ITEM_AMMO, text.c_str());
}

void ingame_hud_handler_t::set_bonus(uint32_t slot, bool on, const expire_timer_t *timer, const char *label) {
    // The table has four rows; another index would read past it.
    if (slot >= BONUS_SLOTS) {
        ::quarn::error("[ui] The HUD has no bonus slot %u (0 to %u).", slot, BONUS_SLOTS - 1);
        return;
    }
    const bonus_slot_t &row = bonus_slots[slot];
    if (on) {
        ingame_show_effect(*this, ITEM_SCORE_BONUS, row.announcement);
        m_bonus[slot] = timer;
        set_item_text(row.icon, label && *label ? label : row.default_icon);
        show_item(row.icon, true);
        show_item(row.bar, true);
        show_item(row.background, false);
        return;
    }
    show_item(row.icon, false);
    show_item(row.bar, false);
    show_item(row.background, true);
    ingame_run_on_item(*this, row.icon, "uifx.scale.shrink", -1);
    m_bonus[slot] = nullptr;
}

void ingame_hud_handler_t::set_fever(const expire_timer_t *timer) {
    ingame_stop_effect(*this, ITEM_FEVER_INFO_FX);
    show_item(ITEM_FEVER_INFO_FX, false);
    m_fever = timer;
    show_item(ITEM_FEVER_FRAME, timer != nullptr);
    if (!timer) {
        show_item(ITEM_FEVER_TIMER, false);
        show_item(ITEM_FEVER_MULTIPLIER, false);
        ingame_run_on_item(*this, ITEM_FEVER_MULTIPLIER, "uifx.scale.shrink", -1);
        return;
    }
    m_fever_fill = 1.0f;
    // The fever's time grew (a new fever or an extension): the clock takes a pulse.
    if (m_fever_timer < std::fmax(timer->remaining, 0.0f)) ingame_run_on_item(*this, ITEM_FEVER_TIMER, "uifx.scale.ghost", 1);
    const hunt_ctrl_u *hunt = hunt_ctrl_u::current();
    char text[32];
    snprintf(text, sizeof text, "x %u", hunt ? hunt->get_multiplier() : 1u);
    set_item_text(ITEM_FEVER_MULTIPLIER, text);
    ingame_show_effect(*this, ITEM_FEVER_MULTIPLIER_FX, text);
}

void ingame_hud_handler_t::show_crosshair(bool visible) { show_item(ITEM_CROSSHAIR, visible); }

namespace {

constexpr entity_reg_t INGAME_HUD_REG = game_ui_reg<ingame_hud_handler_t>("ui.handler.ingame.hud");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_hud_screen, quarn::ui_handler_row<quarn::INGAME_HUD_REG>());
