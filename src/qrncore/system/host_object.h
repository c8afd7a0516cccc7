#pragma once
// quarn::host_object_t: a base for objects that the core makes with new and hands
// over (files, devices, directory lists). Their memory comes from the host's
// allocation functions like every other allocation of the core. When the host has
// no memory, new gives null (the constructor does not run): callers check.
#include <cstddef>

#include "qrncore/system/host_alloc.h"

namespace quarn {

class host_object_t {
public:
    static void *operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }
    static void operator delete(void *memory) noexcept {
        if (memory) qrncore_system_delete(memory);
    }
};

}  // namespace quarn
