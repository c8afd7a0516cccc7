#include "game/ui/controls/slider_control.h"

#include <algorithm>
#include <cmath>

#include "game/ui/controls/control_kit.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

namespace {

template <int LOOK>
uint8_t *look_flags_of(entity_t *e) {
    return &static_cast<ui_slider_t *>(e)->look_flags[LOOK];
}

// The union of the bounds of the buffers' items, leaving out buffers smaller than a
// tenth of a unit either way; false when none is left.
bool union_of(const zml_buffer_t *buffers, int32_t first, int32_t last, ui_rect_t &out) {
    bool any = false;
    for (int32_t i = first; i <= last; ++i) {
        ui_rect_t b;
        if (!buffers[i].get_bounds(b) || b.width() < 0.1f || b.height() < 0.1f) continue;
        if (!any) {
            out = b;
            any = true;
            continue;
        }
        if (b.left < out.left) out.left = b.left;
        if (b.right > out.right) out.right = b.right;
        if (b.top > out.top) out.top = b.top;
        if (b.bottom < out.bottom) out.bottom = b.bottom;
    }
    return any;
}

}  // namespace

const evalue_def_t ui_slider_t::value_defs[] = {
    {"margin", EVT_FLOAT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::margin>,
     &evd_flags<ui_slider_t, &ui_slider_t::margin_flags>, nullptr},
    {"tick", EVT_INT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::tick>,
     &evd_flags<ui_slider_t, &ui_slider_t::tick_flags>, nullptr},
    {"action_on_drag", EVT_BOOL, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::action_on_drag>,
     &evd_flags<ui_slider_t, &ui_slider_t::drag_flags>, nullptr},
    {"d_zml", EVT_TEXT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::d_zml>, &look_flags_of<KNOB_DISABLED>, nullptr},
    {"p_zml", EVT_TEXT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::p_zml>, &look_flags_of<KNOB_DRAGGED>, nullptr},
    {"n_zml", EVT_TEXT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::n_zml>, &look_flags_of<KNOB_NORMAL>, nullptr},
    {"s_zml", EVT_TEXT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::s_zml>, &look_flags_of<KNOB_SELECTED>, nullptr},
    {"d_background", EVT_TEXT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::d_background>,
     &look_flags_of<TRACK_DISABLED>, nullptr},
    {"n_background", EVT_TEXT, nullptr, &evd_locate<ui_slider_t, &ui_slider_t::n_background>,
     &look_flags_of<TRACK_NORMAL>, nullptr},
};
const evalue_table_t ui_slider_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_view_t::values};

ui_slider_t::ui_slider_t() { view_flags |= UI_VIEW_SLIDER | UI_VIEW_FOCUSABLE; }

ui_slider_t::~ui_slider_t() = default;

mstring_dyn_t &ui_slider_t::look_text(int32_t look) {
    switch (look) {
        case KNOB_SELECTED: return s_zml;
        case KNOB_DRAGGED: return p_zml;
        case KNOB_DISABLED: return d_zml;
        case TRACK_NORMAL: return n_background;
        case TRACK_DISABLED: return d_background;
        default: return n_zml;
    }
}

void ui_slider_t::set_look_text(int32_t look, const char *markup) {
    if (look < 0 || look >= LOOK_COUNT) return;
    ui_assign(look_text(look), look_flags[look], markup);
}

// ---- value ----

int64_t ui_slider_t::get_value() const {
    return int64_t(std::floor(double(m_maximum - m_minimum) * double(m_fraction) + double(m_minimum) + 0.5));
}

int64_t ui_slider_t::set_value(int64_t value, bool send_it) {
    const int64_t former = get_value();
    const double range = double(m_maximum) - double(m_minimum);
    // An empty range (a portal's overflow rounded to nothing) leaves the knob at the
    // start rather than dividing by it.
    double f = range != 0.0 ? (double(value) - double(m_minimum)) / range : 0.0;
    if (!(f > 0.0)) f = 0.0;
    if (f > 1.0) f = 1.0;
    m_fraction = float(f);
    changed(UI_CHANGED_CONTENT);
    if (send_it) send(UI_ACT_ACTIVATE);
    return former;
}

