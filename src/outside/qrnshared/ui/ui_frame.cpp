// A frame of the UI: input, handlers, drawing.
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_state.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

namespace {

bool takes_input(const ui_window_t *w) {
    return w && w->shown && !(w->insert_flags & (UI_WINSERT_PASSIVE | UI_WINSERT_CHILD));
}

// The window that takes keys: the splash while one is set, else the topmost shown
// window that takes input.
c_item_t *key_window(const array_dyn_t<c_item_t *> &sorted) {
    ui_state_t &s = ui_state();
    if (s.splash) return s.splash.get();
    for (uint32_t i = sorted.get_count(); i-- > 0;)
        if (takes_input(ui_window_of(sorted[i]))) return sorted[i];
    return nullptr;
}

// The window under the pointer: the splash while one is set, else the topmost shown
// window that takes input and whose rectangle holds the point.
c_item_t *pointer_window(const array_dyn_t<c_item_t *> &sorted, float x, float y) {
    ui_state_t &s = ui_state();
    if (s.splash) return s.splash.get();
    for (uint32_t i = sorted.get_count(); i-- > 0;) {
        ui_window_t *w = ui_window_of(sorted[i]);
        if (takes_input(w) && w->rect.contains(x, y)) return sorted[i];
    }
    return nullptr;
}

void route(ui_event_t &event) {
    ui_state_t &s = ui_state();
    array_dyn_t<c_item_t *> sorted;
    ui_sorted_windows(sorted);
    if (event.is_key()) {
        c_item_t *target = key_window(sorted);
        if (target != s.key_window) {
            // Compared by address only: the old window may be gone.
            if (s.key_window && s.key_window != target)
                for (c_item_t *w : sorted)
                    if (w == s.key_window)
                        if (ui_handler_t *h = ui_window_of(w)->get_handler()) h->on_wunfocus();
            s.key_window = target;
            if (target)
                if (ui_handler_t *h = ui_window_of(target)->get_handler()) h->on_wfocus();
        }
        if (target) {
            c_item_ptr_t hold(target);
            ui_window_of(target)->feed(&event);
        }
        return;
    }
    c_item_t *target = pointer_window(sorted, event.x, event.y);
    if (target != s.pointer_window && s.pointer_window)
        for (c_item_t *w : sorted)
            if (w == s.pointer_window) {
                // The pointer left that window: its view under the pointer hears so.
                c_item_ptr_t hold(w);
                ui_window_of(w)->set_hover(nullptr, event);
            }
    s.pointer_window = target;
    if (target) {
        c_item_ptr_t hold(target);
        ui_window_of(target)->feed(&event);
    }
}

void move_pointer(float x, float y, array_dyn_t<ui_event_t> &events) {
    ui_state_t &s = ui_state();
    if (x == s.pointer_x && y == s.pointer_y) return;
    s.pointer_x = x;
    s.pointer_y = y;
    ui_event_t e;
    e.type = ui_event_t::POINTER_MOVE;
    e.x = x;
    e.y = y;
    events.append(e);
}

// Every event carries the pointer as it was when the event came.
void add_event(ui_event_t e, array_dyn_t<ui_event_t> &events) {
    e.x = ui_state().pointer_x;
    e.y = ui_state().pointer_y;
    events.append(e);
}

// The kernel's key records and cursor of this frame, then the injected events.
void read_input(array_dyn_t<ui_event_t> &events) {
    ui_state_t &s = ui_state();
    const kernel_links_t &k = qrnshared_kernel();
    if (k.inp_cursor_info) {
        float cx = 0.0f, cy = 0.0f;
        k.inp_cursor_info(&cx, &cy);
        // The cursor is -1..1 with y upward; only a change of the kernel's reading
        // moves the pointer, so that injected positions stay until it moves.
        const float x = (cx + 1.0f) * 0.5f * UI_REFERENCE_WIDTH, y = (cy + 1.0f) * 0.5f * UI_REFERENCE_HEIGHT;
        if (!s.cursor_known) {
            // The first reading only places the pointer.
            s.pointer_x = x;
            s.pointer_y = y;
        } else if (cx != s.cursor_x || cy != s.cursor_y) {
            move_pointer(x, y, events);
        }
        s.cursor_known = true;
        s.cursor_x = cx;
        s.cursor_y = cy;
    }
    if (k.inp_fetch_keycode)
        while (const qs_keycode_t *r = k.inp_fetch_keycode()) {
            ui_event_t e;
            if (r->kind == 0) {
                const uint32_t word = uint32_t(r->data[0]);
                e.type = r->pressed ? ui_event_t::KEY_DOWN : ui_event_t::KEY_UP;
                e.code = word & 0xFFFFu;
                e.character = (word >> 16) & 0xFFu;
                e.modifiers = (word >> 24) & 0xFFu;
            } else if (r->kind == 1 && r->data[0] == 1) {
                e.type = ui_event_t::WHEEL;
                e.wheel = r->pressed ? -1 : 1;
                e.modifiers = uint32_t(r->data[2]) & 0xFFu;
            } else if (r->kind == 1) {
                e.type = r->pressed ? ui_event_t::BUTTON_DOWN : ui_event_t::BUTTON_UP;
                e.buttons = uint32_t(r->data[1]);
                e.modifiers = uint32_t(r->data[2]) & 0xFFu;
            } else {
                continue;  // joysticks do not reach the UI
            }
            add_event(e, events);
        }
    for (const ui_event_t &e : s.injected) {
        if (e.type == ui_event_t::POINTER_MOVE) move_pointer(e.x, e.y, events);
        else add_event(e, events);
    }
    s.injected.clear();
}

// Every window of the table and every pointer layer, held for the frame: handlers
// may insert and remove windows.
void all_windows(array_dyn_t<c_item_ptr_t> &out) {
    ui_state_t &s = ui_state();
    for (const c_item_ptr_t &p : s.windows) out.append(p);
    for (const c_item_ptr_t &p : s.pointers) out.append(p);
}

ui_window_t *shown_pointer() {
    ui_window_t *p = ui_window_of(ui_pget(ui_state().pointer_shown));
    return p && p->shown ? p : nullptr;
}

// The shown pointer layer's top left corner goes to the pointer before the handlers
// run, so that its views lay out where they are drawn.
void place_pointer() {
    if (ui_window_t *p = shown_pointer()) p->move_to(ui_state().pointer_x, ui_state().pointer_y - p->rect.height());
}

}  // namespace

