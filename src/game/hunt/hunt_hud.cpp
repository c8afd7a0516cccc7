#include "game/hunt/hunt_hud.h"

#include "outside/qrnshared/ui/ui_handler.h"
#include "outside/qrnshared/ui/ui_window.h"

namespace quarn {

hunt_hud_t *hunt_hud_of(c_item_t *window) {
    ui_window_t *w = window ? ui_window_of(window) : nullptr;
    ui_handler_t *handler = w ? w->get_handler() : nullptr;
    return dynamic_cast<hunt_hud_t *>(handler);
}

}  // namespace quarn
