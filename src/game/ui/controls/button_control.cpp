#include "game/ui/controls/button_control.h"

#include <strings.h>

#include "game/ui/controls/control_kit.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_group.h"

namespace quarn {

namespace {

template <int LOOK>
uint8_t *look_flags_of(entity_t *e) {
    return &static_cast<ui_button_t *>(e)->look_flags[LOOK];
}

}  // namespace

int32_t ui_button_type_of(const char *text) {
    static const char *const NAMES[] = {"normal", "check", "radio", "menu"};
    if (!text) return -1;
    for (int32_t i = 0; i < 4; ++i)
        if (strcasecmp(text, NAMES[i]) == 0) return i;
    int32_t n = -1;
    if (evalue_read(EVT_INT, text, &n) && n >= 0 && n <= 3) return n;
    return -1;
}

bool ui_button_t::set_type(entity_t *entity, const evalue_def_t &, const char *text) {
    const int32_t t = ui_button_type_of(text);
    if (t < 0) return false;
    static_cast<ui_button_t *>(entity)->button_type = t;
    return true;
}

const evalue_def_t ui_button_t::value_defs[] = {
    {"n_zml", EVT_TEXT, nullptr, &evd_locate<ui_button_t, &ui_button_t::n_zml>, &look_flags_of<LOOK_NORMAL>, nullptr},
    {"s_zml", EVT_TEXT, nullptr, &evd_locate<ui_button_t, &ui_button_t::s_zml>, &look_flags_of<LOOK_SELECTED>, nullptr},
    {"s2_zml", EVT_TEXT, nullptr, &evd_locate<ui_button_t, &ui_button_t::s2_zml>, &look_flags_of<LOOK_SELECTED_DOWN>,
     nullptr},
    {"d_zml", EVT_TEXT, nullptr, &evd_locate<ui_button_t, &ui_button_t::d_zml>, &look_flags_of<LOOK_DISABLED>, nullptr},
    {"p_zml", EVT_TEXT, nullptr, &evd_locate<ui_button_t, &ui_button_t::p_zml>, &look_flags_of<LOOK_DOWN>, nullptr},
    {"button_type", EVT_INT, nullptr, &evd_locate<ui_button_t, &ui_button_t::button_type>,
     &evd_flags<ui_button_t, &ui_button_t::type_flags>, &ui_button_t::set_type},
    {"down", EVT_BOOL, nullptr, &evd_locate<ui_button_t, &ui_button_t::down>,
     &evd_flags<ui_button_t, &ui_button_t::down_flags>, nullptr},
};
const evalue_table_t ui_button_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_view_t::values};

ui_button_t::ui_button_t() { view_flags |= UI_VIEW_BUTTON | UI_VIEW_FOCUSABLE; }

mstring_dyn_t &ui_button_t::look_text(int32_t look) {
    switch (look) {
        case LOOK_SELECTED: return s_zml;
        case LOOK_SELECTED_DOWN: return s2_zml;
        case LOOK_DOWN: return p_zml;
        case LOOK_DISABLED: return d_zml;
        default: return n_zml;
    }
}

void ui_button_t::set_look_text(int32_t look, const char *markup) {
    if (look < 0 || look >= LOOK_COUNT) return;
    ui_assign(look_text(look), look_flags[look], markup);
}

int32_t ui_button_t::state() const {
    if (!is_active()) return LOOK_DISABLED;
    const bool selected = is_selected();
    if (!down) return selected ? LOOK_SELECTED : LOOK_NORMAL;
    if (button_type != NORMAL && selected && !s2_zml.is_empty()) return LOOK_SELECTED_DOWN;
    return LOOK_DOWN;
}

bool ui_button_t::set_down(bool value) {
    const bool former = down;
    down = value;
    if (value && button_type == RADIO && parent)
        for (uint32_t i = 0; i < parent->child_count(); ++i) {
            auto *b = dynamic_cast<ui_button_t *>(parent->child(i));
            if (b && b != this && b->button_type == RADIO) b->down = false;
        }
    return former;
}

