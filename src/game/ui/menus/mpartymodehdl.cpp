#include "game/ui/menus/mpartymodehdl.h"

#include <cstdio>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/session/window_desc.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/input_line.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/menus/party_rows.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/lcl.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

bool menu_party_easy = true;
uint32_t menu_party_location = 0;
array_dyn_t<mstring_dyn_t> menu_party_names;

namespace {

const char *difficulty_key() { return menu_party_easy ? "@@difficulty_easy@@" : "@@difficulty_normal@@"; }

const party_location_t &location() { return PARTY_LOCATIONS[menu_party_location % PARTY_LOCATION_COUNT]; }

bool is_blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

// The text without white space at either end.
void trimmed(mstring_dyn_t &out, const char *text) {
    const char *end = text;
    while (*end) ++end;
    while (*text && is_blank(static_cast<unsigned char>(*text))) ++text;
    while (end > text && is_blank(static_cast<unsigned char>(end[-1]))) --end;
    out.copy(string(text), 0, 0, uint32_t(end - text));
}

// "@@ui_player<n>@@" translated (the key itself when it has no text).
void player_label(mstring_dyn_t &out, uint32_t n) {
    char key[32];
    snprintf(key, sizeof key, "@@ui_player%u@@", n);
    if (!lcl_translate_string(out, key)) out.copy(key);
}

}  // namespace

bool menu_party_handler_t::name_text_ok(const char *text) {
    for (const char *c = text ? text : ""; *c; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (!ui_is_alnum(byte) && byte != '_' && byte != ' ') return false;
    }
    return true;
}

void menu_party_handler_t::set_name_row(uint32_t row, bool playing) {
    auto *line = ui_get<ui_input_line_t>(NAME_FIRST + int32_t(row));
    if (!line) return;
    if (playing) {
        mstring_dyn_t label;
        player_label(label, row);
        line->set_text(label.c_str(), false);
    } else {
        line->set_text(" ", false);
    }
    line->activate(playing);
}

void menu_party_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    menu_set_scene_visible(true);
    game_data_t *data = get_game_data();
    const bool party = data && data->is_party_mode();
    if (ui_view_t *shield = ui_view(ITEM_SETUP_SHIELD)) shield->activate(party);
    if (!menu_party_names.is_empty()) {
        for (uint32_t i = 0; i < menu_party_names.get_count() && i < MAX_PLAYERS; ++i) {
            if (auto *toggle = ui_get<ui_button_t>(TOGGLE_FIRST + int32_t(i))) toggle->set_down(true);
            if (auto *line = ui_get<ui_input_line_t>(NAME_FIRST + int32_t(i))) {
                line->set_text(menu_party_names[i].c_str(), false);
                line->activate(true);
            }
        }
    } else {
        for (uint32_t i = 0; i < MAX_PLAYERS; ++i) {
            if (auto *toggle = ui_get<ui_button_t>(TOGGLE_FIRST + int32_t(i))) toggle->set_down(i < 2);
            set_name_row(i, i < 2);
        }
    }
    fill_ranking();
    show_settings();
}

void menu_party_handler_t::fill_ranking() {
    auto *list = ui_get<ui_list_t>(LIST_RANKING);
    if (!list) return;
    list->clear_items();
    game_data_t *data = get_game_data();
    mstring_dyn_t row;
    if (!data || !data->is_party_mode()) {
        for (uint32_t place = 1; place <= MAX_PLAYERS; ++place) {
            row.printf("%u|---|--|@@ui_player_na@@", place);
            ui_list_item_t item;
            item.zml = row.c_str();
            list->insert_item(item, ui_list_item_t::ZML, list->item_count());
        }
        return;
    }
    for (uint32_t i = 0; i < data->get_party_player_count(); ++i) {
        mstring_dyn_t name;
        party_standing_t standing;
        if (!data->get_party_player(i, &name, &standing)) continue;
        char change[24] = "--";
        if (standing.rank_change >= 1) snprintf(change, sizeof change, "\\g%+i", standing.rank_change);
        else if (standing.rank_change < 0) snprintf(change, sizeof change, "\\r%+i", standing.rank_change);
        const uint32_t points = standing.party_points > 0 ? uint32_t(standing.party_points) : 0;
        row.printf("%u|%u|%s|%s", uint32_t(standing.rank), points, change, name.c_str());
        ui_list_item_t item;
        item.zml = row.c_str();
        item.text = name.c_str();
        item.data = party_row_data(i, points);
        list->insert_item(item, ui_list_item_t::ZML | ui_list_item_t::TEXT | ui_list_item_t::DATA, list->item_count());
    }
    list->sort_items(&party_row_compare);
}

void menu_party_handler_t::show_settings() {
    set_item_text(BUTTON_DIFFICULTY, difficulty_key());
    set_item_text(BUTTON_LOCATION, location().shown);
}

