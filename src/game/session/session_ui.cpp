#include "game/session/session_ui.h"

#include "outside/qrnshared/ui/ui.h"

namespace quarn {

void session_ui_t::hide_window(c_item_t *window) { ui_whide(window); }

namespace {

// The UI layer's window table.
class ui_layer_windows_t : public session_ui_t {
public:
    c_item_t *insert_window(const char *group, const char *name, uint32_t flags, const char *layout) override {
        return ui_winsert(group, name, flags, layout, true);
    }
    void show_window(c_item_t *window, uint32_t flags) override { ui_wshow(window, flags); }
    void remove_window(c_item_t *window) override { ui_wremove(window); }
};

}  // namespace

session_ui_t &ui_layer_session_ui() {
    static ui_layer_windows_t windows;
    return windows;
}

}  // namespace quarn