void ui_button_t::click() {
    switch (button_type) {
        case CHECK: down = !down; break;
        case RADIO: set_down(true); break;
        default: down = false; break;
    }
    ui_act_param_t p;
    p.word0 = down ? 1u : 0u;
    p.value = down ? 1 : 0;
    ui_raise(this, UI_ACT_ACTIVATE, &p);
}

void ui_button_t::handle_event(ui_event_t *event) {
    bool press = false, release = false, key = false;
    if (event->is_key()) {
        const uint32_t ctrl = ui_get_ctrlcallback(event);
        if (ctrl & UI_CTRL_ACTION) {
            press = (ctrl & UI_CTRL_PRESS) != 0;
            release = (ctrl & UI_CTRL_RELEASE) != 0;
            key = true;
        }
    } else if ((event->buttons & 1u) && event->type == ui_event_t::BUTTON_DOWN) {
        // A press outside the control (a capture elsewhere) is not the button's.
        press = hit_rect().contains(event->x, event->y);
    } else if ((event->buttons & 1u) && event->type == ui_event_t::BUTTON_UP) {
        release = true;
    }
    bool used = false;
    if ((press || release) && is_selected() && is_active()) {
        c_item_ptr_t hold(get_item());
        switch (button_type) {
            case NORMAL:
                if (press) {
                    down = true;
                    used = true;
                } else if (down) {
                    click();
                    used = true;
                }
                break;
            case CHECK:
            case RADIO:
                if (press) {
                    m_armed = true;
                    used = true;
                } else if (m_armed) {
                    m_armed = false;
                    click();
                    used = true;
                }
                break;
            default:
                if (press) {
                    click();
                    used = true;
                }
                break;
        }
    }
    ui_view_t::handle_event(event);
    // Only keys are taken: pointer events still raise their actions.
    if (used && key) event->consumed = true;
}

bool ui_button_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    if (source == this && (type == UI_ACT_POINTER_LEAVE || type == UI_ACT_FOCUS_LEAVE)) {
        m_armed = false;
        if (type == UI_ACT_POINTER_LEAVE && button_type == NORMAL) down = false;
    }
    return ui_view_t::action(source, type, param);
}

void ui_button_t::handler() {
    ui_view_t::handler();
    bool looks_changed = false;
    for (uint8_t &f : look_flags) {
        if (f & EVF_CHANGED) looks_changed = true;
        f = 0;
    }
    if (looks_changed) changed(UI_CHANGED_CONTENT);
    int32_t s = -1;
    if (is_visible()) {
        s = state();
        for (int32_t i = 0; i < LOOK_COUNT; ++i) {
            if (m_rendered[i]) continue;
            zml_render_to(m_buffers[i], look_text(i).c_str(), rect);
            m_rendered[i] = true;
            if (i == s) m_shown_look = -2;
        }
    }
    if (s != m_shown_look) {
        mark_dirty();
        m_shown_look = s;
    }
}

void ui_button_t::zml_precache(ui_draw_list_t &list) {
    if (m_shown_look >= 0 && m_rendered[m_shown_look]) list.add(m_buffers[m_shown_look]);
}

void ui_button_t::offset(float dx, float dy, uint32_t flags) {
    bool all = true;
    for (bool r : m_rendered) all = all && r;
    if (!all || !(flags & UI_OFFSET_RECT)) return ui_view_t::offset(dx, dy, flags);
    if (dx == 0.0f && dy == 0.0f) return;
    rect.move(dx, dy);
    if (has_area && (flags & UI_OFFSET_AREA)) area.move(dx, dy);
    for (zml_buffer_t &b : m_buffers) b.offset(dx, dy);
    ui_view_t::changed(UI_CHANGED_SIZE);
}

void ui_button_t::notify(int32_t flags) {
    if (flags < 0)
        for (bool &r : m_rendered) r = false;
    ui_view_t::notify(flags);
}

