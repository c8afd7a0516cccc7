#include "game/ui/controls/list_control.h"

#include <strings.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "game/ui/controls/button_control.h"
#include "game/ui/controls/control_kit.h"
#include "game/ui/controls/slider_control.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/text_format.h"
#include "outside/qrnshared/ui/ui_item.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

namespace {

// Items a layout may make with "items": far more than any screen shows.
constexpr uint32_t MAX_LAYOUT_ITEMS = 1u << 16;

}  // namespace

// Layouts give items field by field: "item_zml" begins a new item, the other item
// fields set the newest one (making one when there is none); "items" sets the count.
bool ui_list_t::set_items(entity_t *entity, const evalue_def_t &, const char *text) {
    uint32_t n = 0;
    if (!evalue_read(EVT_UINT, text, &n) || n > MAX_LAYOUT_ITEMS) return false;
    ui_list_t *l = static_cast<ui_list_t *>(entity);
    if (n < l->item_count()) {
        if (l->m_selected >= int32_t(n)) l->m_selected = -1;
        if (l->m_hovered >= int32_t(n)) l->m_hovered = -1;
    }
    if (!l->m_items.set_size(n)) return false;
    l->ask_layout();
    return true;
}

bool ui_list_t::set_item_field(entity_t *entity, const evalue_def_t &def, const char *text) {
    ui_list_t *l = static_cast<ui_list_t *>(entity);
    ui_list_item_t item;
    uint32_t mask = 0;
    if (strcasecmp(def.name, "item_zml") == 0) {
        item.zml = text;
        return l->insert_item(item, ui_list_item_t::ZML, l->item_count());
    }
    if (strcasecmp(def.name, "item_text") == 0) {
        item.text = text;
        mask = ui_list_item_t::TEXT;
    } else if (strcasecmp(def.name, "item_active") == 0) {
        if (!evalue_read(EVT_BOOL, text, &item.active)) return false;
        mask = ui_list_item_t::ACTIVE;
    } else {
        if (!evalue_read(EVT_UINT, text, &item.data)) return false;
        mask = ui_list_item_t::DATA;
    }
    if (l->item_count() == 0) return l->insert_item(item, mask, 0);
    return l->set_item(l->item_count() - 1, item, mask);
}

const evalue_def_t ui_list_t::value_defs[] = {
    {"items", EVT_CUSTOM, nullptr, nullptr, nullptr, &ui_list_t::set_items},
    {"item_data", EVT_CUSTOM, nullptr, nullptr, nullptr, &ui_list_t::set_item_field},
    {"item_text", EVT_CUSTOM, nullptr, nullptr, nullptr, &ui_list_t::set_item_field},
    {"item_active", EVT_CUSTOM, nullptr, nullptr, nullptr, &ui_list_t::set_item_field},
    {"item_zml", EVT_CUSTOM, nullptr, nullptr, nullptr, &ui_list_t::set_item_field},
    {"d_zml", EVT_TEXT, nullptr, &evd_locate<ui_list_t, &ui_list_t::d_zml>, &evd_flags<ui_list_t, &ui_list_t::format_flags>,
     nullptr},
    {"p_zml", EVT_TEXT, nullptr, &evd_locate<ui_list_t, &ui_list_t::p_zml>, &evd_flags<ui_list_t, &ui_list_t::format_flags>,
     nullptr},
    {"s_zml", EVT_TEXT, nullptr, &evd_locate<ui_list_t, &ui_list_t::s_zml>, &evd_flags<ui_list_t, &ui_list_t::format_flags>,
     nullptr},
    {"n_zml", EVT_TEXT, nullptr, &evd_locate<ui_list_t, &ui_list_t::n_zml>, &evd_flags<ui_list_t, &ui_list_t::format_flags>,
     nullptr},
    {"item_gap", EVT_FLOAT, nullptr, &evd_locate<ui_list_t, &ui_list_t::item_gap>,
     &evd_flags<ui_list_t, &ui_list_t::size_flags>, nullptr},
    {"item_width", EVT_FLOAT, nullptr, &evd_locate<ui_list_t, &ui_list_t::item_width>,
     &evd_flags<ui_list_t, &ui_list_t::size_flags>, nullptr},
    {"item_height", EVT_FLOAT, nullptr, &evd_locate<ui_list_t, &ui_list_t::item_height>,
     &evd_flags<ui_list_t, &ui_list_t::size_flags>, nullptr},
    {"slider_management", EVT_BOOL, nullptr, &evd_locate<ui_list_t, &ui_list_t::slider_management>,
     &evd_flags<ui_list_t, &ui_list_t::size_flags>, nullptr},
    {"multi_column", EVT_BOOL, nullptr, &evd_locate<ui_list_t, &ui_list_t::multi_column>,
     &evd_flags<ui_list_t, &ui_list_t::size_flags>, nullptr},
};
const evalue_table_t ui_list_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_group_t::values};

