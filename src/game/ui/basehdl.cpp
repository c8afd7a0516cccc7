#include "game/ui/basehdl.h"

#include <cmath>

#include "game/scene/base_ctrl.h"
#include "game/ui/controls/button_control.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/screen_ctrl.h"
#include "game/ui/effects/uifx_view.h"
#include "game/one_shot_sound.h"
#include "kernel/input/input.h"
#include "kernel/sound/sound.h"
#include "kernel/sound/sound_unit.h"
#include "kernel/sys.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Keeps the array ascending; false when the id was there already (or no memory).
bool add_sorted(array_dyn_t<int32_t> &ids, int32_t id) {
    uint32_t at = 0;
    while (at < ids.get_count() && ids[at] < id) ++at;
    if (at < ids.get_count() && ids[at] == id) return false;
    return (at == ids.get_count() ? ids.append(id) : ids.insert(at, id)) != nullptr;
}

bool contains(const array_dyn_t<int32_t> &ids, int32_t id) {
    for (uint32_t i = 0; i < ids.get_count() && ids[i] <= id; ++i)
        if (ids[i] == id) return true;
    return false;
}

uifx_text_view_t *uifx_view_of(const c_item_t *item) { return dynamic_cast<uifx_text_view_t *>(ui_view_of(item)); }

}  // namespace

const char *base_handler_t::button_markup(const ui_view_t *view) {
    const auto *button = dynamic_cast<const ui_button_t *>(view);
    if (!button) return "";
    const bool pressed = (button->button_type == ui_button_t::CHECK || button->button_type == ui_button_t::RADIO) &&
                         button->down;
    return (pressed ? button->p_zml : button->n_zml).c_str();
}

base_handler_t::base_handler_t() = default;

base_handler_t::~base_handler_t() = default;

// ---- the window's life ----

void base_handler_t::on_wcreate() {
    ui_handler_t::on_wcreate();
    m_silent_ids.clear();
    m_sounding_ids.clear();
    m_reported_ids.clear();
    build_uifx_cache();
    if (!*get_name()) {
        if (ui_window_t *window = get_window()) set_name(window->window_name.c_str());
    }
    set_caption(" ");
}

void base_handler_t::on_wdestroy() {
    m_uifx_cache.clear();
    m_caption_view.release();
    m_caption_shown = false;
    m_silent_ids.clear();
    m_sounding_ids.clear();
    ui_handler_t::on_wdestroy();
}

void base_handler_t::on_wshow() {
    ui_handler_t::on_wshow();
    m_pointer_state = POINTER_NORMAL;
    m_idle_time = IDLE_AT_SHOW;
    m_pointer_known = false;
}

// ---- every frame ----

void base_handler_t::handler() {
    ui_handler_t::handler();
    if (m_caption_view && !m_caption_shown) {
        set_caption(m_caption_text.c_str());
        m_caption_shown = true;
    }
    if (m_pointer_state != POINTER_NONE && ui_pget(0)) {
        // A pointer layout without its three groups keeps the state for the next
        // frame; the rest of this frame waits with it.
        if (!apply_pointer_state()) return;
    }
    for (const c_item_ptr_t &item : m_uifx_cache) {
        uifx_text_view_t *view = uifx_view_of(item.get());
        if (view && view->is_idle()) park_uifx_view(view);
    }
    m_idle_time += float(sys_get_lastdelta());
}

bool base_handler_t::apply_pointer_state() {
    ui_view_t *pointer = ui_view_of(ui_pget(0));
    ui_view_t *groups[3] = {};
    for (int32_t i = 0; i < 3; ++i) {
        groups[i] = ui_view_of(find_item_by_id(pointer, i + 1));
        if (!groups[i]) return false;
    }
    for (uint32_t i = 0; i < 3; ++i) {
        const bool current = i + 1 == m_pointer_state;
        groups[i]->show(current);
        // The shape's own effect runs while it shows; a layout without it has none.
        uifx_text_view_t *effect = uifx_view_of(find_item_by_id(pointer, POINTER_EFFECT_BASE + int32_t(i) + 1));
        if (!effect) continue;
        if (current) effect->start();
        else effect->stop();
    }
    m_pointer_state = POINTER_NONE;
    return true;
}

// ---- the UIFX cache ----

