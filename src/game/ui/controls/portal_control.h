#pragma once
// ui_portal_t, "ui.comp.portal" (docs/ui-controls.md): a window inside a window. The
// layout named by `child` is inserted as a child window (group "ui_portal", name
// "slave", UI_WINSERT_CHILD) owned by the portal, which feeds it the pointer events
// inside the portal and every key the portal gets, and draws it while visible. Two
// sliders of the portal's window, found by `hslider_id` and `vslider_id` (-1: none),
// scroll a child larger than the portal: the horizontal one moves it to x = -value,
// the vertical one to y = portal height - child height + value, so that value 0 shows
// the child's top edge at the portal's top edge. Offsets snap to whole screen pixels.
// A child that fits takes its slider out of use.
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui_group.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_slider_t;
class ui_window_t;

class ui_portal_t : public ui_group_t {
    UI_ENTITY_VALUES()

public:
    ui_portal_t();
    ~ui_portal_t() override;

    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    void draw(r_queue_t *queue) override;
    void handle_event(ui_event_t *event) override;
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;
    void offset(float dx, float dy, uint32_t flags) override;
    void changed(uint32_t flags) override;

    // The child window, or null (no child, or its layout did not build).
    ui_window_t *get_child() const;
    c_item_t *get_child_item() const { return m_child.get(); }
    // The child's offset from the portal's left and bottom edges (snapped).
    float get_offset_x() const { return m_x; }
    float get_offset_y() const { return m_y; }
    // Moves the child to that offset, snapped to whole pixels.
    void move_child(float x, float y);
    ui_slider_t *get_slider(bool vertical) const;

    int32_t vslider_id = -1;
    int32_t hslider_id = -1;
    mstring_dyn_t child;
    bool fitting = false;  // kept for layouts; the portal does not read it
    uint8_t value_flags = 0;

private:
    static const evalue_def_t value_defs[];

    void spawn_child();
    void remove_child_window();
    void set_up_sliders();
    void sync_sliders();
    void let_go_of_sliders();

    c_item_ptr_t m_child;
    c_item_ptr_t m_hslider, m_vslider;
    float m_x = 0.0f, m_y = 0.0f;
    bool m_moved_by_vslider = false;
    bool m_needs_setup = false;
    float m_setup_width = -1.0f, m_setup_height = -1.0f;  // the size the sliders were set up for
};

}  // namespace quarn
