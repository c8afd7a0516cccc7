// The controllers' unit classes.
#include "game/ctrl/menu_ctrl.h"
#include "game/ctrl/screensaver_ctrl.h"
#include "game/game_rows.h"

GAME_MODULE_ROWS(controllers, game_class_row(quarn::screensaver_ctrl_u::unit_descriptor),
                 game_class_row(quarn::menu_ctrl_u::unit_descriptor));