int64_t ui_slider_t::step(bool up, int32_t count) {
    const int64_t lo = m_minimum < m_maximum ? m_minimum : m_maximum;
    const int64_t hi = m_minimum < m_maximum ? m_maximum : m_minimum;
    int64_t v = get_value() + (up ? int64_t(count) : -int64_t(count));
    if (v > hi) v = hi;
    if (v < lo) v = lo;
    set_value(v, false);
    return get_value();
}

void ui_slider_t::set_range(int32_t minimum, int32_t maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
    changed(UI_CHANGED_CONTENT);
}

void ui_slider_t::send(uint32_t type) {
    ui_act_param_t p;
    p.value = get_value();
    p.word0 = uint32_t(p.value);
    ui_raise(this, type, &p);
}

// ---- layout ----

void ui_slider_t::lay_out() {
    for (int32_t i = 0; i < LOOK_COUNT; ++i) {
        if (m_rendered[i]) continue;
        zml_render_to(m_buffers[i], look_text(i).c_str(), rect);
        m_rendered[i] = true;
    }
    if (!union_of(m_buffers, KNOB_NORMAL, KNOB_DISABLED, m_knob)) m_knob = {rect.left, rect.left, rect.top, rect.top};
    if (!union_of(m_buffers, TRACK_NORMAL, TRACK_DISABLED, m_track)) m_track = rect;
    m_vertical = rect.height() > rect.width();
    const float track_length = m_vertical ? m_track.height() : m_track.width();
    const float knob_length = m_vertical ? m_knob.height() : m_knob.width();
    m_travel = std::floor(std::fabs(track_length) - std::fabs(knob_length) - 2.0f * margin);
    m_laid_out = true;
    mark_dirty();
}

ui_rect_t ui_slider_t::knob_rect() const {
    const float pos = (m_travel > 0.0f ? m_fraction * m_travel : 0.0f) + margin;
    ui_rect_t k = m_knob;
    if (m_vertical) k.move(0.0f, (m_track.top - pos) - m_knob.top);
    else k.move(m_track.left + pos - m_knob.left, 0.0f);
    return k;
}

int32_t ui_slider_t::knob_look() const {
    if (!is_active()) return KNOB_DISABLED;
    if (m_dragging) return KNOB_DRAGGED;
    return is_selected() ? KNOB_SELECTED : KNOB_NORMAL;
}

void ui_slider_t::zml_precache(ui_draw_list_t &list) {
    if (!m_laid_out) return;
    list.add(m_buffers[is_active() ? TRACK_NORMAL : TRACK_DISABLED]);
    const int32_t look = knob_look();
    const ui_rect_t k = knob_rect();
    zml_buffer_t knob(m_buffers[look]);
    knob.offset(k.left - m_knob.left, k.top - m_knob.top);
    list.add(knob);
}

// ---- input ----

float ui_slider_t::position_at(float x, float y) const {
    if (m_vertical) return m_track.top - margin - y - m_knob.height() * 0.5f;
    return x - m_track.left - margin - m_knob.width() * 0.5f;
}

int64_t ui_slider_t::value_at(float position) const {
    if (position < 0.0f) position = 0.0f;
    if (position > m_travel) position = m_travel;
    return int64_t(std::floor(double(position) / double(m_travel) * (double(m_maximum) - double(m_minimum)) +
                              double(m_minimum) + 0.5));
}

bool ui_slider_t::knob_covers(float x, float y) const {
    const ui_rect_t k = knob_rect();
    return m_vertical ? y >= k.bottom && y <= k.top : x >= k.left && x <= k.right;
}

void ui_slider_t::drag_to(float x, float y) {
    // A knob that fills its track has nowhere to go: it stays, and so does the value.
    if (!(m_travel > 0.0f)) return;
    set_value(value_at(position_at(x, y)), false);
}

