// The UI effect classes in the module's registration table.
#include "game/game_rows.h"
#include "game/ui/effects/uifx_units.h"

using quarn::game_class_row;

GAME_MODULE_ROWS(ui_effects, game_class_row(quarn::uifx_score_u::unit_descriptor),
                 game_class_row(quarn::uifx_button_focus_u::unit_descriptor),
                 game_class_row(quarn::uifx_smoke_u::unit_descriptor),
                 game_class_row(quarn::uifx_scale_u::unit_descriptor),
                 game_class_row(quarn::uifx_scroll_u::unit_descriptor),
                 game_class_row(quarn::uifx_nop_u::unit_descriptor),
                 game_class_row(quarn::uifx_composite_u::unit_descriptor));
