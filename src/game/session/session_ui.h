#pragma once
// session_ui_t: the part of the UI layer's window table that the front-end session
// uses: insert a window from its layout, show it, remove it. The game's session uses
// the UI layer's own (ui_layer_session_ui); tests of the session's bookkeeping give a
// recording one.
#include <cstdint>

namespace quarn {

class c_item_t;

class session_ui_t {
public:
    virtual ~session_ui_t() = default;
    // The window read from the layout and inserted as group/name (the table holds it;
    // the result is not counted for the caller), or null.
    virtual c_item_t *insert_window(const char *group, const char *name, uint32_t flags, const char *layout) = 0;
    virtual void show_window(c_item_t *window, uint32_t flags) = 0;
    // Hides the window (it stays in the table). The UI layer's ui_whide by default, which
    // does nothing for an item that is no window of the layer.
    virtual void hide_window(c_item_t *window);
    // Takes the window out of the table.
    virtual void remove_window(c_item_t *window) = 0;
};

// The UI layer's window table: ui_winsert (reporting failures), ui_wshow, ui_wremove.
session_ui_t &ui_layer_session_ui();

}  // namespace quarn