void ui_slider_t::page() {
    float x = 0.0f, y = 0.0f;
    ui_pointer_position(&x, &y);
    const int64_t v = get_value();
    if (!(m_travel > 0.0f) || knob_covers(x, y)) {
        m_paging = false;
        end_capture();
        return;
    }
    const int64_t target = value_at(position_at(x, y));
    const int64_t next = m_page_direction > 0 ? std::min(v + tick, target) : std::max(v - tick, target);
    if (m_page_direction > 0 ? next <= v : next >= v) {
        m_paging = false;
        end_capture();
        return;
    }
    set_value(next, true);
}

void ui_slider_t::end_capture() {
    if (window && window->get_capture() == this) window->set_capture(nullptr);
}

void ui_slider_t::handle_event(ui_event_t *event) {
    if (event->is_key() && is_selected() && is_active()) {
        const uint32_t ctrl = ui_get_ctrlcallback(event);
        const bool up = (ctrl & UI_CTRL_INCREASE) || (m_vertical && (ctrl & UI_CTRL_PREVIOUS));
        const bool down = (ctrl & UI_CTRL_DECREASE) || (m_vertical && (ctrl & UI_CTRL_NEXT));
        if (up || down) {
            if (ctrl & UI_CTRL_PRESS) {
                c_item_ptr_t hold(get_item());
                set_value(get_value() + (up ? int64_t(tick) : -int64_t(tick)), true);
            }
            event->consumed = true;
        }
    }
    ui_view_t::handle_event(event);
}

bool ui_slider_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    if (source == this && param) {
        switch (type) {
            case UI_ACT_BUTTON_DOWN:
                if ((param->word0 & 1u) && is_active() && m_laid_out && !m_dragging) {
                    if (knob_rect().contains(param->x, param->y)) {
                        m_paging = false;
                        m_dragging = true;
                        drag_to(param->x, param->y);
                        if (window) window->set_capture(this);
                        send(UI_ACT_DRAG_START);
                        mark_dirty();
                    } else if (hit_rect().contains(param->x, param->y)) {
                        const ui_rect_t k = knob_rect();
                        m_paging = true;
                        m_page_direction = m_vertical ? (param->y < k.bottom ? 1 : -1) : (param->x > k.right ? 1 : -1);
                        m_page_timer = 0.0f;
                        if (window) window->set_capture(this);
                    }
                }
                break;
            case UI_ACT_POINTER_MOVE:
                if (m_dragging) {
                    drag_to(param->x, param->y);
                    if (action_on_drag) send(UI_ACT_ACTIVATE);
                }
                break;
            case UI_ACT_BUTTON_UP:
                if (param->word0 & 1u) {
                    if (m_paging) {
                        m_paging = false;
                        end_capture();
                    }
                    if (m_dragging) {
                        end_capture();
                        notify(UI_NOTIFY_END_INTERACTION);
                    }
                }
                break;
            case UI_ACT_ACTIVATE:
                if (ui_view_t *l = m_listener)
                    if (l->action(this, type, param)) return true;
                break;
            default: break;
        }
    }
    return ui_view_t::action(source, type, param);
}

// ---- frame ----

void ui_slider_t::handler() {
    ui_view_t::handler();
    for (int32_t i = 0; i < LOOK_COUNT; ++i) {
        if (look_flags[i] & EVF_CHANGED) {
            m_rendered[i] = false;
            m_laid_out = false;
        }
        look_flags[i] = 0;
    }
    if (margin_flags & EVF_CHANGED) m_laid_out = false;
    margin_flags = 0;
    if (is_visible() && !m_laid_out) lay_out();
    if (m_paging) {
        m_page_timer -= float(ui_context()->frame_time);
        if (m_page_timer <= 0.0f) {
            m_page_timer = PAGE_INTERVAL;
            c_item_ptr_t hold(get_item());
            page();
        }
    }
    const int32_t look = is_visible() ? knob_look() : -1;
    if (look != m_cached_look) {
        mark_dirty();
        m_cached_look = look;
    }
}

void ui_slider_t::destroy(int stage) {
    if (stage == 0) {
        end_capture();
        m_dragging = m_paging = false;
    }
    ui_view_t::destroy(stage);
}

