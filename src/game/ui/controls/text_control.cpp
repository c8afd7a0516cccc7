#include "game/ui/controls/text_control.h"

#include "game/ui/controls/control_kit.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn {

// ---- ui_text_t ----

const evalue_def_t ui_text_t::value_defs[] = {
    {"text", EVT_TEXT, nullptr, &evd_locate<ui_text_t, &ui_text_t::text>, &evd_flags<ui_text_t, &ui_text_t::text_flags>,
     nullptr},
};
const evalue_table_t ui_text_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0], &ui_view_t::values};

void ui_text_t::set_text(const char *markup) { ui_assign(text, text_flags, markup); }

void ui_text_t::render() {
    if (text_flags & EVF_CHANGED) changed(UI_CHANGED_CONTENT);
    text_flags = 0;
    if (m_rendered) return;
    zml_render_to(m_buffer, text.c_str(), rect);
    m_rendered = true;
    on_rendered();
    mark_dirty();
}

bool ui_text_t::get_text_bounds(ui_rect_t &out) {
    render();
    return m_buffer.get_bounds(out);
}

void ui_text_t::handler() {
    ui_view_t::handler();
    if (is_visible()) {
        render();
        if (!m_cached) {
            mark_dirty();
            m_cached = true;
        }
    } else if (m_cached) {
        mark_dirty();
        m_cached = false;
    }
}

void ui_text_t::zml_precache(ui_draw_list_t &list) {
    if (m_rendered) list.add(m_buffer);
}

void ui_text_t::offset(float dx, float dy, uint32_t flags) {
    if (!m_rendered || !(flags & UI_OFFSET_RECT)) return ui_view_t::offset(dx, dy, flags);
    if (dx == 0.0f && dy == 0.0f) return;
    rect.move(dx, dy);
    if (has_area && (flags & UI_OFFSET_AREA)) area.move(dx, dy);
    m_buffer.offset(dx, dy);
    // The base's changed: the rendered text stays, moved with the control.
    ui_view_t::changed(UI_CHANGED_SIZE);
}

void ui_text_t::notify(int32_t flags) {
    if (flags < 0) m_rendered = false;
    ui_view_t::notify(flags);
}

void ui_text_t::changed(uint32_t flags) {
    if (flags & (UI_CHANGED_SIZE | UI_CHANGED_CONTENT)) m_rendered = false;
    ui_view_t::changed(flags);
}

// ---- ui_common_text_t ----

const evalue_def_t ui_common_text_t::value_defs[] = {
    {"look", EVT_INT, "0", &evd_locate<ui_common_text_t, &ui_common_text_t::look>,
     &evd_flags<ui_common_text_t, &ui_common_text_t::look_flags>, nullptr},
    {"value", EVT_TEXT, nullptr, &evd_locate<ui_common_text_t, &ui_common_text_t::value>,
     &evd_flags<ui_common_text_t, &ui_common_text_t::value_flags>, nullptr},
};
const evalue_table_t ui_common_text_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                 &ui_text_t::values};

int ui_common_text_t::init(int stage) {
    if (const int r = ui_text_t::init(stage)) return r;
    if (stage == 0) {
        m_templates.acquire();
        apply_template();
    }
    return 0;
}

void ui_common_text_t::destroy(int stage) {
    if (stage == 0) m_templates.release();
    ui_text_t::destroy(stage);
}

void ui_common_text_t::refresh() {
    if ((look_flags | value_flags) & EVF_WRITTEN) apply_template();
}

void ui_common_text_t::apply_template() {
    look_flags = value_flags = 0;
    const ui_def_templates_t &store = m_templates.templates();
    if (const def_obj_t *t = store.find(look))
        if (ui_template_size_flags(*this, *t)) changed(UI_CHANGED_SIZE);
    mstring_dyn_t markup;
    if (!store.expand(look, "text", value.c_str(), markup)) ui_panel_markup(markup, "30ffffff", value.c_str(), true);
    set_text(markup.c_str());
}

void ui_common_text_t::handler() {
    refresh();
    ui_text_t::handler();
}

bool ui_common_text_t::get_text_bounds(ui_rect_t &out) {
    refresh();
    return ui_text_t::get_text_bounds(out);
}

void ui_common_text_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_SIZE)
        if (const def_obj_t *t = m_templates.templates().find(look)) ui_template_resize(*this, *t);
    ui_text_t::changed(flags);
}

// ---- ui_tooltip_t ----

void ui_tooltip_t::on_rendered() { m_shift_x = m_shift_y = 0.0f; }

void ui_tooltip_t::zml_precache(ui_draw_list_t &list) {
    ui_rect_t b;
    if (m_rendered && m_buffer.get_bounds(b)) {
        float w = UI_REFERENCE_WIDTH, h = UI_REFERENCE_HEIGHT;
        ui_get_reference_mode(&w, &h);
        // The bounds as rendered, without the shift applied now.
        b.move(-m_shift_x, -m_shift_y);
        float sx = 0.0f, sy = 0.0f;
        if (b.left < 0.0f) sx = -b.left;
        else if (b.right > w) sx = w - b.right;
        if (b.bottom < 0.0f) sy = -b.bottom;
        else if (b.top > h) sy = h - b.top;
        float ux = 1.0f, uy = 1.0f;
        ui_pixel_units(&ux, &uy);
        sx = ui_snap(sx, ux);
        sy = ui_snap(sy, uy);
        m_buffer.offset(sx - m_shift_x, sy - m_shift_y);
        m_shift_x = sx;
        m_shift_y = sy;
    }
    ui_text_t::zml_precache(list);
}

namespace {

constexpr entity_reg_t TEXT_REG = game_ui_reg<ui_text_t>("ui.comp.text");
constexpr entity_reg_t COMMON_TEXT_REG = game_ui_reg<ui_common_text_t>("ui.comp.common.text");
constexpr entity_reg_t TOOLTIP_REG = game_ui_reg<ui_tooltip_t>("ui.comp.tooltip");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_texts, quarn::ui_component_row<quarn::TEXT_REG>(), quarn::ui_component_row<quarn::COMMON_TEXT_REG>(),
                 quarn::ui_component_row<quarn::TOOLTIP_REG>());
