#include "game/ui/controls/portal_control.h"

#include <cmath>

#include "game/ui/controls/control_kit.h"
#include "game/ui/controls/find_item.h"
#include "game/ui/controls/slider_control.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

const evalue_def_t ui_portal_t::value_defs[] = {
    {"vslider_id", EVT_INT, nullptr, &evd_locate<ui_portal_t, &ui_portal_t::vslider_id>,
     &evd_flags<ui_portal_t, &ui_portal_t::value_flags>, &evd_id},
    {"hslider_id", EVT_INT, nullptr, &evd_locate<ui_portal_t, &ui_portal_t::hslider_id>,
     &evd_flags<ui_portal_t, &ui_portal_t::value_flags>, &evd_id},
    {"child", EVT_TEXT, nullptr, &evd_locate<ui_portal_t, &ui_portal_t::child>,
     &evd_flags<ui_portal_t, &ui_portal_t::value_flags>, nullptr},
    {"fitting", EVT_BOOL, nullptr, &evd_locate<ui_portal_t, &ui_portal_t::fitting>, nullptr, nullptr},
};
const evalue_table_t ui_portal_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_group_t::values};

// A control: it takes the pointer over its whole rectangle.
ui_portal_t::ui_portal_t() { view_flags = (view_flags | UI_VIEW_FOCUSABLE) & ~uint32_t(UI_VIEW_POINTER_THROUGH); }

ui_portal_t::~ui_portal_t() {
    // The window table may still hold the child (it goes with the table): only the
    // portal's references go here.
    if (ui_window_t *w = get_child())
        if (w->owner == this) w->owner = nullptr;
    let_go_of_sliders();
    m_child.release();
}

ui_window_t *ui_portal_t::get_child() const { return ui_window_of(m_child.get()); }

ui_slider_t *ui_portal_t::get_slider(bool vertical) const {
    return dynamic_cast<ui_slider_t *>(ui_view_of((vertical ? m_vslider : m_hslider).get()));
}

void ui_portal_t::remove_child_window() {
    if (c_item_t *item = m_child.get()) {
        c_item_ptr_t hold(item);
        m_child.release();
        if (ui_window_t *w = ui_window_of(item)) w->owner = nullptr;
        ui_wremove(item);
    }
}

void ui_portal_t::spawn_child() {
    value_flags = 0;
    remove_child_window();
    let_go_of_sliders();
    m_x = m_y = 0.0f;
    m_moved_by_vslider = false;
    m_needs_setup = false;
    m_setup_width = m_setup_height = -1.0f;
    if (child.is_empty()) return;
    c_item_t *item = ui_winsert("ui_portal", "slave", UI_WINSERT_CHILD, child.c_str(), false);
    ui_window_t *w = ui_window_of(item);
    if (!w) {
        error("cannot spawn child '%s'", child.c_str());
        return;
    }
    m_child = item;
    w->owner = this;
    m_needs_setup = true;
}

void ui_portal_t::let_go_of_sliders() {
    for (c_item_ptr_t *p : {&m_hslider, &m_vslider}) {
        if (ui_slider_t *s = dynamic_cast<ui_slider_t *>(ui_view_of(p->get())))
            if (s->get_listener() == this) s->set_listener(nullptr);
        p->release();
    }
}

void ui_portal_t::set_up_sliders() {
    m_needs_setup = false;
    ui_window_t *w = get_child();
    if (!w) return;
    let_go_of_sliders();
    const float cw = w->rect.width(), ch = w->rect.height();
    const struct {
        int32_t id;
        c_item_ptr_t &held;
        float overflow;
    } sliders[] = {
        {hslider_id, m_hslider, cw - rect.width()},
        {vslider_id, m_vslider, ch - rect.height()},
    };
    for (const auto &s : sliders) {
        if (s.id == -1) continue;
        c_item_t *item = find_item_by_id(get_window(), s.id);
        ui_slider_t *slider = dynamic_cast<ui_slider_t *>(ui_view_of(item));
        if (!slider) {
            warning("no slider of id %d", s.id);
            continue;
        }
        s.held = item;
        slider->set_listener(this);
        if (s.overflow > 0.0f) {
            slider->activate(true);
            // An overflow that rounds to nothing leaves an empty range: the slider
            // stands at its start.
            slider->set_range(0, int32_t(std::floor(s.overflow + 0.5f)));
            slider->set_value(0, false);
        } else {
            slider->activate(false);
        }
    }
    m_setup_width = rect.width();
    m_setup_height = rect.height();
    if (!m_moved_by_vslider) move_child(m_x, rect.height() - ch);
    else sync_sliders();
}

