#include "game/ui/effects/uifx_view.h"

#include "game/game_module.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/ui/controls/control_kit.h"
#include "game/ui/ui_classes.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_window.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

// ---- uifx_text_view_t ----

const evalue_def_t uifx_text_view_t::value_defs[] = {
    {"text", EVT_TEXT, nullptr, &evd_locate<uifx_text_view_t, &uifx_text_view_t::text>,
     &evd_flags<uifx_text_view_t, &uifx_text_view_t::text_flags>, nullptr},
    {"effect_name", EVT_TEXT, nullptr, &evd_locate<uifx_text_view_t, &uifx_text_view_t::effect_name>,
     &evd_flags<uifx_text_view_t, &uifx_text_view_t::effect_name_flags>, nullptr},
    {"auto_start", EVT_BOOL, "false", &evd_locate<uifx_text_view_t, &uifx_text_view_t::auto_start>,
     &evd_flags<uifx_text_view_t, &uifx_text_view_t::auto_start_flags>, nullptr},
};
const evalue_table_t uifx_text_view_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                 &ui_view_t::values};

int uifx_text_view_t::init(int stage) {
    if (const int r = ui_view_t::init(stage)) return r;
    if (stage == 0) m_start_pending = auto_start;
    return 0;
}

void uifx_text_view_t::destroy(int stage) {
    if (stage == 0) set_effect(nullptr);
    ui_view_t::destroy(stage);
}

void uifx_text_view_t::lay_out() {
    if (text_flags & EVF_WRITTEN) {
        text_flags = 0;
        changed(UI_CHANGED_CONTENT);
    }
    effect_name_flags = 0;
    if (m_laid_out) return;
    zml_render_to(m_buffer, text.c_str(), rect);
    m_laid_out = true;
}

bool uifx_text_view_t::get_text_bounds(ui_rect_t &out) {
    lay_out();
    return m_buffer.get_bounds(out);
}

namespace {

// The views whose effect holds a controller now, so that a scene that goes can end
// them wherever their windows are. Never destroyed, as the UI layer's own state: at
// exit the allocator its memory came from may be gone.
array_dyn_t<uifx_text_view_t *> &holding_views() {
    static array_dyn_t<uifx_text_view_t *> &views = *new array_dyn_t<uifx_text_view_t *>;
    return views;
}

}  // namespace

void uifx_text_view_t::set_effect(unit_base_t *unit) {
    give_hold_back();
    m_effect.reset();
    if (!unit) return;
    m_effect = unit_cast<zml_effect_u>(unit->clone());
    if (!m_effect || !m_effect->is_alive()) return;
    m_effect->start(m_buffer);
    m_seen_shown = in_shown_window();
    if (m_seen_shown) take_hold();
}

bool uifx_text_view_t::in_shown_window() const {
    // A child window is seen only where the view that owns it is: up the owners.
    for (const ui_view_t *view = this; view;) {
        const ui_window_t *window = view->get_window();
        if (!window || !window->shown) return false;
        view = window->owner;
    }
    return true;
}

void uifx_text_view_t::take_hold() {
    if (m_counted_ctrl) return;
    // A hosted module has no game process to wait for the scene; between two
    // controllers (the loading screen) there is no scene to hold.
    base_ctrl_u *ctrl = game_module_mode() == GAME_MODULE_HOSTED ? nullptr : get_current_ctrl();
    // A hold that a going scene could not end is not taken: the effect runs uncounted.
    if (!ctrl || !holding_views().append(this)) return;
    ctrl->raise_busy_count();
    m_counted_ctrl = ctrl;
}

void uifx_text_view_t::give_hold_back() {
    base_ctrl_u *ctrl = m_counted_ctrl.get();
    if (!ctrl) return;
    // The count goes back to the controller it was raised on, current or not.
    if (ctrl->is_alive()) ctrl->lower_busy_count();
    m_counted_ctrl = nullptr;
    array_dyn_t<uifx_text_view_t *> &views = holding_views();
    for (uint32_t i = 0; i < views.get_count(); ++i)
        if (views[i] == this) {
            views.remove(i);
            break;
        }
}

void uifx_text_view_t::update_hold() {
    const bool shown = in_shown_window();
    if (shown == m_seen_shown) return;
    m_seen_shown = shown;
    if (!shown) give_hold_back();
    else if (m_effect && m_effect->is_alive()) take_hold();
}

bool uifx_text_view_t::holds(const scene_root_t *ctrl) const {
    return m_counted_ctrl && (!ctrl || static_cast<const scene_root_t *>(m_counted_ctrl.get()) == ctrl);
}

void uifx_text_view_t::end_holds(const scene_root_t *ctrl) {
    if (!ctrl) return;
    // Each stop takes its view out of the list.
    array_dyn_t<uifx_text_view_t *> &views = holding_views();
    for (uint32_t i = views.get_count(); i-- > 0;)
        if (i < views.get_count() && views[i]->holds(ctrl)) views[i]->stop();
}

