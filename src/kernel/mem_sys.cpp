#include "kernel/mem_sys.h"

#include <cstdlib>

// The memory manager's task adds the count of bytes in use, mem_sys_calloc and
// mem_sys_realloc; until then these are the C runtime's heap.
void *mem_sys_alloc(size_t bytes) { return malloc(bytes ? bytes : 1); }

void mem_sys_free(void *memory) { free(memory); }
