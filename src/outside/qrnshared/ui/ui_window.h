#pragma once
// ui_window_t: the root group of a layout, as the window table keeps it. A window has
// a group and a name (ui_wget finds it by both), the flags it was inserted with, its
// handler (the last top-level entity of its layout, or none), the keyboard focus, the
// view under the pointer, a view that captured the pointer, and the draw cache: the
// per-view lists of rendered buffers that drawing replays, rebuilt only for views
// marked dirty.
//
// A child window (inserted with UI_WINSERT_CHILD) is drawn and fed by the view that
// owns it (draw_window, feed); the table neither draws nor feeds it.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_group.h"

namespace quarn {

class ui_handler_t;

class QRNSHARED_API ui_window_t : public ui_group_t {
public:
    ui_window_t();
    ~ui_window_t() override;

    uint32_t get_kind() const override { return ENTITY_VIEW | ENTITY_GROUP | ENTITY_WINDOW; }

    // The window's handler answers first; when it does not take the action, the view
    // that owns a child window passes it on from there.
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;

    // Moves the view of the item to a layer of the window (marks it dirty).
    void layer_change(c_item_t *item, int32_t new_layer);
    // Gives the keyboard focus to the view of the item (null: none).
    void focus(c_item_t *item);
    void set_focus(ui_view_t *view);
    ui_view_t *get_focus() const { return m_focus; }
    ui_view_t *get_hover() const { return m_hover; }
    // While a view holds the capture every pointer event of the window goes to it.
    void set_capture(ui_view_t *view) { m_capture = view; }
    ui_view_t *get_capture() const { return m_capture; }
    // Marks the view's cached records for a rebuild (null: every view's).
    void dirty_cache(ui_view_t *view);
    // The view leaves the window's tree: focus, pointer and capture let go of it.
    void forget(ui_view_t *view);

    // Draws the window: every visible view in layer order (then tree order), its
    // cached records (rebuilt where dirty) and then its own draw.
    void draw_window(r_queue_t *queue);
    // Hands a key event to the focused view and, when it is not consumed, raises the
    // key action or moves the focus on Tab. Hands a pointer event to the view under
    // the pointer (or the capture), raising enter and leave actions as the pointer
    // moves between views. Used by the table for the window that takes input, and by
    // owners for their child windows.
    void feed(ui_event_t *event);
    // The view under the point: the last visible, active view in drawing order whose
    // rectangle (its active area when it has one) holds it; the window when none.
    ui_view_t *view_at(float x, float y);

    // The view under the pointer becomes view (null: none); the one left hears
    // action 1, the one entered action 0.
    void set_hover(ui_view_t *view, const ui_event_t &event);

    ui_handler_t *get_handler() const;
    c_item_t *get_handler_item() const { return handler_item.get(); }

    mstring_dyn_t group_name;
    mstring_dyn_t window_name;
    mstring_dyn_t path;       // the layout it was read from
    uint32_t insert_flags = 0;
    bool shown = false;
    uint32_t serial = 0;      // insertion order in the table
    c_item_ptr_t handler_item;
    ui_view_t *owner = nullptr;  // the view that owns a child window

private:
    ui_view_t *m_focus = nullptr;
    ui_view_t *m_hover = nullptr;
    ui_view_t *m_capture = nullptr;
};

inline ui_window_t *ui_as_window(entity_t *e) {
    return e && (e->get_kind() & ENTITY_WINDOW) ? static_cast<ui_window_t *>(e) : nullptr;
}
QRNSHARED_API ui_window_t *ui_window_of(const c_item_t *item);

}  // namespace quarn
