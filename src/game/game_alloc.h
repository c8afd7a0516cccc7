#pragma once
// Game objects live in the kernel's memory, as units and processes do: a class takes
// game_alloc_t as a base (or the macro in its body) and its new and delete go to the
// host allocator the kernel hands the core at start. The program replaces no global
// operator new: that one would also serve libstdc++, ODE and SDL, before the core is
// started and after it is gone. A failed allocation gives null, and the
// new-expression then constructs nothing.
#include <cstddef>

#include "qrncore/system/host_alloc.h"

#define QRN_GAME_ALLOC                                                                       \
    static void *operator new(size_t bytes) noexcept { return ::quarn::qrncore_system_new(bytes); } \
    static void operator delete(void *memory) { ::quarn::qrncore_system_delete(memory); }           \
    static void *operator new[](size_t bytes) noexcept { return ::quarn::qrncore_system_new_vector(bytes); } \
    static void operator delete[](void *memory) { ::quarn::qrncore_system_delete_vector(memory); }

namespace quarn {

struct game_alloc_t {
    QRN_GAME_ALLOC
};

}  // namespace quarn
