#include "game/ui/menus/mmainhdl.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "game/game_data.h"
#include "game/game_version.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/menus/confirmhdl.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/menu_ctrl_link.h"
#include "game/ui/controls/portal_control.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/controls/text_control.h"
#include "game/ui/ui_classes.h"
#include "kernel/sys.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

bool menu_attract_mode = false;

namespace {

// The markup a text item shows (a templated text's filled template), or "".
const char *shown_markup(const ui_view_t *view) {
    const auto *text = dynamic_cast<const ui_text_t *>(view);
    return text ? text->text.c_str() : "";
}

}  // namespace

bool menu_handle_link(base_handler_t &screen, ui_view_t *view, uint32_t type) {
    if (!view || (view->id != MENU_LINK_MAKER && view->id != MENU_LINK_GAME)) return false;
    if (type == UI_ACT_POINTER_ENTER) {
        screen.set_pointer_state(base_handler_t::POINTER_LINK);
        return false;  // the base's answer stands
    }
    if (type != UI_ACT_ACTIVATE) return false;
    const auto *button = dynamic_cast<const ui_common_button_t *>(view);
    screens_open_link(button ? button->value.c_str() : "");
    return true;
}

// ---- the main menu ----

void menu_main_handler_t::on_wcreate() {
    menu_screen_handler_t::on_wcreate();
    // Quitting always sounds.
    add_sounding_id(BUTTON_QUIT);
    char text[64];
    snprintf(text, sizeof text, "@@ui_version@@%s", GAME_VERSION);
    set_item_text(ITEM_VERSION, text);
}

void menu_main_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    menu_set_scene_visible(true);
    ui_pshow(0);
    if (game_data_t *data = get_game_data()) data->set_mode(game_data_t::MODE_PLAY);
    menu_attract_mode = false;
}

void menu_main_handler_t::handler() {
    menu_screen_handler_t::handler();
    if (!window_shown() || get_idle_time() <= ATTRACT_IDLE) return;
    menu_attract_mode = true;
    open(WINDOW_HIGHSCORES);
}

bool menu_main_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = menu_screen_handler_t::handle(view, type, param);
    if (!window_shown()) return base;
    if (view && (view->id == MENU_LINK_MAKER || view->id == MENU_LINK_GAME)) {
        return menu_handle_link(*this, view, type) || base;
    }
    if (type != UI_ACT_ACTIVATE || !view) return false;
    switch (view->id) {
    case BUTTON_PLAY: {
        const char *flags = menu_cvar_text("g_run_flags");
        if (strstr(flags, "Played")) {
            open(WINDOW_PLAY_MENU);
            break;
        }
        // The first game opens the help pages first.
        mstring_dyn_t marked(flags);
        marked.append("Played;");
        menu_cvar_set("g_run_flags", marked.c_str());
        open(WINDOW_HELP);
        break;
    }
    case BUTTON_PARTY:
        open(WINDOW_PARTY_SETUP);
        break;
    case BUTTON_HIGHSCORE:
        open(WINDOW_HIGHSCORES);
        break;
    case BUTTON_OPTIONS:
        open(WINDOW_OPTIONS);
        break;
    case BUTTON_CREDITS:
        open(WINDOW_CREDITS);
        break;
    case BUTTON_QUIT:
        open(WINDOW_QUIT);
        break;
    default:
        return false;
    }
    return true;
}

// ---- the high scores ----

menu_highscore_handler_t::~menu_highscore_handler_t() = default;

ui_portal_t *menu_highscore_handler_t::portal() { return ui_get<ui_portal_t>(ITEM_PORTAL); }

ui_list_t *menu_highscore_handler_t::list() {
    ui_portal_t *p = portal();
    ui_window_t *page = p ? p->get_child() : nullptr;
    ui_list_t *found = page ? dynamic_cast<ui_list_t *>(ui_view_of(find_item_by_id(page, PAGE_LIST))) : nullptr;
    if (p && !found) report_item(PAGE_LIST, false);
    return found;
}

void menu_highscore_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    menu_set_scene_visible(true);
    fill_table();
    m_passes = 0;
    show_item(ITEM_CONTROLS, !menu_attract_mode);
    ui_pshow(menu_attract_mode ? -1 : 0);
}

void menu_highscore_handler_t::fill_table() {
    ui_portal_t *p = portal();
    ui_list_t *rows = list();
    m_countdown = PAUSE;
    if (!p || !rows) return;
    rows->clear_items();
    const front_end_session_t *session = get_front_end_session();
    const score_table_u *table = session ? session->get_high_scores() : nullptr;
    const uint32_t count = table ? table->get_count() : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const score_u *entry = table->get_entry(i);
        if (!entry) continue;
        char round[16] = "--";
        if (entry->round != 0) snprintf(round, sizeof round, "%u", entry->round);
        mstring_dyn_t row;
        row.printf("%u|%u|%s|%s", i + 1, entry->score, round, entry->player_name.c_str());
        ui_list_item_t item;
        item.zml = row.c_str();
        item.text = entry->player_name.c_str();
        rows->insert_item(item, ui_list_item_t::ZML | ui_list_item_t::TEXT, rows->item_count());
    }
    // The list is as tall as its rows, its bottom edge where the page puts it.
    const uint32_t shown = rows->item_count();
    const float height = shown ? float(shown) * rows->item_height + float(shown - 1) * rows->item_gap : 0.0f;
    if (rows->rect.height() != height) {
        rows->rect.top = rows->rect.bottom + height;
        rows->changed(UI_CHANGED_SIZE);
    }
    m_stop = p->rect.height();
    m_end = height;
    m_position = m_stop;
    place_list();
}

