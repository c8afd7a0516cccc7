#pragma once
// The kernel's heap functions. The kernel hands mem_sys_alloc and mem_sys_free to the
// core at start, so every allocation of the core and of the game goes through them;
// they keep a running count of the heap bytes they hold ("mm_sys").
#include <cstddef>

#include "kernel/api.h"

extern "C" {
// Memory of at least bytes bytes, aligned for any type (16 bytes); null when the heap
// has none. A request of 0 bytes gives a unique block. Adds the block's real heap
// size to the count.
KERNEL_API void *mem_sys_alloc(size_t bytes);
// As mem_sys_alloc, with the requested bytes zero-filled.
KERNEL_API void *mem_sys_calloc(size_t bytes);
// Resizes a block (null: a new one); null, with the old block kept, when the heap has
// no memory. A size of 0 gives a unique block.
KERNEL_API void *mem_sys_realloc(void *memory, size_t bytes);
// Frees what the functions above gave; null does nothing.
KERNEL_API void mem_sys_free(void *memory);
}

namespace quarn {

// Heap bytes held through the functions above.
size_t mem_sys_get_usage();

}  // namespace quarn