void ui_slider_t::notify(int32_t flags) {
    if (flags < 0) {
        for (bool &r : m_rendered) r = false;
        m_laid_out = false;
    } else if ((flags & UI_NOTIFY_END_INTERACTION) && m_dragging) {
        m_dragging = false;
        mark_dirty();
        c_item_ptr_t hold(get_item());
        send(UI_ACT_ACTIVATE);
        send(UI_ACT_DRAG_END);
    }
    ui_view_t::notify(flags);
}

void ui_slider_t::changed(uint32_t flags) {
    // The value moves the knob where it is drawn; only the size lays the slider out
    // again (looks that change are marked by their flags).
    if (flags & UI_CHANGED_SIZE) {
        for (bool &r : m_rendered) r = false;
        m_laid_out = false;
    }
    ui_view_t::changed(flags);
}

// ---- ui_common_slider_t ----

const evalue_def_t ui_common_slider_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_slider_t, &ui_common_slider_t::look>,
     &evd_flags<ui_common_slider_t, &ui_common_slider_t::tlook_flags>, nullptr},
    {"value", EVT_TEXT, nullptr, &evd_locate<ui_common_slider_t, &ui_common_slider_t::value>,
     &evd_flags<ui_common_slider_t, &ui_common_slider_t::value_flags>, nullptr},
};
const evalue_table_t ui_common_slider_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                   &ui_slider_t::values};

int ui_common_slider_t::init(int stage) {
    if (const int r = ui_slider_t::init(stage)) return r;
    if (stage == 0) {
        m_templates.acquire();
        apply_template();
    }
    return 0;
}

void ui_common_slider_t::destroy(int stage) {
    if (stage == 0) m_templates.release();
    ui_slider_t::destroy(stage);
}

void ui_common_slider_t::refresh() {
    if ((tlook_flags | value_flags) & EVF_WRITTEN) apply_template();
}

void ui_common_slider_t::handler() {
    refresh();
    ui_slider_t::handler();
}

void ui_common_slider_t::apply_template() {
    tlook_flags = value_flags = 0;
    const ui_def_templates_t &store = m_templates.templates();
    const char *suffix = rect.height() > rect.width() ? "_vert" : "_horiz";
    static constexpr const char *TRACK =
        "<img src=/system/ui/default/uidefault.mat xscale=repeat yscale=repeat color=30ff0000>";
    const struct {
        int32_t look;
        const char *key;
        const char *colour;  // knobs; null for the track
    } looks[] = {
        {KNOB_NORMAL, "n_zml", "30ffffff"},    {KNOB_SELECTED, "s_zml", "3000ffff"},
        {KNOB_DRAGGED, "p_zml", "3000ff00"},   {KNOB_DISABLED, "d_zml", "30404040"},
        {TRACK_NORMAL, "n_background", nullptr}, {TRACK_DISABLED, "d_background", nullptr},
    };
    mstring_dyn_t key, markup;
    for (const auto &l : looks) {
        key.printf("%s%s", l.key, suffix);
        if (!store.expand(look, key.c_str(), value.c_str(), markup)) {
            if (l.colour)
                markup.printf("<img src=/system/ui/default/uidefault.mat color=%s><ret><offset hshift=4 vshift=4>X",
                              l.colour);
            else markup.copy(TRACK);
        }
        set_look_text(l.look, markup.c_str());
    }
    key.printf("margin%s", suffix);
    if (!store.expand(look, key.c_str(), value.c_str(), markup) || !try_set_value("margin", markup.c_str()))
        try_set_value("margin", "0");
}

void ui_common_slider_t::changed(uint32_t flags) {
    // The orientation follows the shape: every size change reads the template again.
    if ((flags & UI_CHANGED_SIZE) && m_templates.is_held() && !m_applying) {
        m_applying = true;
        apply_template();
        m_applying = false;
    }
    ui_slider_t::changed(flags);
}

namespace {

constexpr entity_reg_t COMMON_SLIDER_REG = game_ui_reg<ui_common_slider_t>("ui.comp.common.slider");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_sliders, quarn::ui_component_row<quarn::COMMON_SLIDER_REG>());
