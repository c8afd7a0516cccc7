#include "game/ui/controls/control_kit.h"

#include <cmath>
#include <cstring>

#include "game/ui/ui_templates.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/text_format.h"
#include "outside/qrnshared/ui/ui.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

bool ui_panel_markup(mstring_t &out, const char *colour, const char *parameter, bool yellow) {
    mstring_dyn_t format;
    bool ok = format.printf("<img src=%s xscale=repeat yscale=repeat color=%s><ret><align hstyle=center vstyle=center>%s",
                            UI_DEFAULT_MATERIAL, colour, yellow ? "\\y" : "");
    // The parameter is data: it fills the place through the checked formatter.
    ok = format.append("%s</align>") && ok;
    ok = text_format(out, format.c_str(), {parameter ? parameter : ""}) && ok;
    if (out.length() > UI_TEMPLATE_TEXT_MAX) out.copy(out, 0, 0, UI_TEMPLATE_TEXT_MAX);
    return ok;
}

bool ui_template_size_flags(ui_view_t &view, const def_obj_t &t) {
    const bool width = t.get_value("width") != nullptr;
    const bool height = t.get_value("height") != nullptr;
    if (width) view.view_flags &= ~uint32_t(UI_VIEW_AUTO_WIDTH);
    else view.view_flags |= UI_VIEW_AUTO_WIDTH;
    if (height) view.view_flags &= ~uint32_t(UI_VIEW_AUTO_HEIGHT);
    else view.view_flags |= UI_VIEW_AUTO_HEIGHT;
    return width || height;
}

bool ui_template_resize(ui_view_t &view, const def_obj_t &t) {
    const ui_rect_t before = view.rect;
    float v = 0.0f;
    if (t.get_real("width", v)) view.rect.right = view.rect.left + v;
    if (t.get_real("height", v)) view.rect.top = view.rect.bottom + v;
    return !(before == view.rect);
}

void ui_pixel_units(float *unit_x, float *unit_y) {
    float w = UI_REFERENCE_WIDTH, h = UI_REFERENCE_HEIGHT;
    ui_get_reference_mode(&w, &h);
    const ui_render_context_t *c = ui_context();
    const float sw = c && c->screen_width > 0 ? float(c->screen_width) : w;
    const float sh = c && c->screen_height > 0 ? float(c->screen_height) : h;
    if (unit_x) *unit_x = w / sw;
    if (unit_y) *unit_y = h / sh;
}

float ui_snap(float offset, float unit) {
    if (!(unit > 0.0f)) return offset;
    return std::floor(offset / unit + 0.5f) * unit;
}

bool ui_raise(ui_view_t *view, uint32_t type, ui_act_param_t *param) {
    if (!view) return false;
    c_item_ptr_t hold(view->get_item());
    return view->action(view, type, param);
}

void ui_assign(mstring_t &member, uint8_t &flags, const char *text) {
    if (!text) text = "";
    const bool changed = strcmp(member.c_str(), text) != 0;
    if (changed) member.copy(text);
    flags |= uint8_t(EVF_WRITTEN | (changed ? EVF_CHANGED : 0));
}

}  // namespace quarn