void ui_process(r_context_t *context) {
    ui_state_t &s = ui_state();
    if (!s.running) return;
    const kernel_links_t &k = qrnshared_kernel();
    const gfx_queue_renderer_t *renderer = gfx_get_queue_renderer();
    s.context.gfx = context;
    s.context.frame_time = k.sys_get_lastdelta ? k.sys_get_lastdelta() : 0.0;
    if (context && renderer && renderer->get_size) {
        int32_t w = 0, h = 0;
        renderer->get_size(context, &w, &h);
        if (w > 0 && h > 0) {
            s.context.screen_width = w;
            s.context.screen_height = h;
        }
    }

    array_dyn_t<ui_event_t> events;
    read_input(events);
    for (ui_event_t &e : events) route(e);
    place_pointer();

    array_dyn_t<c_item_ptr_t> windows;
    all_windows(windows);
    for (const c_item_ptr_t &p : windows) {
        ui_window_t *w = ui_window_of(p.get());
        if (!w) continue;
        w->handler();
        c_item_ptr_t hold(w->handler_item);
        if (ui_handler_t *h = w->get_handler()) h->handler();
    }

    r_queue_t *queue = s.queue;
    if (s.splash) {
        if (ui_window_t *w = ui_window_of(s.splash.get()))
            if (w->shown) w->draw_window(queue);
    } else {
        array_dyn_t<c_item_t *> sorted;
        ui_sorted_windows(sorted);
        for (c_item_t *item : sorted) {
            c_item_ptr_t hold(item);
            ui_window_t *w = ui_window_of(item);
            if (w->shown) w->draw_window(queue);
        }
    }
    if (ui_window_t *p = shown_pointer()) p->draw_window(queue);
    if (context && renderer && renderer->render) renderer->render(context, queue);
    gfx_queue_flush(queue);
}

void ui_recache() {
    array_dyn_t<c_item_ptr_t> windows;
    all_windows(windows);
    for (const c_item_ptr_t &p : windows)
        if (ui_window_t *w = ui_window_of(p.get())) {
            w->notify(UI_NOTIFY_RECACHE);
            w->dirty_cache(nullptr);
        }
}

const ui_render_context_t *ui_context() { return &ui_state().context; }

uint32_t ui_get_ctrlcallback(const ui_event_t *event) {
    if (!event || !event->is_key()) return UI_CTRL_NONE;
    uint32_t what = UI_CTRL_NONE;
    switch (event->code) {
        case UI_KEY_ENTER:
        case UI_KEY_PAD_ENTER: what = UI_CTRL_ACTION; break;
        case UI_KEY_UP: what = UI_CTRL_PREVIOUS; break;
        case UI_KEY_DOWN: what = UI_CTRL_NEXT; break;
        case UI_KEY_RIGHT: what = UI_CTRL_INCREASE; break;
        case UI_KEY_LEFT: what = UI_CTRL_DECREASE; break;
        case UI_KEY_TAB: what = UI_CTRL_TAB; break;
        default: return UI_CTRL_NONE;
    }
    return what | (event->type == ui_event_t::KEY_DOWN ? UI_CTRL_PRESS : UI_CTRL_RELEASE);
}

bool ui_inject_event(const ui_event_t &event) { return ui_state().injected.append(event) != nullptr; }

}  // namespace quarn
