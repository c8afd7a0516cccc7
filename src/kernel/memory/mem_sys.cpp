#include "kernel/memory/mem_sys.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace {

// The blocks' real heap sizes: what the heap holds, not what was asked for.
size_t usage = 0;

}  // namespace

void *mem_sys_alloc(size_t bytes) {
    void *memory = malloc(bytes ? bytes : 1);
    if (memory) usage += malloc_usable_size(memory);
    return memory;
}

void *mem_sys_calloc(size_t bytes) {
    void *memory = mem_sys_alloc(bytes);
    if (memory) memset(memory, 0, bytes);
    return memory;
}

void *mem_sys_realloc(void *memory, size_t bytes) {
    const size_t old = memory ? malloc_usable_size(memory) : 0;
    void *moved = realloc(memory, bytes ? bytes : 1);
    if (!moved) return nullptr;
    usage = usage - old + malloc_usable_size(moved);
    return moved;
}

void mem_sys_free(void *memory) {
    if (!memory) return;
    usage -= malloc_usable_size(memory);
    free(memory);
}

namespace quarn {

size_t mem_sys_get_usage() { return usage; }

}  // namespace quarn
