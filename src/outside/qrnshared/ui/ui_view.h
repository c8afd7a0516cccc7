#pragma once
// ui_view_t: a rectangle of a window that draws, takes events and raises actions.
// Views form a tree below their window (groups hold children); each knows its parent
// and its window, neither counted (the parent holds the child).
//
// Drawing goes through the window's draw cache: each view keeps the list of rendered
// buffers it handed over in zml_precache, and the window rebuilds that list only when
// the view was marked dirty (mark_dirty, ui_window_t::dirty_cache). A view that
// renders new text without marking itself dirty keeps showing the old text until the
// next ui_recache.
//
// Actions: action(source, type, param) passes an action up from the view that raised
// it through the parents' action hooks to the window's handler; the first hook that
// answers true ends it. A view raises one on itself: view->action(view, type, &p).
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/ui/entity.h"
#include "outside/qrnshared/ui/zml.h"

namespace quarn {

struct r_queue_t;
class ui_group_t;
class ui_window_t;

// Bits of ui_view_t::view_flags.
enum ui_view_flag_t : uint32_t {
    UI_VIEW_GROUP = 0x01,      // holds children (ui_group_t)
    UI_VIEW_BUTTON = 0x02,     // a button (set by the button control)
    UI_VIEW_SLIDER = 0x04,     // a slider (set by the slider control)
    UI_VIEW_LIST = 0x08,       // a list (set by the list control)
    UI_VIEW_FOCUSABLE = 0x10,  // takes the keyboard focus; Tab moves between such views
    UI_VIEW_AUTO_WIDTH = 0x20,
    UI_VIEW_AUTO_HEIGHT = 0x40,
    UI_VIEW_KEEP_INPUT = 0x80,
    // The view itself takes no pointer: it passes through to what lies beneath (its
    // children still take it). Set for plain groups, which only hold views; the
    // controls made of a group clear it.
    UI_VIEW_POINTER_THROUGH = 0x100,
};

// Flags of changed().
enum ui_change_t : uint32_t {
    UI_CHANGED_SIZE = 0x1,
    UI_CHANGED_AREA = 0x2,
    UI_CHANGED_CONTENT = 0x4,
    UI_CHANGED_LAYER = 0x8,
};

// Flags of offset(): which rectangles move.
enum ui_offset_flag_t : uint32_t {
    UI_OFFSET_AREA = 0x1,
    UI_OFFSET_RECT = 0x2,
};

// notify() with a negative value: texts must be rendered again (language, screen
// size); every view drops what it rendered.
constexpr int32_t UI_NOTIFY_RECACHE = -1;
// notify() flag: an interaction with the view ended (a drag was let go, a choice was
// made); controls that hold something open close it.
constexpr int32_t UI_NOTIFY_END_INTERACTION = 0x8;
// notify() flag: the window was shown or hidden (ui_wshow, ui_whide); views that act
// only while they are seen look at their window again.
constexpr int32_t UI_NOTIFY_SHOWN = 0x10;

// What a view hands to its window's layer in zml_precache: rendered buffers with a
// tint each. The window keeps one list per view.
struct ui_draw_entry_t {
    zml_buffer_t buffer;
    uint32_t tint = ZML_WHITE;
};

class QRNSHARED_API ui_draw_list_t {
public:
    bool add(const zml_buffer_t &buffer, uint32_t tint = ZML_WHITE);
    void clear() { m_entries.clear(); }
    uint32_t count() const { return m_entries.get_count(); }
    const ui_draw_entry_t &get(uint32_t i) const { return m_entries[i]; }
    // Every entry's records into the queue (zml_colormod).
    void flush(r_queue_t *queue) const;

private:
    array_dyn_t<ui_draw_entry_t> m_entries;
};

class QRNSHARED_API ui_view_t : public entity_t {
    UI_ENTITY_VALUES()

public:
    uint32_t get_kind() const override { return ENTITY_VIEW; }

