#include "game/ui/menus/intro_screen.h"

#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

intro_screen_t *intro_screen_of(c_item_t *window) {
    ui_window_t *w = window ? ui_window_of(window) : nullptr;
    ui_handler_t *handler = w ? w->get_handler() : nullptr;
    return dynamic_cast<intro_screen_t *>(handler);
}

}  // namespace quarn