ui_list_t::ui_list_t() {
    // A control: it takes the pointer over its whole rectangle.
    view_flags = (view_flags | UI_VIEW_LIST) & ~uint32_t(UI_VIEW_POINTER_THROUGH);
    m_name = "ui.comp.list";
}

ui_list_t::~ui_list_t() { let_go_of_slider(); }

// ---- items ----

bool ui_list_t::insert_item(const ui_list_item_t &item, uint32_t mask, uint32_t position) {
    if (position > item_count()) position = item_count();
    if (!m_items.open_slot(position)) return false;
    // The indexes at and after the new item move up by one.
    if (m_selected >= int32_t(position)) ++m_selected;
    if (m_hovered >= int32_t(position)) ++m_hovered;
    item_t &i = m_items[position];
    if (mask & ui_list_item_t::ZML) i.zml.copy(item.zml ? item.zml : "");
    if (mask & ui_list_item_t::TEXT) i.text.copy(item.text ? item.text : "");
    if (mask & ui_list_item_t::ACTIVE) i.active = item.active;
    if (mask & ui_list_item_t::DATA) i.data = item.data;
    if (mask & ui_list_item_t::POINTER) i.pointer = item.pointer;
    ask_layout();
    return true;
}

bool ui_list_t::get_item(uint32_t position, ui_list_item_t &out, uint32_t mask) const {
    if (position >= item_count()) return false;
    const item_t &i = m_items[position];
    if (mask & ui_list_item_t::ZML) out.zml = i.zml.c_str();
    if (mask & ui_list_item_t::TEXT) out.text = i.text.c_str();
    if (mask & ui_list_item_t::ACTIVE) out.active = i.active;
    if (mask & ui_list_item_t::DATA) out.data = i.data;
    if (mask & ui_list_item_t::POINTER) out.pointer = i.pointer;
    out.index = int32_t(position);
    return true;
}

bool ui_list_t::set_item(uint32_t position, const ui_list_item_t &item, uint32_t mask) {
    if (position >= item_count()) return false;
    item_t &i = m_items[position];
    if (mask & ui_list_item_t::ZML) i.zml.copy(item.zml ? item.zml : "");
    if (mask & ui_list_item_t::TEXT) i.text.copy(item.text ? item.text : "");
    if (mask & ui_list_item_t::ACTIVE) {
        i.active = item.active;
        if (int32_t(position) == m_selected) m_selected = -1;
    }
    if (mask & ui_list_item_t::DATA) i.data = item.data;
    if (mask & ui_list_item_t::POINTER) i.pointer = item.pointer;
    ask_layout();
    return true;
}

void ui_list_t::clear_items() {
    for (uint32_t k = 0; k < item_button_count(); ++k)
        if (ui_button_t *b = item_button(k)) fill_button(b, nullptr);
    m_hovered = m_selected = -1;
    m_items.clear();
    ask_layout();
}

void ui_list_t::sort_items(compare_t compare) {
    if (!compare) return;
    // Insertion sort: stable, and the lists of the screens are short.
    for (uint32_t i = 1; i < item_count(); ++i) {
        for (uint32_t j = i; j > 0; --j) {
            const ui_list_item_t a = record(int32_t(j - 1));
            const ui_list_item_t b = record(int32_t(j));
            if (compare(this, a, b) <= 0) break;
            std::swap(m_items[j - 1], m_items[j]);
        }
    }
    m_hovered = m_selected = -1;
    ask_layout();
}

ui_list_item_t ui_list_t::record(int32_t index) const {
    ui_list_item_t r;
    get_item(uint32_t(index), r);
    r.index = index;
    return r;
}

bool ui_list_t::send(uint32_t type, int32_t index) {
    const ui_list_item_t r = record(index);
    ui_act_param_t p;
    p.item = &r;
    p.word0 = uint32_t(index);
    c_item_ptr_t hold(get_item());
    return ui_group_t::action(this, type, &p);
}

