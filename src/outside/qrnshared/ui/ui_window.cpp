#include "outside/qrnshared/ui/ui_window.h"

#include <algorithm>

#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_item.h"

namespace quarn {

namespace {

struct placed_t {
    int32_t layer;
    uint32_t index;  // tree order
    ui_view_t *view;
};

// The visible views of a window in drawing order: by layer, then tree order. Hidden
// subtrees and child windows are left out; inactive ones too when `active_only`.
void drawing_order(ui_window_t *window, array_dyn_t<placed_t> &out, bool active_only) {
    uint32_t index = 0;
    struct walker_t {
        array_dyn_t<placed_t> &out;
        uint32_t &index;
        bool active_only;
        void walk(ui_view_t *v, bool root) {
            if (!v->visible || (active_only && !v->active)) return;
            if (!root && ui_as_window(v)) return;
            out.append(placed_t{v->layer, index++, v});
            if (ui_group_t *g = ui_as_group(v))
                for (uint32_t i = 0; i < g->child_count(); ++i)
                    if (ui_view_t *c = g->child(i)) walk(c, false);
        }
    } walker{out, index, active_only};
    walker.walk(window, true);
    placed_t *data = out.get_data();
    std::sort(data, data + out.get_count(), [](const placed_t &a, const placed_t &b) {
        return a.layer != b.layer ? a.layer < b.layer : a.index < b.index;
    });
}

ui_act_param_t pointer_param(const ui_event_t &e) {
    ui_act_param_t p;
    p.x = e.x;
    p.y = e.y;
    return p;
}

}  // namespace

// A window covers the whole reference screen until its layout says otherwise.
ui_window_t::ui_window_t() {
    rect = ui_reference_rect();
    window = this;
}

ui_window_t::~ui_window_t() {
    m_focus = m_hover = m_capture = nullptr;
    if (ui_handler_t *h = get_handler()) h->set_window_item(nullptr);
    handler_item.release();
}

ui_window_t *ui_window_of(const c_item_t *item) { return ui_as_window(ui_entity_of(item)); }

ui_handler_t *ui_window_t::get_handler() const { return ui_as_handler(ui_entity_of(handler_item.get())); }

bool ui_window_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    // Held: the handler may remove the window it serves.
    c_item_ptr_t hold(handler_item);
    if (ui_handler_t *h = get_handler())
        if (h->handle(source, type, param)) return true;
    return owner ? owner->action(source, type, param) : false;
}

void ui_window_t::layer_change(c_item_t *item, int32_t new_layer) {
    ui_view_t *v = ui_view_of(item);
    if (!v || v->get_window() != this) return;
    v->layer = new_layer;
    v->changed(UI_CHANGED_LAYER);
}

void ui_window_t::focus(c_item_t *item) { set_focus(ui_view_of(item)); }

void ui_window_t::set_focus(ui_view_t *view) {
    if (view && view->get_window() != this) return;
    if (view == this) view = nullptr;
    if (view == m_focus) return;
    ui_view_t *old = m_focus;
    m_focus = view;
    if (old) {
        old->mark_dirty();
        ui_act_param_t p;
        c_item_ptr_t hold(old->get_item());
        old->action(old, UI_ACT_FOCUS_LEAVE, &p);
    }
    if (view) view->mark_dirty();
}

void ui_window_t::dirty_cache(ui_view_t *view) {
    if (view) view->cache_dirty = true;
    else ui_walk(this, [](ui_view_t *v) { v->cache_dirty = true; });
}

void ui_window_t::forget(ui_view_t *view) {
    if (m_focus == view) m_focus = nullptr;
    if (m_hover == view) m_hover = nullptr;
    if (m_capture == view) m_capture = nullptr;
}

