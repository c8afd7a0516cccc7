#pragma once
// The plug-in table: at most 31 loaded plug-ins, registered from the command line
// ("-load", "-exec") or by other code, and unloaded only between scheduler passes,
// when a plug-in has asked for it.
#include <cstdint>

#include "kernel/api.h"
#include "qrncore/strings/string.h"
#include "qrncore/system/dl_lib.h"

extern "C" {
// The slot of the library: the one holding that name already (not loaded again), or
// a new one when registration worked; null when it failed. A full table ends the
// program with exit code 1.
KERNEL_API quarn::dl_lib_t *dll_register(const char *name);
// Registers and executes a library that is not in the table yet; its slot, or null.
KERNEL_API quarn::dl_lib_t *dll_register_and_execute(const char *name, unsigned command, void *data);
// The slot's module; with null, the main program's.
KERNEL_API void *dll_handle(quarn::dl_lib_t *slot);
// A symbol of the slot's module, or null.
KERNEL_API void *dll_lookup_code(quarn::dl_lib_t *slot, const char *symbol);
KERNEL_API void *dll_lookup_data(quarn::dl_lib_t *slot, const char *symbol);
// Queues the plug-in of that module for unloading after the current pass. A null
// handle is ignored; an unknown one is logged.
KERNEL_API void dll_ready_to_unload(void *module);
}

namespace quarn {

constexpr uint32_t DLL_SLOTS = 31;

// Step 6 of every scheduler pass: unregisters and releases the queued plug-ins. One
// that refuses stays loaded and must ask again.
void kernel_unload_plugins();
// Boot step 13: "-load" and "-exec". True only when the "-exec" library ran.
bool plugin_args();
// Slots in use.
uint32_t dll_count();
// Forgets every slot and the unload queue without unloading anything: for a kernel
// started again in the same process.
void dll_table_forget();

}  // namespace quarn
