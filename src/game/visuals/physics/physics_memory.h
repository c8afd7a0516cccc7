#pragma once
// The physics memory counter: bytes held by the physics library (through the
// allocation hooks the ODE server installs) and by the triangle-mesh copies of
// shapes. The memory itself comes from the kernel's heap (mem_sys_*).
#include <cstddef>

namespace quarn {

// Bytes counted now.
size_t physics_memory_usage();

// The kernel's heap with the counter kept. A failed allocation counts nothing and a
// failed reallocation keeps the old block and its count; the frees take the size
// the block was counted with.
void *physics_memory_alloc(size_t bytes);
void *physics_memory_realloc(void *memory, size_t old_bytes, size_t new_bytes);
void physics_memory_free(void *memory, size_t bytes);

}  // namespace quarn
