#include "game/ui/controls/dropdown_control.h"

#include "game/ui/controls/button_control.h"
#include "game/ui/controls/list_control.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/text_format.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

const evalue_def_t ui_dropdown_t::value_defs[] = {
    {"d_zml", EVT_TEXT, nullptr, &evd_locate<ui_dropdown_t, &ui_dropdown_t::d_zml>,
     &evd_flags<ui_dropdown_t, &ui_dropdown_t::format_flags>, nullptr},
    {"p_zml", EVT_TEXT, nullptr, &evd_locate<ui_dropdown_t, &ui_dropdown_t::p_zml>,
     &evd_flags<ui_dropdown_t, &ui_dropdown_t::format_flags>, nullptr},
    {"s_zml", EVT_TEXT, nullptr, &evd_locate<ui_dropdown_t, &ui_dropdown_t::s_zml>,
     &evd_flags<ui_dropdown_t, &ui_dropdown_t::format_flags>, nullptr},
    {"n_zml", EVT_TEXT, nullptr, &evd_locate<ui_dropdown_t, &ui_dropdown_t::n_zml>,
     &evd_flags<ui_dropdown_t, &ui_dropdown_t::format_flags>, nullptr},
    {"list_management", EVT_BOOL, nullptr, &evd_locate<ui_dropdown_t, &ui_dropdown_t::list_management>,
     &evd_flags<ui_dropdown_t, &ui_dropdown_t::other_flags>, nullptr},
    {"tooltip", EVT_TEXT, nullptr, &evd_locate<ui_dropdown_t, &ui_dropdown_t::tooltip>,
     &evd_flags<ui_dropdown_t, &ui_dropdown_t::other_flags>, nullptr},
};
const evalue_table_t ui_dropdown_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_group_t::values};

ui_dropdown_t::~ui_dropdown_t() {
    m_list.release();
    m_button.release();
}

ui_button_t *ui_dropdown_t::get_button() const { return dynamic_cast<ui_button_t *>(ui_view_of(m_button.get())); }

ui_list_t *ui_dropdown_t::get_list() const { return dynamic_cast<ui_list_t *>(ui_view_of(m_list.get())); }

bool ui_dropdown_t::is_open() const {
    const ui_button_t *b = get_button();
    return b && b->down;
}

void ui_dropdown_t::fill_looks() {
    ui_button_t *b = get_button();
    // A common drop button takes its looks from its template.
    if (!b || dynamic_cast<ui_common_button_t *>(b)) return;
    const mstring_dyn_t *formats[] = {&n_zml, &s_zml, &p_zml, &d_zml};
    const int32_t looks[] = {ui_button_t::LOOK_NORMAL, ui_button_t::LOOK_SELECTED, ui_button_t::LOOK_DOWN,
                             ui_button_t::LOOK_DISABLED};
    mstring_dyn_t markup;
    for (int i = 0; i < 4; ++i) {
        text_format(markup, formats[i]->c_str(), {""});
        b->set_look_text(looks[i], markup.c_str());
    }
}

// The button covers the dropdown; a button that sizes itself (a template's width or
// height) sizes the dropdown in turn.
void ui_dropdown_t::fit_button() {
    ui_button_t *b = get_button();
    if (!b) return;
    b->rect = rect;
    b->area = rect;
    b->has_area = true;
    b->changed(UI_CHANGED_SIZE | UI_CHANGED_AREA);
    if (!(b->view_flags & UI_VIEW_AUTO_WIDTH)) rect.right = rect.left + b->rect.width();
    if (!(b->view_flags & UI_VIEW_AUTO_HEIGHT)) rect.top = rect.bottom + b->rect.height();
}

bool ui_dropdown_t::make_button() {
    if (m_button) return true;
    c_item_t *item = ui_spawn_ci(button_class());
    ui_button_t *b = dynamic_cast<ui_button_t *>(ui_view_of(item));
    if (!b) {
        if (item) item->release_ref();
        error("cannot make its drop button ('%s')", button_class());
        return false;
    }
    b->set_name("_drop button");
    b->button_type = ui_button_t::CHECK;
    b->layer = layer;
    b->rect = rect;
    prepare_button(b);
    const bool added = add_child(item, false);
    item->release_ref();
    if (!added) return false;
    m_button = item;
    ui_init_ci(item);
    // Whatever the template says, the drop button toggles.
    b->button_type = ui_button_t::CHECK;
    fill_looks();
    fit_button();
    return true;
}