void base_handler_t::build_uifx_cache() {
    m_uifx_cache.clear();
    ui_group_t *group = ui_as_group(ui_view_of(find_item(UIFX_CACHE_ITEM)));
    if (!group) return;
    // Only effect views can run effects: anything else in the group is left alone.
    for (uint32_t i = 0; i < group->child_count(); ++i)
        if (uifx_view_of(group->child_item(i))) m_uifx_cache.append(c_item_ptr_t(group->child_item(i)));
}

void base_handler_t::park_uifx_view(ui_view_t *view) {
    if (auto *effect = dynamic_cast<uifx_text_view_t *>(view)) effect->stop();
    if (view->rect == ui_rect_t{}) return;
    view->rect = ui_rect_t{};
    view->changed(UI_CHANGED_SIZE);
}

void base_handler_t::run_uifx(const ui_rect_t &rect, const char *text, const char *effect_name, int32_t layer,
                              int32_t id) {
    uifx_text_view_t *view = nullptr;
    for (const c_item_ptr_t &item : m_uifx_cache) {
        uifx_text_view_t *candidate = uifx_view_of(item.get());
        if (candidate && candidate->is_idle()) {
            view = candidate;
            break;
        }
    }
    if (!view) {
        // All busy: the effect is only decoration, so it is dropped.
        if (m_uifx_cache.is_empty()) error("UIFX not available - missing UIFX cache (9999)");
        return;
    }
    view->rect = rect;
    view->changed(UI_CHANGED_SIZE);
    view->set_value("text", text ? text : "");
    view->set_value("effect_name", effect_name ? effect_name : "");
    char id_text[16];
    snprintf(id_text, sizeof id_text, "%u", id == -1 ? 0xFFFFFFFFu : uint32_t(id + UIFX_ID_BASE));
    view->set_value("id", id_text);
    if (ui_window_t *window = get_window()) window->layer_change(view->get_item(), layer);
    view->start();
}

void base_handler_t::stop_uifx(int32_t id) {
    for (const c_item_ptr_t &item : m_uifx_cache) {
        uifx_text_view_t *view = uifx_view_of(item.get());
        if (view && (id == -1 || view->id == id + UIFX_ID_BASE)) park_uifx_view(view);
    }
}

bool base_handler_t::uifx_idle() const {
    for (const c_item_ptr_t &item : m_uifx_cache) {
        const uifx_text_view_t *view = uifx_view_of(item.get());
        if (view && !view->is_idle()) return false;
    }
    return true;
}

// ---- actions ----

bool base_handler_t::handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    ui_window_t *window = get_window();
    if (!window || !window->is_visible()) return false;
    track_idle(type, param);
    switch (type) {
    case UI_ACT_POINTER_ENTER:
        pointer_entered(view);
        break;
    case UI_ACT_POINTER_LEAVE:
        if (view && (view->view_flags & UI_VIEW_BUTTON)) m_pointer_state = POINTER_NORMAL;
        leave_caption(view);
        break;
    case UI_ACT_LIST_LEAVE:
        leave_caption(view);
        break;
    case UI_ACT_ACTIVATE: {
        const int32_t id = view ? view->id : -1;
        if (is_sounding_id(id) || !is_silent_id(id)) play_accept_sound();
        break;
    }
    case UI_ACT_LIST_SELECT:
        play_accept_sound();
        break;
    case UI_ACT_LIST_ENTER:
        if (const char *text = query_caption(view, param)) {
            m_caption_view = view ? view->get_item() : nullptr;
            m_caption_text = text;
            m_caption_shown = false;
        }
        break;
    case UI_ACT_EFFECT_DONE:
        // Views of the effect cache carry 10000 + the caller's id; views a layout
        // places itself keep their small ids. -1 (no id) is never reported.
        if (view && view->id != -1) on_effect_done(view->id >= UIFX_ID_BASE ? view->id - UIFX_ID_BASE : view->id);
        break;
    default:
        break;
    }
    return false;
}

void base_handler_t::track_idle(uint32_t type, const ui_act_param_t *param) {
    if (type == UI_ACT_KEY_UP || type == UI_ACT_BUTTON_UP) {
        m_idle_time = 0.0f;
        m_pointer_known = false;
        return;
    }
    if (type != UI_ACT_POINTER_MOVE || !param) return;
    if (!m_pointer_known) {
        m_pointer_x = param->x;
        m_pointer_y = param->y;
        m_pointer_known = true;
    }
    if (std::fabs(param->x - m_pointer_x) + std::fabs(param->y - m_pointer_y) > POINTER_IDLE_SLACK) {
        m_idle_time = 0.0f;
        m_pointer_known = false;
    }
}