void ui_button_t::changed(uint32_t flags) {
    if (flags & (UI_CHANGED_SIZE | UI_CHANGED_CONTENT))
        for (bool &r : m_rendered) r = false;
    ui_view_t::changed(flags);
}

// ---- ui_common_button_t ----

const evalue_def_t ui_common_button_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_button_t, &ui_common_button_t::look>,
     &evd_flags<ui_common_button_t, &ui_common_button_t::tlook_flags>, nullptr},
    {"value", EVT_TEXT, nullptr, &evd_locate<ui_common_button_t, &ui_common_button_t::value>,
     &evd_flags<ui_common_button_t, &ui_common_button_t::value_flags>, nullptr},
    {"value2", EVT_TEXT, nullptr, &evd_locate<ui_common_button_t, &ui_common_button_t::value2>,
     &evd_flags<ui_common_button_t, &ui_common_button_t::value2_flags>, nullptr},
};
const evalue_table_t ui_common_button_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                   &ui_button_t::values};

int ui_common_button_t::init(int stage) {
    if (const int r = ui_button_t::init(stage)) return r;
    if (stage == 0) {
        m_templates.acquire();
        apply_template();
    }
    return 0;
}

void ui_common_button_t::destroy(int stage) {
    if (stage == 0) m_templates.release();
    ui_button_t::destroy(stage);
}

void ui_common_button_t::refresh() {
    if ((tlook_flags | value_flags | value2_flags) & EVF_WRITTEN) apply_template();
}

void ui_common_button_t::handler() {
    refresh();
    ui_button_t::handler();
}

void ui_common_button_t::apply_template() {
    tlook_flags = value_flags = value2_flags = 0;
    const ui_def_templates_t &store = m_templates.templates();
    if (const def_obj_t *t = store.find(look)) {
        const bool sized = ui_template_size_flags(*this, *t);
        const bool areaoff = t->get_value("areaoff") != nullptr;
        if (sized || areaoff) changed(UI_CHANGED_SIZE | (areaoff ? UI_CHANGED_AREA : 0u));
        const int32_t type = ui_button_type_of(t->get_value("type"));
        if (type >= 0) button_type = type;
    }
    // A check box shows value2 while checked; a radio button keeps its value.
    const char *second = button_type == CHECK ? value2.c_str() : value.c_str();
    struct {
        int32_t look;
        const char *key;
        const char *parameter;
        const char *colour;
    } const looks[] = {
        {LOOK_NORMAL, "n_zml", value.c_str(), "30ffffff"},
        {LOOK_SELECTED, "s_zml", value.c_str(), "3000ffff"},
        {LOOK_DISABLED, "d_zml", value.c_str(), "30404040"},
        {LOOK_SELECTED_DOWN, "s2_zml", second, "3000ffff"},
        {LOOK_DOWN, "p_zml", second, "3000ff00"},
    };
    mstring_dyn_t markup;
    for (const auto &l : looks) {
        if (!store.expand(look, l.key, l.parameter, markup)) ui_panel_markup(markup, l.colour, l.parameter);
        set_look_text(l.look, markup.c_str());
    }
}

void ui_common_button_t::changed(uint32_t flags) {
    if (const def_obj_t *t = m_templates.templates().find(look)) {
        if (flags & UI_CHANGED_SIZE) ui_template_resize(*this, *t);
        float a[4];
        if ((flags & (UI_CHANGED_SIZE | UI_CHANGED_AREA)) && t->get_value("areaoff") && t->get_point("areaoff", a, 4)) {
            area = {rect.left + a[0], rect.right - a[1], rect.top - a[2], rect.bottom + a[3]};
            has_area = true;
        }
    }
    ui_button_t::changed(flags);
}

namespace {

constexpr entity_reg_t BUTTON_REG = game_ui_reg<ui_button_t>("ui.comp.button");
constexpr entity_reg_t COMMON_BUTTON_REG = game_ui_reg<ui_common_button_t>("ui.comp.common.button");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_buttons, quarn::ui_component_row<quarn::BUTTON_REG>(),
                 quarn::ui_component_row<quarn::COMMON_BUTTON_REG>());
