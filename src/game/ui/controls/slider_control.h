#pragma once
// Sliders (docs/ui-controls.md):
// - ui_slider_t: a knob on a track over an integer range (0 to 100 at creation). The
//   knob stands at fraction x travel + margin from the track's start: from the left
//   edge of a horizontal slider, down from the top edge of a vertical one (taller than
//   wide), so a vertical slider has its minimum at the top. The value is
//   floor((maximum - minimum) x fraction + minimum + 0.5).
//   Keys while selected (Right, Left; Up and Down too on a vertical slider) move it by
//   `tick`; the pointer drags the knob (centred under the pointer) or, pressed on the
//   track, pages toward the pointer by up to `tick` every 0.15 s until the knob covers
//   it. Actions: 2 the value (`value` of the parameter, also in word0), 5 a drag
//   starts, 6 it ends (2 and 6 go out when it is let go; with `action_on_drag` every
//   move sends 2 as well).
//   Not registered by itself: the common slider is the class layouts name.
// - ui_common_slider_t, "ui.comp.common.slider": its looks and margin from a template
//   of "/def/ui/sld.def", the "_vert" keys when taller than wide, else "_horiz";
//   applied again on every size change.
#include <cstdint>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class ui_slider_t : public ui_view_t {
    UI_ENTITY_VALUES()

public:
    enum look_t : int32_t {
        KNOB_NORMAL = 0,
        KNOB_SELECTED,
        KNOB_DRAGGED,
        KNOB_DISABLED,
        TRACK_NORMAL,
        TRACK_DISABLED,
        LOOK_COUNT
    };
    // Seconds between two pages while the track is held.
    static constexpr float PAGE_INTERVAL = 0.15f;

    ui_slider_t();
    ~ui_slider_t() override;

    void handler() override;
    void destroy(int stage) override;
    void zml_precache(ui_draw_list_t &list) override;
    void handle_event(ui_event_t *event) override;
    bool action(ui_view_t *source, uint32_t type, ui_act_param_t *param) override;
    void notify(int32_t flags) override;
    void changed(uint32_t flags) override;

    // fraction = (value - minimum) / (maximum - minimum), kept within 0..1 (0 for an
    // empty range); with send, action 2 goes out. Answers the former value.
    int64_t set_value(int64_t value, bool send);
    // Attributes by name stay reachable beside the value.
    using entity_t::set_value;
    // count steps of one up (down), not beyond the range; answers the new value.
    int64_t step(bool up, int32_t count);
    int64_t get_value() const;
    // The range; the fraction stays (callers set the value after).
    void set_range(int32_t minimum, int32_t maximum);
    int32_t get_minimum() const { return m_minimum; }
    int32_t get_maximum() const { return m_maximum; }
    float get_fraction() const { return m_fraction; }

    // The view whose action hook hears this slider's value actions before its parent
    // does (a list or portal scrolled by it); null for none. Uncounted: the listener
    // takes itself off before it goes.
    void set_listener(ui_view_t *listener) { m_listener = listener; }
    ui_view_t *get_listener() const { return m_listener; }

    // Layout: taller than wide, the knob's and track's bounds as rendered, and the
    // travel of the knob in whole units (after the next frame that lays it out).
    bool is_vertical() const { return m_vertical; }
    float get_travel() const { return m_travel; }
    // The knob where it stands now.
    ui_rect_t knob_rect() const;
    bool is_dragging() const { return m_dragging; }
    bool is_paging() const { return m_paging; }
    // The look drawn for the knob now (look_t).
    int32_t knob_look() const;

    mstring_dyn_t &look_text(int32_t look);
    // Writes a look as a layout would.
    void set_look_text(int32_t look, const char *markup);

    float margin = 0.0f;
    int32_t tick = 1;
    bool action_on_drag = false;
    mstring_dyn_t d_zml, p_zml, n_zml, s_zml, d_background, n_background;
    uint8_t look_flags[LOOK_COUNT] = {};
    uint8_t margin_flags = 0, tick_flags = 0, drag_flags = 0;

private:
    static const evalue_def_t value_defs[];

    void lay_out();
    // The knob's distance from the track's start for the pointer at (x, y), the
    // knob centred under it.
    float position_at(float x, float y) const;
    int64_t value_at(float position) const;
    bool knob_covers(float x, float y) const;
    void drag_to(float x, float y);
    void page();
    void end_capture();
    void send(uint32_t type);

    int32_t m_minimum = 0;
    int32_t m_maximum = 100;
    float m_fraction = 0.0f;
    zml_buffer_t m_buffers[LOOK_COUNT];
    bool m_rendered[LOOK_COUNT] = {};
    bool m_laid_out = false;
    bool m_vertical = false;
    ui_rect_t m_knob;   // as rendered (at the control's top left)
    ui_rect_t m_track;
    float m_travel = 0.0f;
    bool m_dragging = false;
    bool m_paging = false;
    int32_t m_page_direction = 0;
    float m_page_timer = 0.0f;
    int32_t m_cached_look = -1;
    ui_view_t *m_listener = nullptr;
};

class ui_common_slider_t : public ui_slider_t {
    UI_ENTITY_VALUES()

public:
    int init(int stage) override;
    void destroy(int stage) override;
    void handler() override;
    void changed(uint32_t flags) override;

    void refresh();
    void apply_template();

    int32_t look = 0;
    mstring_dyn_t value;
    uint8_t tlook_flags = 0, value_flags = 0;

private:
    static const evalue_def_t value_defs[];
    ui_template_user_t m_templates{ui_template_kind_t::SLIDER};
    bool m_applying = false;
};

}  // namespace quarn
