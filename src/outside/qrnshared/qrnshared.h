#pragma once
// Start and stop of the shared engine layer, and the few kernel functions it calls.
// The layer never links the game program: it looks the kernel's exports up by name in
// the module handle the kernel gives it at start, as the plug-ins do.
#include <cstdint>

#include "outside/qrnshared/api.h"

namespace quarn {

class c_item_t;
class cmd_t;
class cvar_t;
class unit_bank_t;
struct unit_descriptor_t;

// The request types of mm_obtain_resource that the layer uses.
enum qs_mm_request_t : int {
    QS_MM_ANONYMOUS_REF = 4,   // a new private item, counted for the caller
    QS_MM_NAMED_REF = 5,       // the named item, not loaded, counted
    QS_MM_NAMED_LOAD_REF = 7,  // the named item, loaded (null when it cannot be), counted
};

// A key record of the kernel's input front-end, as the UI layer reads it: kind (0 key,
// 1 mouse, 2 joystick), pressed, then three words (keys: code | character << 16 |
// modifiers << 24; mouse buttons: 0, 1 << button, modifiers; wheel: 1, 0, modifiers).
struct qs_keycode_t {
    int32_t kind;
    int32_t pressed;
    int32_t data[3];
};

// The kernel functions the layer calls; each is null until qrnshared_init found it.
struct kernel_links_t {
    void (*dll_ready_to_unload)(void *module);
    cmd_t *(*cmd_register_command)(cmd_t *command, int queue_id);
    void (*cmd_unregister_command)(cmd_t *command);
    void (*cvar_register_variable)(cvar_t *variable, bool dynamic);
    void (*cvar_unregister_variable)(cvar_t *variable);
    c_item_t *(*mm_obtain_resource)(int type, const char *name, const unit_descriptor_t *d, uint32_t flags);
    unit_bank_t *(*get_engine_ubank)();
    // The input front-end and the frame clock, for the UI layer.
    const qs_keycode_t *(*inp_fetch_keycode)();
    void (*inp_cursor_info)(float *x, float *y);
    double (*sys_get_lastdelta)();
};

// Binds the kernel functions from the program's module and starts the layer, which
// registers its variable "qs_locale" (the language of the layer's texts, "en") and
// installs its resource tie (shared_resource_tie_t).
QRNSHARED_API void qrnshared_init(void *main_module);
// The second start-up step, once the kernel's services are up: registers the
// layer's unit classes (qrnshared_register_classes) with the engine's unit bank.
QRNSHARED_API void qrnshared_startup();
// Registers the layer's unit classes that files and the memory manager name:
// parameter packets and their holder, materials, texture objects, the items of UI
// entities, fonts and the effect of UI materials. False when the bank refuses one.
QRNSHARED_API bool qrnshared_register_classes(unit_bank_t &bank);
// Stops the layer: unregisters its variable, deletes its resource tie (leaving none
// installed), forgets the effect directories and the effects made under them, and
// forgets the kernel functions.
QRNSHARED_API void qrnshared_shutdown();
QRNSHARED_API const kernel_links_t &qrnshared_kernel();
// Replaces the bound kernel functions: for tests that run the layer over a kernel of
// their own making.
QRNSHARED_API void qrnshared_set_kernel(const kernel_links_t &links);
// The layer's language variable.
QRNSHARED_API const cvar_t &qrnshared_locale();

}  // namespace quarn
