#pragma once
// Small pieces the game's controls share: the fallback markup of templated controls,
// template sizes, snapping offsets to whole screen pixels, raising an action while
// the control's item is held.
#include <cstdint>

#include "outside/qrnshared/ui/ui_view.h"
#include "qrncore/strings/mstring.h"

namespace quarn {

class def_obj_t;

// The default panel a templated control shows without a template: its parameter on
// a translucent tile of "/system/ui/default/uidefault.mat" in the colour given
// ("30ffffff" and so on, alpha blue green red); the text control shows it in yellow.
inline constexpr const char *UI_DEFAULT_MATERIAL = "/system/ui/default/uidefault.mat";
bool ui_panel_markup(mstring_t &out, const char *colour, const char *parameter, bool yellow = false);

// Sets the view's automatic width and height flags from the template: a "width"
// ("height") key clears UI_VIEW_AUTO_WIDTH (_HEIGHT), its absence sets it. True when
// either key is there.
bool ui_template_size_flags(ui_view_t &view, const def_obj_t &t);
// The template's "width" puts the right edge at left + width, its "height" the top
// edge at bottom + height (reference units). True when the rectangle changed.
bool ui_template_resize(ui_view_t &view, const def_obj_t &t);

// Reference units per screen pixel, across and up (the reference size over the
// screen's, ui_context).
void ui_pixel_units(float *unit_x, float *unit_y);
// An offset snapped to whole pixels of unit reference units each.
float ui_snap(float offset, float unit);

// Raises an action on the view with its item held, so that a handler that removes
// the window does not pull the view away under the caller. Answers as action does.
bool ui_raise(ui_view_t *view, uint32_t type, ui_act_param_t *param);

// Writes text into a text attribute member and marks its flags (written, and changed
// when the text differs), as a layout's write would.
void ui_assign(mstring_t &member, uint8_t &flags, const char *text);

}  // namespace quarn
