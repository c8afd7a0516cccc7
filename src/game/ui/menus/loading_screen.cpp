#include "game/ui/menus/loading_screen.h"

#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

loading_screen_t *loading_screen_of(c_item_t *window) {
    ui_window_t *w = window ? ui_window_of(window) : nullptr;
    ui_handler_t *handler = w ? w->get_handler() : nullptr;
    return dynamic_cast<loading_screen_t *>(handler);
}

}  // namespace quarn