// ---- buttons ----

ui_button_t *ui_list_t::item_button(uint32_t k) const {
    ui_group_t *g = ui_as_group(ui_entity_of(m_group.get()));
    return g && k < g->child_count() ? dynamic_cast<ui_button_t *>(g->child(k)) : nullptr;
}

uint32_t ui_list_t::item_button_count() const {
    ui_group_t *g = ui_as_group(ui_entity_of(m_group.get()));
    return g ? g->child_count() : 0;
}

void ui_list_t::fill_button(ui_button_t *button, const char *zml) {
    const mstring_dyn_t *formats[] = {&n_zml, &s_zml, &p_zml, &d_zml};
    const int32_t looks[] = {ui_button_t::LOOK_NORMAL, ui_button_t::LOOK_SELECTED, ui_button_t::LOOK_DOWN,
                             ui_button_t::LOOK_DISABLED};
    mstring_dyn_t markup;
    for (int i = 0; i < 4; ++i) {
        // The formats are data: the item's markup fills their "%s" through the checked
        // formatter, and the result grows to whatever it needs.
        if (zml) text_format(markup, formats[i]->c_str(), {zml});
        else markup.copy("");
        button->set_look_text(looks[i], markup.c_str());
    }
}

bool ui_list_t::make_buttons(uint32_t count) {
    ui_group_t *g = ui_as_group(ui_entity_of(m_group.get()));
    if (!g) return false;
    while (g->child_count() < count) {
        c_item_t *item = ui_spawn_ci(button_class());
        ui_button_t *b = dynamic_cast<ui_button_t *>(ui_view_of(item));
        if (!b) {
            if (item) item->release_ref();
            error("cannot make the item buttons ('%s')", button_class());
            return false;
        }
        b->set_name("_list item");
        b->button_type = ui_button_t::RADIO;
        b->layer = layer;
        b->visible = false;
        prepare_button(b);
        const bool added = g->add_child(item, false);
        item->release_ref();
        if (!added || ui_init_ci(item) != 0) {
            if (added) g->remove_child(item);
            error("cannot add an item button");
            return false;
        }
        m_needs_place = true;
    }
    return true;
}

void ui_list_t::place(ui_button_t *b, uint32_t k) const {
    const uint32_t column = k % m_columns, row = k / m_columns;
    ui_rect_t r;
    r.left = multi_column ? rect.left + (item_width + item_gap) * float(column) : rect.left;
    r.right = multi_column ? r.left + item_width : rect.right;
    r.top = rect.top - (item_height + item_gap) * float(row);
    r.bottom = r.top - item_height;
    b->rect = r;
    b->area = r;
    b->has_area = true;
    b->changed(UI_CHANGED_SIZE | UI_CHANGED_AREA);
}

// ---- the scroll slider ----

ui_slider_t *ui_list_t::get_slider() const { return dynamic_cast<ui_slider_t *>(ui_view_of(m_slider.get())); }

void ui_list_t::take_slider() {
    m_slider_looked = true;
    if (!parent) return;
    for (uint32_t i = 0; i < parent->child_count(); ++i) {
        ui_view_t *v = parent->child(i);
        if (!v || !(v->view_flags & UI_VIEW_SLIDER)) continue;
        ui_slider_t *s = dynamic_cast<ui_slider_t *>(v);
        if (!s) continue;
        m_slider = parent->child_item(i);
        s->set_listener(this);
        s->action_on_drag = true;
        if (slider_management) {
            const float w = s->rect.width();
            s->rect = {rect.right, rect.right + w, rect.top, rect.bottom};
            s->changed(UI_CHANGED_SIZE);
        }
        return;
    }
}

void ui_list_t::let_go_of_slider() {
    if (ui_slider_t *s = get_slider())
        if (s->get_listener() == this) s->set_listener(nullptr);
    m_slider.release();
}

void ui_list_t::update_slider() {
    ui_slider_t *s = get_slider();
    if (!s) return;
    const uint32_t cells = m_rows * m_columns;
    // No row or no column (a grid narrower than one item) shows nothing to scroll.
    if (cells > 0 && cells < item_count()) {
        s->activate(true);
        s->set_range(0, int32_t((item_count() - 1 - (m_rows - 1) * m_columns) / m_columns));
        s->set_value(m_first / int32_t(m_columns), false);
    } else {
        s->activate(false);
        s->set_range(0, 1);
        s->set_value(0, false);
    }
}