void ui_dropdown_t::set_open(bool open) {
    if (ui_button_t *b = get_button()) b->set_down(open);
    if (ui_list_t *l = get_list()) {
        if (open) l->lay_out();
        if (l->visible != open) l->show(open);
    }
}

// The first list among the window's children.
void ui_dropdown_t::find_list() {
    ui_window_t *w = get_window();
    if (!w) return;
    for (uint32_t i = 0; i < w->child_count(); ++i) {
        ui_view_t *v = w->child(i);
        if (v && (v->view_flags & UI_VIEW_LIST) && dynamic_cast<ui_list_t *>(v)) {
            m_list = w->child_item(i);
            return;
        }
    }
}

int ui_dropdown_t::init(int stage) {
    if (const int r = ui_group_t::init(stage)) return r;
    if (stage == 0) make_button();
    return 0;
}

void ui_dropdown_t::destroy(int stage) {
    ui_group_t::destroy(stage);
    if (stage == 0) m_list.release();
}

void ui_dropdown_t::handler() {
    if (format_flags & EVF_WRITTEN) fill_looks();
    format_flags = other_flags = 0;
    if (!m_button && get_window()) make_button();
    ui_button_t *b = get_button();
    if (b && b->down && !m_list) {
        find_list();
        if (m_list) set_open(true);
    } else if (b && !b->down && m_list) {
        ui_window_t *w = get_window();
        bool present = false;
        for (uint32_t i = 0; w && i < w->child_count(); ++i) present = present || w->child_item(i) == m_list.get();
        if (!present) {
            m_list.release();
            set_open(false);
        }
    }
    ui_group_t::handler();
}

bool ui_dropdown_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    if (source && source->get_item() == m_button.get() && type == UI_ACT_ACTIVATE) {
        // The button toggled: the list held follows it (a first opening finds the
        // list at the next frame).
        if (ui_button_t *b = get_button()) set_open(b->down);
    }
    return ui_group_t::action(source, type, param);
}

void ui_dropdown_t::notify(int32_t flags) {
    if (flags > 0 && (flags & UI_NOTIFY_END_INTERACTION)) set_open(false);
    ui_group_t::notify(flags);
}

void ui_dropdown_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_SIZE) fit_button();
    if (flags & UI_CHANGED_LAYER)
        if (ui_button_t *b = get_button()) {
            b->layer = layer;
            b->changed(UI_CHANGED_LAYER);
        }
    ui_group_t::changed(flags);
}

// ---- ui_common_dropdown_t ----

const evalue_def_t ui_common_dropdown_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_dropdown_t, &ui_common_dropdown_t::look>,
     &evd_flags<ui_common_dropdown_t, &ui_common_dropdown_t::tlook_flags>, nullptr},
};
const evalue_table_t ui_common_dropdown_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                     &ui_dropdown_t::values};

int ui_common_dropdown_t::init(int stage) {
    if (stage == 0) m_templates.acquire();
    return ui_dropdown_t::init(stage);
}

void ui_common_dropdown_t::destroy(int stage) {
    ui_dropdown_t::destroy(stage);
    if (stage == 0) m_templates.release();
}

void ui_common_dropdown_t::handler() {
    if (tlook_flags & EVF_WRITTEN) {
        tlook_flags = 0;
        if (auto *b = dynamic_cast<ui_common_button_t *>(get_button())) {
            prepare_button(b);
            b->apply_template();
            b->button_type = ui_button_t::CHECK;
            fit_button();
        }
    }
    ui_dropdown_t::handler();
}

void ui_common_dropdown_t::prepare_button(ui_button_t *button) {
    mstring_dyn_t number;
    number.printf("%d", look);
    button->try_set_value("look", number.c_str());
}

namespace {

constexpr entity_reg_t COMMON_DROPDOWN_REG = game_ui_reg<ui_common_dropdown_t>("ui.comp.common.dropdown");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_dropdowns, quarn::ui_component_row<quarn::COMMON_DROPDOWN_REG>());
