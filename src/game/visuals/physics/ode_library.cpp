#include "game/visuals/physics/ode_library.h"

#include <ode/ode.h>

#include <cstdarg>
#include <cstdio>

#include "game/visuals/physics/physics_memory.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

uint32_t users = 0;

void *ode_alloc(dsizeint size) { return physics_memory_alloc(size); }

void *ode_realloc(void *memory, dsizeint old_size, dsizeint new_size) {
    return physics_memory_realloc(memory, old_size, new_size);
}

void ode_free(void *memory, dsizeint size) { physics_memory_free(memory, size); }

// Messages become "[phys]" warnings. Errors and failed checks end the process
// through the crash reporter: the library cannot go on after them, and the layer's
// own checks keep data from reaching them.
void ode_message(int number, const char *format, va_list args) {
    char text[512];
    vsnprintf(text, sizeof text, format, args);
    warning("[phys] ODE message %d: %s", number, text);
}

[[noreturn]] void ode_fatal(int number, const char *format, va_list args) {
    char text[512];
    vsnprintf(text, sizeof text, format, args);
    char line[600];
    snprintf(line, sizeof line, "[phys] ODE error %d: %s", number, text);
    v_abort_fail(line, __FILE__, __LINE__, "ode_fatal");
}

}  // namespace

void ode_library_acquire() {
    if (users++ > 0) return;
    dSetAllocHandler(ode_alloc);
    dSetReallocHandler(ode_realloc);
    dSetFreeHandler(ode_free);
    dSetMessageHandler(ode_message);
    dSetErrorHandler(ode_fatal);
    dSetDebugHandler(ode_fatal);
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
}

void ode_library_release() {
    if (users == 0 || --users > 0) return;
    dCloseODE();
    dSetAllocHandler(nullptr);
    dSetReallocHandler(nullptr);
    dSetFreeHandler(nullptr);
    dSetMessageHandler(nullptr);
    dSetErrorHandler(nullptr);
    dSetDebugHandler(nullptr);
}

uint32_t ode_library_users() { return users; }

}  // namespace quarn