void base_handler_t::pointer_entered(ui_view_t *view) {
    if (!view) return;
    if (!view->caption.is_empty()) {
        m_caption_view = view->get_item();
        m_caption_text = view->caption.c_str();
        m_caption_shown = false;
    }
    if (!(view->view_flags & UI_VIEW_BUTTON)) return;
    run_uifx(view->rect, button_markup(view), FOCUS_EFFECT, view->layer - 1, -1);
    play_ui_sound(FOCUS_SOUND);
    m_pointer_state = POINTER_ACTIVE;
}

void base_handler_t::leave_caption(ui_view_t *view) {
    if (!view || !m_caption_view || m_caption_view.get() != view->get_item()) return;
    m_caption_view.release();
    m_caption_shown = false;
    set_caption(" ");
}

// ---- its own operations ----

void base_handler_t::set_caption(const char *text) {
    entity_t *line = ui_view_of(find_item(CAPTION_ITEM));
    if (!line) return;
    // A templated text takes it as its value, a plain text as its text.
    if (!line->try_set_value("value", text ? text : "")) line->try_set_value("text", text ? text : "");
}

const char *base_handler_t::query_caption(ui_view_t *, ui_act_param_t *) { return nullptr; }

void base_handler_t::on_effect_done(int32_t) {}

// ---- sounds ----

void base_handler_t::play_ui_sound(const char *path) {
    play_one_shot_sound(path, {.volume = UI_SOUND_VOLUME});
}

void base_handler_t::add_silent_id(int32_t id) { add_sorted(m_silent_ids, id); }

void base_handler_t::add_sounding_id(int32_t id) {
    if (is_sounding_id(id)) return;
    add_sorted(m_silent_ids, id);
    add_sorted(m_sounding_ids, id);
}

bool base_handler_t::is_silent_id(int32_t id) const { return contains(m_silent_ids, id); }

bool base_handler_t::is_sounding_id(int32_t id) const { return contains(m_sounding_ids, id); }

// ---- in-game dialogs ----

void base_handler_t::show_in_game() {
    base_handler_t::on_wshow();
    if (current_ctrl_is_hunt()) hold_game(true);
}

void base_handler_t::hide_in_game() {
    ui_handler_t::on_whide();
    hold_game(false);
}

void base_handler_t::hold_game(bool hold) {
    if (hold == m_holds_game) return;
    m_holds_game = hold;
    screens_set_paused(hold);
    snd_set_current_tag(hold ? SOUND_TAG_DIALOG : SOUND_TAG_GAME);
    ui_pshow(hold ? 0 : -1);
    inp_handle_impulses(!hold);
}

// ---- items ----

c_item_t *base_handler_t::find_item(int32_t id) const { return find_item_by_id(get_window(), id); }

c_item_t *base_handler_t::ui_item(int32_t id) {
    c_item_t *item = find_item(id);
    if (!item) report_item(id, false);
    return item;
}

bool base_handler_t::show_item(int32_t id, bool visible) {
    ui_view_t *view = ui_view(id);
    if (!view) return false;
    view->show(visible);
    return true;
}

bool base_handler_t::set_item_value(int32_t id, const char *name, const char *text) {
    ui_view_t *view = ui_view(id);
    return view && view->set_value(name, text ? text : "");
}

bool base_handler_t::set_item_text(int32_t id, const char *text) {
    ui_view_t *view = ui_view(id);
    if (!view) return false;
    return view->try_set_value("value", text ? text : "") || view->set_value("text", text ? text : "");
}

const char *base_handler_t::layout_name() const {
    ui_window_t *window = get_window();
    return window ? window->path.c_str() : "";
}

void base_handler_t::report_item(int32_t id, bool wrong_class) {
    if (!add_sorted(m_reported_ids, id)) return;
    if (wrong_class) ::quarn::error("[ui] '%s': item %d for %s is of another class", layout_name(), id, get_class_name());
    else ::quarn::error("[ui] '%s': no item %d for %s", layout_name(), id, get_class_name());
}

}  // namespace quarn