void ui_list_t::set_first(int32_t index) {
    if (index < 0 || uint32_t(index) >= item_count() || m_rows == 0 || m_columns == 0) return;
    if (m_hovered >= 0) {
        const int32_t h = m_hovered;
        m_hovered = -1;
        send(UI_ACT_LIST_LEAVE, h);
    }
    const uint32_t cells = m_rows * m_columns;
    if (item_count() <= cells) {
        m_first = 0;
    } else {
        const uint32_t c = m_columns * (uint32_t(index) / m_columns);
        const uint32_t r = (item_count() - c + m_columns - 1) / m_columns;  // a partial row counts as one
        m_first = int32_t(c - m_columns * (m_rows - (r < m_rows ? r : m_rows)));
    }
    ask_layout();
    lay_out();
}

// ---- layout ----

void ui_list_t::lay_out() {
    if (!m_needs_layout && !m_needs_place) return;
    const float h = rect.height(), w = rect.width();
    m_rows = h < item_height || !(item_height + item_gap > 0.0f)
                 ? 0
                 : uint32_t(std::floor((h - item_height) / (item_height + item_gap))) + 1;
    if (!multi_column) m_columns = 1;
    else
        m_columns = w < item_width || !(item_width + item_gap > 0.0f)
                        ? 0
                        : uint32_t(std::floor((w - item_width) / (item_width + item_gap))) + 1;
    const uint32_t cells = m_rows * m_columns;
    if (cells == 0) m_first = -1;
    else if (m_first < 0) m_first = 0;
    if (!m_slider_looked) take_slider();
    make_buttons(cells > 0 ? cells : 1);
    for (uint32_t k = 0; k < item_button_count(); ++k) {
        ui_button_t *b = item_button(k);
        if (!b) continue;
        const int32_t index = m_first + int32_t(k);
        const bool shown = m_first >= 0 && k < cells && uint32_t(index) < item_count();
        if (!shown) {
            if (b->visible) b->show(false);
            continue;
        }
        if (m_needs_place) place(b, k);
        b->id = ITEM_ID + index;
        const item_t &item = m_items[uint32_t(index)];
        fill_button(b, item.zml.c_str());
        b->down = index == m_selected;
        if (b->active != item.active) b->activate(item.active);
        if (!b->visible) b->show(true);
    }
    update_slider();
    m_needs_layout = m_needs_place = false;
}

int ui_list_t::init(int stage) {
    if (const int r = ui_group_t::init(stage)) return r;
    if (stage != 0 || m_group) return 0;
    c_item_t *item = ui_spawn_ci("ui.comp.group");
    ui_group_t *g = ui_as_group(ui_entity_of(item));
    if (!g) {
        if (item) item->release_ref();
        error("cannot make its inner group");
        return 0;
    }
    g->set_name("_list group");
    g->rect = rect;
    g->layer = layer;
    if (add_child(item, false)) m_group = item;
    item->release_ref();
    if (m_group) ui_init_ci(m_group.get());
    return 0;
}

void ui_list_t::destroy(int stage) {
    ui_group_t::destroy(stage);
    if (stage == 0) let_go_of_slider();
}

void ui_list_t::handler() {
    if (format_flags & EVF_WRITTEN) m_needs_layout = true;
    if (size_flags & EVF_WRITTEN) m_needs_layout = m_needs_place = true;
    format_flags = size_flags = 0;
    lay_out();
    ui_group_t::handler();
}