void menu_party_handler_t::focus_name(int32_t id) {
    ui_window_t *window = get_window();
    ui_view_t *line = ui_view(id);
    if (window && line) window->set_focus(line);
}

bool menu_party_handler_t::collect_names(array_dyn_t<mstring_dyn_t> &names) {
    names.clear();
    for (uint32_t i = 0; i < MAX_PLAYERS; ++i) {
        auto *toggle = ui_get<ui_button_t>(TOGGLE_FIRST + int32_t(i));
        if (!toggle || !toggle->down) continue;
        auto *line = ui_get<ui_input_line_t>(NAME_FIRST + int32_t(i));
        mstring_dyn_t name;
        trimmed(name, line ? line->get_text() : "");
        if (name.is_empty()) {
            focus_name(NAME_FIRST + int32_t(i));
            return false;
        }
        names.append(std::move(name));
    }
    return true;
}

void menu_party_handler_t::start_match() {
    game_data_t *data = get_game_data();
    if (!data) return;
    if (!data->is_party_mode()) {
        array_dyn_t<mstring_dyn_t> names;
        if (!collect_names(names)) return;
        menu_party_names = std::move(names);
        const char *list[MAX_PLAYERS] = {};
        uint32_t count = 0;
        for (const mstring_dyn_t &n : menu_party_names)
            if (count < MAX_PLAYERS) list[count++] = n.c_str();
        data->set_party_players(list, count);
    }
    array_dyn_t<uint32_t> rounds;
    screens_find_rounds_on_map(location().map, rounds);
    if (rounds.is_empty()) {
        error("[mpartymodehdl] Found no party rounds for given difficulty (%s) & location (%s)", difficulty_key(),
              location().map);
        return;
    }
    base_ctrl_u *ctrl = get_current_ctrl();
    const uint32_t pick = ctrl ? ctrl->get_random().rand_u(rounds.get_count()) : 0;
    data->start_game(rounds[pick < rounds.get_count() ? pick : 0], !menu_party_easy);
}

void menu_party_handler_t::end_party() {
    if (game_data_t *data = get_game_data()) data->clear_party();
    open(WINDOW_MAIN_MENU);
}

bool menu_party_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (!window_shown()) return menu_screen_handler_t::handle(view, type, param);
    if (is_escape(type, param)) {
        menu_screen_handler_t::handle(view, type, param);
        end_party();
        return true;
    }
    if (type == UI_ACT_TEXT_CHECK && param) {
        param->accept = name_text_ok(param->text);
        return true;
    }
    if (type == UI_ACT_BUTTON_DOWN && view && view->id >= SHIELD_FIRST && view->id < SHIELD_FIRST + 4 && param &&
        (param->word0 & 1)) {
        focus_name(view->id - (SHIELD_FIRST - NAME_FIRST));
        return menu_screen_handler_t::handle(view, type, param);
    }
    if (type != UI_ACT_ACTIVATE || !view) return menu_screen_handler_t::handle(view, type, param);
    const int32_t id = view->id;
    if (id == BUTTON_END || id == BUTTON_START || id == TOGGLE_FIRST + 2 || id == TOGGLE_FIRST + 3 ||
        (id >= NAME_FIRST && id < NAME_FIRST + 4) || id == BUTTON_DIFFICULTY || id == BUTTON_LOCATION) {
        menu_screen_handler_t::handle(view, type, param);
    } else {
        return menu_screen_handler_t::handle(view, type, param);
    }
    switch (id) {
    case BUTTON_END:
        end_party();
        break;
    case BUTTON_START:
        start_match();
        break;
    case TOGGLE_FIRST + 2:
    case TOGGLE_FIRST + 3: {
        const bool down = param && param->word0 != 0;
        set_name_row(uint32_t(id - TOGGLE_FIRST), down);
        if (down) focus_name(id + (NAME_FIRST - TOGGLE_FIRST));
        break;
    }
    case BUTTON_DIFFICULTY:
        menu_party_easy = !menu_party_easy;
        show_settings();
        break;
    case BUTTON_LOCATION:
        menu_party_location = (menu_party_location + 1) % PARTY_LOCATION_COUNT;
        show_settings();
        break;
    default: {
        // A name confirmed: the next enabled name row after it, else the first.
        int32_t next = NAME_FIRST;
        for (int32_t candidate = id + 1; candidate < NAME_FIRST + 4; ++candidate) {
            const ui_view_t *line = ui_view(candidate);
            if (line && line->is_active()) {
                next = candidate;
                break;
            }
        }
        focus_name(next);
        break;
    }
    }
    return true;
}

namespace {

constexpr entity_reg_t MENU_PARTY_REG = game_ui_reg<menu_party_handler_t>("ui.handler.menu.party");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_party_screen, quarn::ui_handler_row<quarn::MENU_PARTY_REG>());