void ui_portal_t::move_child(float x, float y) {
    float ux = 1.0f, uy = 1.0f;
    ui_pixel_units(&ux, &uy);
    m_x = ui_snap(x, ux);
    m_y = ui_snap(y, uy);
    if (ui_window_t *w = get_child()) w->move_to(rect.left + m_x, rect.bottom + m_y);
}

// The sliders stand where the child's offset says.
void ui_portal_t::sync_sliders() {
    ui_window_t *w = get_child();
    if (!w) return;
    if (ui_slider_t *h = get_slider(false)) h->set_value(int64_t(std::floor(-m_x + 0.5f)), false);
    if (ui_slider_t *v = get_slider(true))
        v->set_value(int64_t(std::floor(m_y - (rect.height() - w->rect.height()) + 0.5f)), false);
}

int ui_portal_t::init(int stage) {
    if (const int r = ui_group_t::init(stage)) return r;
    if (stage == 0) spawn_child();
    return 0;
}

void ui_portal_t::destroy(int stage) {
    if (stage == 0) {
        let_go_of_sliders();
        remove_child_window();
    }
    ui_group_t::destroy(stage);
}

void ui_portal_t::handler() {
    if (value_flags & EVF_WRITTEN) spawn_child();
    if (m_needs_setup) set_up_sliders();
    ui_group_t::handler();
}

void ui_portal_t::draw(r_queue_t *queue) {
    ui_group_t::draw(queue);
    if (ui_window_t *w = get_child())
        if (is_visible() && w->shown) w->draw_window(queue);
}

void ui_portal_t::handle_event(ui_event_t *event) {
    ui_window_t *w = get_child();
    if (!w) return ui_group_t::handle_event(event);
    c_item_ptr_t hold(m_child);
    if (event->is_pointer() && !hit_rect().contains(event->x, event->y)) {
        // Outside: the child's view under the pointer is left.
        w->set_hover(nullptr, *event);
        return ui_group_t::handle_event(event);
    }
    w->feed(event);
    // The child's actions reach the portal's chain through the child window.
    event->consumed = true;
}

bool ui_portal_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    if (source && type == UI_ACT_ACTIVATE && param) {
        if (m_hslider && source->get_item() == m_hslider.get()) {
            move_child(-float(param->value), m_y);
            return true;
        }
        if (m_vslider && source->get_item() == m_vslider.get()) {
            const ui_window_t *w = get_child();
            const float ch = w ? w->rect.height() : 0.0f;
            move_child(m_x, rect.height() - ch + float(param->value));
            m_moved_by_vslider = true;
            return true;
        }
    }
    if (source == this && type == UI_ACT_POINTER_LEAVE)
        if (ui_window_t *w = get_child()) {
            ui_event_t e;
            e.x = param ? param->x : 0.0f;
            e.y = param ? param->y : 0.0f;
            c_item_ptr_t hold(m_child);
            w->set_hover(nullptr, e);
        }
    return ui_group_t::action(source, type, param);
}

void ui_portal_t::offset(float dx, float dy, uint32_t flags) {
    ui_group_t::offset(dx, dy, flags);
    if (!(flags & UI_OFFSET_RECT)) return;
    // The child goes along, its offset kept.
    if (ui_window_t *w = get_child()) w->move_to(rect.left + m_x, rect.bottom + m_y);
    sync_sliders();
}

void ui_portal_t::changed(uint32_t flags) {
    // A move is no resize: the sliders keep their places then.
    if ((flags & UI_CHANGED_SIZE) && m_child && (rect.width() != m_setup_width || rect.height() != m_setup_height))
        m_needs_setup = true;
    ui_group_t::changed(flags);
}

namespace {

constexpr entity_reg_t PORTAL_REG = game_ui_reg<ui_portal_t>("ui.comp.portal");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_portals, quarn::ui_component_row<quarn::PORTAL_REG>());
