#pragma once
// The kernel's heap functions. The kernel hands them to the core at start, so every
// allocation of the core and of the game goes through them.
#include <cstddef>

#include "kernel/api.h"

extern "C" {
// Memory of at least bytes bytes, aligned for any type (16 bytes); null when the heap
// has none. A request of 0 bytes gives a unique block.
KERNEL_API void *mem_sys_alloc(size_t bytes);
// Frees what mem_sys_alloc gave; null does nothing.
KERNEL_API void mem_sys_free(void *memory);
}
