#pragma once
// The UI layer's window table, pointer layers, input and frame (docs/ui.md).
//
// Windows are inserted from ".esc" layouts (docs/formats/esc.md) by group and name;
// the table keeps them in bands (system windows on top, ordinary ones, windows beneath
// them), each band in layer and then insertion order. Every frame ui_process reads
// the kernel's key records and the cursor, routes them, runs every window's handlers
// and draws the shown windows into the layer's render queue, which the renderer then
// records into the frame's draw log after the scene.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/ui/ui_types.h"

namespace quarn {

class c_item_t;
class r_context_t;
struct r_queue_t;
class ui_view_t;
struct ui_event_t;

// Insert flags of ui_winsert; other bits are ignored.
enum ui_winsert_flag_t : uint32_t {
    UI_WINSERT_SYSTEM = 0x01,   // the system band, above every ordinary window
    UI_WINSERT_PASSIVE = 0x04,  // takes neither keys nor the pointer
    UI_WINSERT_HIDDEN = 0x08,   // inserted hidden (ui_wshow shows it)
    UI_WINSERT_BENEATH = 0x10,  // the band beneath every ordinary window
    UI_WINSERT_CHILD = 0x80,    // drawn and fed by the view that owns it
};

// What views read while they render: the reference size and the screen's.
struct ui_render_context_t {
    float reference_width = UI_REFERENCE_WIDTH;
    float reference_height = UI_REFERENCE_HEIGHT;
    int32_t screen_width = 1024;
    int32_t screen_height = 768;
    r_context_t *gfx = nullptr;  // the context of the frame being drawn, or null
    double frame_time = 0.0;     // seconds of the last frame (the kernel's)
};

// Starts the layer: its render queue, the command "ui", the effect directory of UI
// materials and the framework's own entity classes. True when running (again).
QRNSHARED_API bool ui_init();
// Removes every window and pointer layer (each destroyed as ui_wremove does), then
// undoes ui_init. Nothing when not running.
QRNSHARED_API void ui_shutdown();
QRNSHARED_API bool ui_is_running();

// Reads the layout at path and inserts its window as group/name, even when a window
// of that group and name exists. The table holds the window; the result is not
// counted for the caller (count it to keep it). Null, logged, when the layout does
// not read or build; report adds a line naming the window. Nothing of a failed
// layout is left behind.
QRNSHARED_API c_item_t *ui_winsert(const char *group, const char *name, uint32_t flags, const char *path,
                                   bool report = true);
// The same from layout text in memory (name stands for the file in messages and is
// the folder of relative includes).
QRNSHARED_API c_item_t *ui_winsert_text(const char *group, const char *name, uint32_t flags, const char *text,
                                        const char *source_name, bool report = true);
// The first window of that group and name, case ignored; counted for the caller
// when add_ref is set. Null when none.
QRNSHARED_API c_item_t *ui_wget(const char *group, const char *name, bool add_ref = false);
// Shows / hides a window (its handler hears on_wshow / on_whide). Flags are kept for
// callers; none is read.
QRNSHARED_API void ui_wshow(c_item_t *window, uint32_t flags = 0);
QRNSHARED_API void ui_whide(c_item_t *window);
QRNSHARED_API bool ui_wis_shown(const c_item_t *window);
// Takes the window out of the table: hidden, its handler told (on_wdestroy), its
// views and handler destroyed (stages 0 and 1), the table's reference dropped.
// Nothing for an item the table does not hold.
QRNSHARED_API void ui_wremove(c_item_t *window);
// While a splash window is set it alone (with the pointer) is drawn and fed; null
// ends it.
QRNSHARED_API void ui_set_splash(c_item_t *window);
QRNSHARED_API c_item_t *ui_get_splash();
// The windows of the table in drawing order (bottom first), counted as the table
// holds them.
QRNSHARED_API uint32_t ui_window_count();
QRNSHARED_API c_item_t *ui_window_get(uint32_t i);

// Pointer layers: windows read from layouts, drawn above everything with their top
// left corner at the pointer. ui_pinsert returns the new layer's index, -1 on
// failure; ui_pshow(i) shows layer i alone, -1 hides the pointer.
QRNSHARED_API int32_t ui_pinsert(const char *path);
QRNSHARED_API void ui_premove(int32_t index);
QRNSHARED_API c_item_t *ui_pget(int32_t index);
QRNSHARED_API void ui_pshow(int32_t index);
// The layer shown, -1 for none.
QRNSHARED_API int32_t ui_pindex();
// The pointer in reference units, as the last frame read it.
QRNSHARED_API void ui_pointer_position(float *x, float *y);

// A frame: input (the kernel's key records and cursor, then injected events),
// every window's handlers, then drawing into the layer's queue, which is rendered
// into the context's draw log (when the renderer is bound) and flushed.
QRNSHARED_API void ui_process(r_context_t *context);
// Every view of every window renders again and every draw cache is rebuilt.
QRNSHARED_API void ui_recache();
// The context of the frame being processed (the last one between frames).
QRNSHARED_API const ui_render_context_t *ui_context();
// The reference size: 1024 x 768.
QRNSHARED_API void ui_get_reference_mode(float *width, float *height);
// The layer's render queue (records of the frame being drawn).
QRNSHARED_API r_queue_t *ui_queue();

// What a key event means to controls (ui_ctrl_t bits): Enter and keypad Enter are the
// action key, Up previous, Down next, Right increase, Left decrease, Tab moves the
// focus; with UI_CTRL_PRESS or UI_CTRL_RELEASE. UI_CTRL_NONE for other events.
QRNSHARED_API uint32_t ui_get_ctrlcallback(const ui_event_t *event);

// Events handed to the next ui_process after the kernel's, as if they came from the
// input device (tests, and hosts without one). A POINTER_MOVE moves the pointer to
// its x, y; every other event happens where the pointer is.
QRNSHARED_API bool ui_inject_event(const ui_event_t &event);

// Layouts from memory: the source is asked for every layout and include path before
// the file system; it answers the text (kept until the next call) or null.
using ui_layout_source_t = const char *(*)(const char *path);
QRNSHARED_API void ui_set_layout_source(ui_layout_source_t source);

}  // namespace quarn
