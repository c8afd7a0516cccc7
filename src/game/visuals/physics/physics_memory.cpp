#include "game/visuals/physics/physics_memory.h"

#include "kernel/memory/mem_sys.h"

namespace quarn {

namespace {

size_t counted = 0;

}  // namespace

size_t physics_memory_usage() { return counted; }

void *physics_memory_alloc(size_t bytes) {
    void *memory = mem_sys_alloc(bytes);
    if (memory) counted += bytes;
    return memory;
}

void *physics_memory_realloc(void *memory, size_t old_bytes, size_t new_bytes) {
    void *moved = mem_sys_realloc(memory, new_bytes);
    if (moved) counted = counted - old_bytes + new_bytes;
    return moved;
}

void physics_memory_free(void *memory, size_t bytes) {
    if (!memory) return;
    counted -= bytes;
    mem_sys_free(memory);
}

}  // namespace quarn