void uifx_text_view_t::handler() {
    ui_view_t::handler();
    lay_out();
    // A window hidden or shown since the last frame, also where no notice came (a
    // child window whose owner's window changed).
    update_hold();
    if (m_start_pending) {
        m_start_pending = false;
        // An unknown name, a dead unit or a unit of another class: dropped silently,
        // an effect already running goes on.
        unit_t *unit = effect_name.is_empty() ? nullptr : unit_system_t::find_unit(effect_name.c_str());
        if (unit && unit->is_alive() && unit_cast<zml_effect_u>(unit)) set_effect(unit);
    }
    zml_effect_u *effect = m_effect.get();
    if (!effect || !effect->is_alive()) return;
    const ui_render_context_t *context = ui_context();
    effect->update(float(context ? context->frame_time : 0.0), m_buffer);
    if (!effect->is_finished()) return;
    // The view is idle before its handler hears the end, so that the handler may
    // start it again at once.
    set_effect(nullptr);
    ui_act_param_t p;
    ui_raise(this, UI_ACT_EFFECT_DONE, &p);
}

void uifx_text_view_t::draw(r_queue_t *queue) {
    if (!is_visible() || !m_effect) return;
    m_effect->draw(queue);
}

void uifx_text_view_t::offset(float dx, float dy, uint32_t flags) {
    if (!m_laid_out || !(flags & UI_OFFSET_RECT)) return ui_view_t::offset(dx, dy, flags);
    rect.move(dx, dy);
    const bool area_moved = has_area && (flags & UI_OFFSET_AREA);
    if (area_moved) area.move(dx, dy);
    // The laid-out text moves along and is not laid out again.
    m_buffer.offset(dx, dy);
    ui_view_t::changed(area_moved ? UI_CHANGED_SIZE | UI_CHANGED_AREA : UI_CHANGED_SIZE);
}

void uifx_text_view_t::notify(int32_t flags) {
    if (flags < 0) m_laid_out = false;
    else if (flags & UI_NOTIFY_SHOWN) update_hold();
    ui_view_t::notify(flags);
}

void uifx_text_view_t::changed(uint32_t flags) {
    if (flags & (UI_CHANGED_SIZE | UI_CHANGED_CONTENT)) m_laid_out = false;
    ui_view_t::changed(flags);
}

void uifx_text_view_t::start() { m_start_pending = true; }

void uifx_text_view_t::stop() {
    m_start_pending = false;
    set_effect(nullptr);
}

bool uifx_text_view_t::is_idle() const { return !m_start_pending && (!m_effect || !m_effect->is_alive()); }

bool uifx_text_view_t::is_counted() const { return holds(nullptr); }

// ---- uifx_common_text_view_t ----

const evalue_def_t uifx_common_text_view_t::value_defs[] = {
    {"value", EVT_TEXT, nullptr, &evd_locate<uifx_common_text_view_t, &uifx_common_text_view_t::value>,
     &evd_flags<uifx_common_text_view_t, &uifx_common_text_view_t::value_flags>, nullptr},
    {"look", EVT_INT, "0", &evd_locate<uifx_common_text_view_t, &uifx_common_text_view_t::look>,
     &evd_flags<uifx_common_text_view_t, &uifx_common_text_view_t::look_flags>, nullptr},
};
const evalue_table_t uifx_common_text_view_t::values = {value_defs, sizeof value_defs / sizeof value_defs[0],
                                                        &uifx_text_view_t::values};

ui_template_class_t &uifx_common_text_view_t::store() {
    static ui_template_class_t texts("/def/ui/txt.def");
    return texts;
}

int uifx_common_text_view_t::init(int stage) {
    if (const int r = uifx_text_view_t::init(stage)) return r;
    if (stage == 0) {
        m_templates.acquire();
        apply_template();
    }
    return 0;
}

void uifx_common_text_view_t::destroy(int stage) {
    if (stage == 0) m_templates.release();
    uifx_text_view_t::destroy(stage);
}

void uifx_common_text_view_t::apply_template() {
    look_flags = value_flags = 0;
    const ui_def_templates_t &templates = m_templates.templates();
    if (const def_obj_t *t = templates.find(look))
        if (ui_template_size_flags(*this, *t)) changed(UI_CHANGED_SIZE);
    mstring_dyn_t markup;
    if (!templates.expand(look, "text", value.c_str(), markup)) ui_panel_markup(markup, "30ffffff", value.c_str(), true);
    ui_assign(text, text_flags, markup.c_str());
}

void uifx_common_text_view_t::refresh() {
    if ((look_flags | value_flags) & EVF_WRITTEN) apply_template();
}

void uifx_common_text_view_t::handler() {
    refresh();
    uifx_text_view_t::handler();
}

bool uifx_common_text_view_t::get_text_bounds(ui_rect_t &out) {
    refresh();
    return uifx_text_view_t::get_text_bounds(out);
}

void uifx_common_text_view_t::changed(uint32_t flags) {
    if (flags & UI_CHANGED_SIZE)
        if (const def_obj_t *t = m_templates.templates().find(look)) ui_template_resize(*this, *t);
    uifx_text_view_t::changed(flags);
}

namespace {

constexpr entity_reg_t UIFX_TEXT_REG = game_ui_reg<uifx_text_view_t>("ui.comp.uifx.text");
constexpr entity_reg_t UIFX_COMMON_TEXT_REG = game_ui_reg<uifx_common_text_view_t>("ui.comp.uifx.common.text");

}  // namespace

}  // namespace quarn

GAME_MODULE_ROWS(ui_effect_views, quarn::ui_handler_row<quarn::UIFX_TEXT_REG>(),
                 quarn::ui_handler_row<quarn::UIFX_COMMON_TEXT_REG>());