bool ui_list_t::action(ui_view_t *source, uint32_t type, ui_act_param_t *param) {
    if (source && source->get_parent() && source->get_parent()->get_item() == m_group.get() && source->id >= ITEM_ID) {
        const int32_t index = source->id - ITEM_ID;
        if (uint32_t(index) >= item_count()) return true;
        switch (type) {
            case UI_ACT_POINTER_ENTER:
                m_hovered = index;
                send(UI_ACT_LIST_ENTER, index);
                return true;
            case UI_ACT_POINTER_LEAVE:
                if (m_hovered == index) {
                    m_hovered = -1;
                    send(UI_ACT_LIST_LEAVE, index);
                }
                return true;
            case UI_ACT_ACTIVATE: {
                c_item_ptr_t hold(get_item());
                if (m_selected >= 0 && uint32_t(m_selected) < item_count()) send(UI_ACT_LIST_DESELECT, m_selected);
                m_selected = index;
                send(UI_ACT_LIST_SELECT, index);
                ask_layout();
                return true;
            }
            case UI_ACT_ITEM:
                if (param && (param->word0 & 1u)) send(UI_ACT_LIST_ITEM, index);
                return true;
            case UI_ACT_BUTTON_DOWN:
            case UI_ACT_BUTTON_UP:
            case UI_ACT_POINTER_MOVE: {
                ui_act_param_t p = param ? *param : ui_act_param_t();
                const ui_list_item_t r = record(index);
                p.word1 = uint32_t(index);
                p.item = &r;
                c_item_ptr_t hold(get_item());
                return ui_group_t::action(this, type, &p);
            }
            case UI_ACT_KEY_DOWN:
            case UI_ACT_KEY_UP: return ui_group_t::action(this, type, param);
            default: return true;
        }
    }
    if (source && source->get_item() == m_slider.get() && type == UI_ACT_ACTIVATE) {
        if (param && m_columns > 0) set_first(int32_t(param->value) * int32_t(m_columns));
        return true;
    }
    return ui_group_t::action(source, type, param);
}

void ui_list_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_CONTENT) m_needs_layout = true;
    if (flags & UI_CHANGED_SIZE) {
        m_needs_layout = m_needs_place = true;
        if (ui_view_t *g = ui_view_of(m_group.get())) g->rect = rect;
    }
    if (flags & UI_CHANGED_LAYER) {
        if (ui_view_t *g = ui_view_of(m_group.get())) g->layer = layer;
        for (uint32_t k = 0; k < item_button_count(); ++k)
            if (ui_button_t *b = item_button(k)) {
                b->layer = layer;
                b->changed(UI_CHANGED_LAYER);
            }
    }
    ui_group_t::changed(flags);
}

// ---- ui_common_list_t ----

const evalue_def_t ui_common_list_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_list_t, &ui_common_list_t::look>,
     &evd_flags<ui_common_list_t, &ui_common_list_t::tlook_flags>, nullptr},
};
const evalue_table_t ui_common_list_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                 &ui_list_t::values};

int ui_common_list_t::init(int stage) {
    if (stage == 0) {
        m_templates.acquire();
        apply_template();
    }
    return ui_list_t::init(stage);
}

void ui_common_list_t::destroy(int stage) {
    ui_list_t::destroy(stage);
    if (stage == 0) m_templates.release();
}

void ui_common_list_t::handler() {
    if (tlook_flags & EVF_WRITTEN) apply_template();
    ui_list_t::handler();
}

void ui_common_list_t::apply_template() {
    tlook_flags = 0;
    if (const def_obj_t *t = m_templates.templates().find(look)) {
        float v = 0.0f;
        mstring_dyn_t text;
        if (t->get_real("width", v) && text.printf("%f", double(v))) try_set_value("item_width", text.c_str());
        if (t->get_real("height", v) && text.printf("%f", double(v))) try_set_value("item_height", text.c_str());
    }
    mstring_dyn_t number;
    number.printf("%d", look);
    for (uint32_t k = 0; k < item_button_count(); ++k)
        if (ui_button_t *b = item_button(k)) b->try_set_value("look", number.c_str());
    ask_layout();
}

void ui_common_list_t::prepare_button(ui_button_t *button) {
    mstring_dyn_t number;
    number.printf("%d", look);
    button->try_set_value("look", number.c_str());
}

void ui_common_list_t::fill_button(ui_button_t *button, const char *zml) {
    ui_common_button_t *b = dynamic_cast<ui_common_button_t *>(button);
    if (!b) return ui_list_t::fill_button(button, zml);
    if (!zml) {
        // Emptied: the looks go until an item fills them again.
        for (int32_t i = 0; i < ui_button_t::LOOK_COUNT; ++i) b->set_look_text(i, "");
        b->value.copy("");
        b->value2.copy("");
        return;
    }
    // Written only when different: each write applies the template again.
    if (b->value != zml || b->value2 != zml) {
        b->set_value("value", zml);
        b->set_value("value2", zml);
    }
}

namespace {

constexpr entity_reg_t COMMON_LIST_REG = game_ui_reg<ui_common_list_t>("ui.comp.common.list");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_lists, quarn::ui_component_row<quarn::COMMON_LIST_REG>());