    // ---- the view operations, in slot order ----
    // Every frame, for every view of every window (shown or not).
    virtual void handler();
    // After the layout was built: stage 0, then stage 1, over the whole tree. 0 is
    // success; anything else fails the window.
    virtual int init(int stage);
    // Before the window goes: stage 0, then stage 1.
    virtual void destroy(int stage);
    // Views live in fixed item memory and never move: nothing to do.
    virtual void mem_move();
    // The attribute names a tool should set before init / read before destroy; none.
    virtual const char *const *get_init_list() const;
    virtual const char *const *get_destroy_list() const;
    // After the attributes of the layout were set, before init.
    virtual void ui_setup();
    // Hands the view's rendered buffers to its window's layer (base: none).
    virtual void zml_precache(ui_draw_list_t &list);
    // Draws what is not cached, every frame while visible, after the cached records
    // (base: nothing).
    virtual void draw(r_queue_t *queue);
    // An input event for the view; set event->consumed when it is used.
    virtual void handle_event(ui_event_t *event);
    // Passes the action up: the parent's action, or at the root the window's handler.
    virtual bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param);
    // Moves the rectangle (UI_OFFSET_RECT) and the active area (UI_OFFSET_AREA) by
    // dx, dy, then changed() with the size (and area) flag.
    virtual void offset(float dx, float dy, uint32_t flags);
    // A notification from the layer (UI_NOTIFY_RECACHE) or a control; base: marks the
    // view dirty for a negative one.
    virtual void notify(int32_t flags);
    // Enables or disables the view (marks it dirty).
    virtual void activate(bool active);
    // Shows or hides the view (marks it dirty).
    virtual void show(bool visible);
    // Tab (backward with Shift) on the focused view: moves the window's focus to the
    // next (previous) focusable view and raises action 17 on this one. False when no
    // other view takes the focus.
    virtual bool handle_tab(bool backward);
    // The focusable view after / before this one in the window's tree order,
    // wrapping around; null when there is none other.
    virtual ui_view_t *next_focus();
    virtual ui_view_t *prev_focus();
    // Something of the view changed (ui_change_t); base: marks it dirty.
    virtual void changed(uint32_t flags);

    // ---- queries ----
    // Visible itself and every parent up to the window, and the window shown.
    bool is_visible() const;
    bool is_active() const { return active; }
    // The pointer is over the view or it holds the keyboard focus.
    bool is_selected() const;
    bool is_focused() const;
    bool is_hovered() const;
    // Moves the view so that its left edge lies at x and its bottom edge at y.
    void move_to(float x, float y);
    // The rectangle that takes the pointer: the active area when there is one.
    const ui_rect_t &hit_rect() const { return has_area ? area : rect; }
    // Asks the window to rebuild this view's cached records before the next draw.
    void mark_dirty();
    ui_group_t *get_parent() const { return parent; }
    ui_window_t *get_window() const { return window; }
    c_item_t *get_window_item() const;

    // ---- attributes ----
    int32_t id = -1;
    ui_rect_t rect;
    ui_rect_t area;
    bool has_area = false;
    int32_t layer = 0;
    bool visible = true;
    bool active = true;
    int32_t tab = -1;
    mstring_dyn_t caption;  // the text a handler shows while the pointer is over the view
    uint8_t id_flags = 0, coords_flags = 0, area_flags = 0, layer_flags = 0, visible_flags = 0, active_flags = 0,
            tab_flags = 0, caption_flags = 0;

    uint32_t view_flags = 0;

    // ---- kept by the layer ----
    ui_group_t *parent = nullptr;
    ui_window_t *window = nullptr;
    ui_draw_list_t cache;
    bool cache_dirty = true;

private:
    static bool set_area(entity_t *entity, const evalue_def_t &def, const char *text);
    static const evalue_def_t value_defs[];
};

// The view (group, window) an entity is, or null.
inline ui_view_t *ui_as_view(entity_t *e) { return e && (e->get_kind() & ENTITY_VIEW) ? static_cast<ui_view_t *>(e) : nullptr; }
QRNSHARED_API ui_view_t *ui_view_of(const c_item_t *item);

}  // namespace quarn
