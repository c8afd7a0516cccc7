#include "outside/qrnshared/ui/ui_view.h"

#include "outside/qrnshared/ui/ui_group.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

namespace {

// The size changes with the coordinates: the view renders again.
bool set_coords(entity_t *entity, const evalue_def_t &def, const char *text) {
    if (!evd_coords(entity, def, text)) return false;
    static_cast<ui_view_t *>(entity)->changed(UI_CHANGED_SIZE);
    return true;
}

bool set_layer(entity_t *entity, const evalue_def_t &def, const char *text) {
    if (!evd_layer(entity, def, text)) return false;
    static_cast<ui_view_t *>(entity)->changed(UI_CHANGED_LAYER);
    return true;
}

// Every focusable view of the window that can take the focus now, in tree order.
void focus_chain(ui_window_t *window, array_dyn_t<ui_view_t *> &out) {
    ui_walk(window, [&](ui_view_t *v) {
        if ((v->view_flags & UI_VIEW_FOCUSABLE) && v->is_visible() && v->is_active()) out.append(v);
    });
}

ui_view_t *step_focus(ui_view_t *from, int direction) {
    ui_window_t *window = from->get_window();
    if (!window) return nullptr;
    array_dyn_t<ui_view_t *> chain;
    focus_chain(window, chain);
    const uint32_t n = chain.get_count();
    if (n == 0) return nullptr;
    for (uint32_t i = 0; i < n; ++i)
        if (chain[i] == from) {
            ui_view_t *to = chain[(i + n + uint32_t(direction)) % n];
            return to == from ? nullptr : to;
        }
    // From a view outside the chain (the window itself): the first or the last.
    return direction > 0 ? chain[0] : chain[n - 1];
}

}  // namespace

bool ui_draw_list_t::add(const zml_buffer_t &buffer, uint32_t tint) {
    ui_draw_entry_t *e = m_entries.append(ui_draw_entry_t());
    if (!e) return false;
    e->tint = tint;
    return e->buffer.copy_from(buffer);
}

void ui_draw_list_t::flush(r_queue_t *queue) const {
    for (const ui_draw_entry_t &e : m_entries) zml_colormod(e.buffer, e.tint, queue);
}

bool ui_view_t::set_area(entity_t *entity, const evalue_def_t &, const char *text) {
    ui_view_t *v = static_cast<ui_view_t *>(entity);
    if (!evalue_read(EVT_COORDS, text, &v->area)) return false;
    v->has_area = true;
    v->changed(UI_CHANGED_AREA);
    return true;
}

const evalue_def_t ui_view_t::value_defs[] = {
    {"id", EVT_INT, nullptr, &evd_locate<ui_view_t, &ui_view_t::id>, &evd_flags<ui_view_t, &ui_view_t::id_flags>,
     &evd_id},
    {"coords", EVT_COORDS, nullptr, &evd_locate<ui_view_t, &ui_view_t::rect>,
     &evd_flags<ui_view_t, &ui_view_t::coords_flags>, &set_coords},
    {"area", EVT_COORDS, nullptr, &evd_locate<ui_view_t, &ui_view_t::area>,
     &evd_flags<ui_view_t, &ui_view_t::area_flags>, &ui_view_t::set_area},
    {"layer", EVT_INT, nullptr, &evd_locate<ui_view_t, &ui_view_t::layer>,
     &evd_flags<ui_view_t, &ui_view_t::layer_flags>, &set_layer},
    {"visible", EVT_BOOL, nullptr, &evd_locate<ui_view_t, &ui_view_t::visible>,
     &evd_flags<ui_view_t, &ui_view_t::visible_flags>, nullptr},
    {"active", EVT_BOOL, nullptr, &evd_locate<ui_view_t, &ui_view_t::active>,
     &evd_flags<ui_view_t, &ui_view_t::active_flags>, nullptr},
    {"tab", EVT_INT, nullptr, &evd_locate<ui_view_t, &ui_view_t::tab>, &evd_flags<ui_view_t, &ui_view_t::tab_flags>,
     nullptr},
    {"caption", EVT_TEXT, nullptr, &evd_locate<ui_view_t, &ui_view_t::caption>,
     &evd_flags<ui_view_t, &ui_view_t::caption_flags>, nullptr},
};
const evalue_table_t ui_view_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &entity_t::values};

void ui_view_t::handler() {}

int ui_view_t::init(int) { return 0; }

void ui_view_t::destroy(int) {}

void ui_view_t::mem_move() {}

const char *const *ui_view_t::get_init_list() const { return nullptr; }

const char *const *ui_view_t::get_destroy_list() const { return nullptr; }

void ui_view_t::ui_setup() {}

void ui_view_t::zml_precache(ui_draw_list_t &) {}

void ui_view_t::draw(r_queue_t *) {}

void ui_view_t::handle_event(ui_event_t *) {}

bool ui_view_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    return parent ? parent->action(source, type, param) : false;
}

void ui_view_t::offset(float dx, float dy, uint32_t flags) {
    if (dx == 0.0f && dy == 0.0f) return;
    uint32_t what = 0;
    if (flags & UI_OFFSET_RECT) {
        rect.move(dx, dy);
        what |= UI_CHANGED_SIZE;
    }
    if ((flags & UI_OFFSET_AREA) && has_area) {
        area.move(dx, dy);
        what |= UI_CHANGED_AREA;
    }
    if (what) changed(what);
}

void ui_view_t::notify(int32_t flags) {
    if (flags < 0) mark_dirty();
}

void ui_view_t::activate(bool on) {
    active = on;
    mark_dirty();
}

void ui_view_t::show(bool on) {
    visible = on;
    mark_dirty();
}

bool ui_view_t::handle_tab(bool backward) {
    ui_view_t *to = backward ? prev_focus() : next_focus();
    if (!to || !window) return false;
    window->set_focus(to);
    return true;
}

ui_view_t *ui_view_t::next_focus() { return step_focus(this, 1); }

ui_view_t *ui_view_t::prev_focus() { return step_focus(this, -1); }

void ui_view_t::changed(uint32_t) { mark_dirty(); }

bool ui_view_t::is_visible() const {
    const ui_view_t *v = this;
    for (; v; v = v->parent) {
        if (!v->visible) return false;
        if (!v->parent) break;
    }
    const ui_window_t *w = ui_as_window(const_cast<ui_view_t *>(v));
    return !w || w->shown;
}

bool ui_view_t::is_focused() const { return window && window->get_focus() == this; }

bool ui_view_t::is_hovered() const { return window && window->get_hover() == this; }

bool ui_view_t::is_selected() const { return is_focused() || is_hovered(); }

void ui_view_t::move_to(float x, float y) { offset(x - rect.left, y - rect.bottom, UI_OFFSET_RECT | UI_OFFSET_AREA); }

void ui_view_t::mark_dirty() { cache_dirty = true; }

c_item_t *ui_view_t::get_window_item() const { return window ? window->get_item() : nullptr; }

}  // namespace quarn
