#pragma once
// The UI layer's own state, shared by its sources (not part of its interface).
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_types.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

class esc_document_t;
class ui_window_t;

struct ui_state_t {
    bool running = false;
    r_queue_t *queue = nullptr;
    // The table, in insertion order; each window held by the table.
    array_dyn_t<c_item_ptr_t> windows;
    uint32_t serial = 0;
    c_item_ptr_t splash;
    array_dyn_t<c_item_ptr_t> pointers;
    int32_t pointer_shown = -1;
    float pointer_x = UI_REFERENCE_WIDTH * 0.5f;
    float pointer_y = UI_REFERENCE_HEIGHT * 0.5f;
    float cursor_x = 0.0f, cursor_y = 0.0f;  // the kernel's last cursor reading (-1..1)
    bool cursor_known = false;
    // Compared only: the window that took keys and the one under the pointer at the
    // last event (cleared when they leave the table).
    const c_item_t *key_window = nullptr;
    const c_item_t *pointer_window = nullptr;
    ui_render_context_t context;
    array_dyn_t<ui_event_t> injected;
    ui_layout_source_t source = nullptr;
};

ui_state_t &ui_state();

// Builds the window of a layout read into doc: its views, its handler, both
// initialised. The window item comes counted once for the caller, its handler held by
// the window. Null, logged ("[ui] file:line: ..."), with nothing left behind.
c_item_t *ui_build_layout(const esc_document_t &doc);
// Reads a layout from the layout source or the file system into doc; false, logged.
bool ui_read_layout(const char *path, const char *text, esc_document_t &doc);
// The drawing order of the table's windows (bottom first); child windows left out.
void ui_sorted_windows(array_dyn_t<c_item_t *> &out);
// Runs the destroy sequence of a window (hide, on_wdestroy, destroy stages).
void ui_retire_window(c_item_t *window);

}  // namespace quarn