void menu_highscore_handler_t::place_list() {
    // The offset puts the list's bottom edge that far above the portal's bottom edge
    // (y grows upward): at the stop point the table's top stands at the portal's top.
    if (ui_portal_t *p = portal()) p->move_child(0.0f, m_position - m_end);
}

void menu_highscore_handler_t::handler() {
    menu_screen_handler_t::handler();
    if (!window_shown()) return;
    watch_reset_dialog();
    if (menu_attract_mode) {
        if (get_idle_time() < 1.0f) {
            open(WINDOW_MAIN_MENU);
            return;
        }
        if (m_passes >= ATTRACT_PASSES) {
            open(WINDOW_CREDITS);
            return;
        }
    }
    scroll(float(sys_get_lastdelta()));
}

void menu_highscore_handler_t::scroll(float dt) {
    m_countdown -= dt;
    if (m_countdown > 0.0f) return;
    const float speed = 0.375f * std::fmin(std::fabs(m_stop - m_position), 200.0f) + 15.0f;
    const float old = m_position;
    m_position += speed * dt;
    if (old < m_stop && m_position >= m_stop) m_countdown = PAUSE;
    if (m_position > m_end) {
        m_position = 0.0f;
        ++m_passes;
    }
    place_list();
}

void menu_highscore_handler_t::watch_reset_dialog() {
    if (!m_reset_dialog || ui_wis_shown(m_reset_dialog.get())) return;
    m_reset_dialog.release();
    show_item(ITEM_WHOLE, true);
    if (!confirm_result) return;
    front_end_session_t *session = get_front_end_session();
    if (session) session->reset_high_scores();
    fill_table();
}

bool menu_highscore_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = menu_screen_handler_t::handle(view, type, param);
    if (!window_shown()) return base;
    if (is_escape(type, param)) {
        open(WINDOW_MAIN_MENU);
        return true;
    }
    if (!view) return base;
    if (type == UI_ACT_POINTER_ENTER && view->id == BUTTON_ONLINE) {
        set_pointer_state(POINTER_LINK);
        return base;
    }
    if (type != UI_ACT_ACTIVATE) return base;
    switch (view->id) {
    case BUTTON_BACK:
        open(WINDOW_MAIN_MENU);
        return true;
    case BUTTON_ONLINE:
        screens_open_link("@@url_online_score_view@@");
        return true;
    case BUTTON_RESET:
        if (front_end_session_t *session = get_front_end_session()) m_reset_dialog = session->show_window(WINDOW_DIALOG_RESETSCORE);
        if (m_reset_dialog) show_item(ITEM_WHOLE, false);
        return true;
    default:
        return base;
    }
}

// ---- the credits ----

ui_view_t *menu_credits_handler_t::first_shown_block() {
    for (int32_t id = FIRST_BLOCK; id <= LAST_BLOCK; ++id) {
        ui_view_t *block = ui_view_of(find_item(id));
        if (block && block->visible) return block;
    }
    return nullptr;
}

void menu_credits_handler_t::on_wshow() {
    menu_screen_handler_t::on_wshow();
    menu_set_scene_visible(true);
    for (int32_t id = FIRST_BLOCK; id <= LAST_BLOCK; ++id)
        if (ui_view_t *block = ui_view_of(find_item(id))) block->show(true);
    stop_uifx(-1);
    show_item(ITEM_CONTROLS, !menu_attract_mode);
    ui_pshow(menu_attract_mode ? -1 : 0);
    char voice[256];
    snprintf(voice, sizeof voice, VOICE, menu_cvar_text("g_lang"));
    menu_play_sound(voice, VOICE_VOLUME);
}

void menu_credits_handler_t::handler() {
    menu_screen_handler_t::handler();
    if (!window_shown() || !menu_attract_mode) return;
    if (get_idle_time() < 1.0f) {
        open(WINDOW_MAIN_MENU);
        return;
    }
    if (get_idle_time() <= BLOCK_IDLE || !uifx_idle()) return;
    ui_view_t *block = first_shown_block();
    if (!block) return;
    block->show(false);
    ++m_blocks;
    run_uifx(block->rect, shown_markup(block), EFFECT, block->layer, int32_t(m_blocks));
}

void menu_credits_handler_t::on_effect_done(int32_t id) {
    if (id == int32_t(m_blocks) && !first_shown_block()) open(WINDOW_MAIN_MENU);
}

bool menu_credits_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    const bool base = menu_screen_handler_t::handle(view, type, param);
    if (!window_shown() || menu_attract_mode) return base;
    if (menu_handle_link(*this, view, type)) return true;
    if (is_click(view, type, BUTTON_BACK) || is_escape(type, param)) {
        open(WINDOW_MAIN_MENU);
        return true;
    }
    return base;
}

namespace {

constexpr entity_reg_t MENU_MAIN_REG = game_ui_reg<menu_main_handler_t>("ui.handler.menu.main");
constexpr entity_reg_t MENU_HIGHSCORE_REG = game_ui_reg<menu_highscore_handler_t>("ui.handler.menu.highscore");
constexpr entity_reg_t MENU_CREDITS_REG = game_ui_reg<menu_credits_handler_t>("ui.handler.menu.credits");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_title_screens, quarn::ui_handler_row<quarn::MENU_MAIN_REG>(),
                 quarn::ui_handler_row<quarn::MENU_HIGHSCORE_REG>(), quarn::ui_handler_row<quarn::MENU_CREDITS_REG>());