void ui_window_t::draw_window(r_queue_t *queue) {
    c_item_ptr_t hold(handler_item);
    ui_handler_t *h = get_handler();
    if (h) h->pre_wdraw();
    array_dyn_t<placed_t> order;
    drawing_order(this, order, false);
    for (const placed_t &p : order) {
        ui_view_t *v = p.view;
        if (v->cache_dirty) {
            v->cache.clear();
            v->zml_precache(v->cache);
            v->cache_dirty = false;
        }
        v->cache.flush(queue);
        v->draw(queue);
    }
    if (h) h->post_wdraw();
}

ui_view_t *ui_window_t::view_at(float x, float y) {
    array_dyn_t<placed_t> order;
    drawing_order(this, order, true);
    for (uint32_t i = order.get_count(); i-- > 0;) {
        ui_view_t *v = order[i].view;
        // A view without an extent (a group that names no coordinates) takes no pointer,
        // nor does a plain group: a full-size one laid over a screen's controls (its
        // effect views) would take every click from them.
        const ui_rect_t &r = v->hit_rect();
        if (v == this || (v->view_flags & UI_VIEW_POINTER_THROUGH)) continue;
        if (r.width() > 0.0f && r.height() > 0.0f && r.contains(x, y)) return v;
    }
    return this;
}

void ui_window_t::set_hover(ui_view_t *view, const ui_event_t &event) {
    if (view == this) view = nullptr;
    if (view == m_hover) return;
    ui_view_t *old = m_hover;
    m_hover = view;
    ui_act_param_t p = pointer_param(event);
    if (old) {
        c_item_ptr_t hold(old->get_item());
        old->mark_dirty();
        old->action(old, UI_ACT_POINTER_LEAVE, &p);
    }
    // The leave action may have taken the new view out of the window.
    if (view && m_hover == view) {
        c_item_ptr_t hold(view->get_item());
        view->mark_dirty();
        view->action(view, UI_ACT_POINTER_ENTER, &p);
    }
}

void ui_window_t::feed(ui_event_t *event) {
    if (!event || event->type == ui_event_t::NONE) return;
    c_item_ptr_t hold_window(get_item());
    if (event->is_key()) {
        ui_view_t *target = m_focus && m_focus->is_visible() && m_focus->is_active() ? m_focus : this;
        c_item_ptr_t hold(target->get_item());
        target->handle_event(event);
        if (event->consumed) return;
        const uint32_t ctrl = ui_get_ctrlcallback(event);
        if ((ctrl & UI_CTRL_TAB) && (ctrl & UI_CTRL_PRESS) && target->handle_tab((event->modifiers & UI_MOD_SHIFT) != 0)) {
            event->consumed = true;
            return;
        }
        ui_act_param_t p = pointer_param(*event);
        p.word0 = (event->code & 0xFFFFu) | ((event->modifiers & 0xFFu) << 16);
        target->action(target, event->type == ui_event_t::KEY_DOWN ? UI_ACT_KEY_DOWN : UI_ACT_KEY_UP, &p);
        return;
    }
    set_hover(view_at(event->x, event->y), *event);
    ui_view_t *target = m_capture ? m_capture : (m_hover ? m_hover : this);
    c_item_ptr_t hold(target->get_item());
    if (event->type == ui_event_t::BUTTON_DOWN && (target->view_flags & UI_VIEW_FOCUSABLE) && target->is_active())
        set_focus(target);
    target->handle_event(event);
    if (event->consumed) return;
    ui_act_param_t p = pointer_param(*event);
    switch (event->type) {
        case ui_event_t::BUTTON_DOWN:
            p.word0 = event->buttons;
            target->action(target, UI_ACT_BUTTON_DOWN, &p);
            break;
        case ui_event_t::BUTTON_UP:
            p.word0 = event->buttons;
            target->action(target, UI_ACT_BUTTON_UP, &p);
            break;
        case ui_event_t::POINTER_MOVE: target->action(target, UI_ACT_POINTER_MOVE, &p); break;
        default: break;
    }
}

}  // namespace quarn
