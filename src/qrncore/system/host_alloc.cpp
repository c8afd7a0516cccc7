#include "qrncore/system/host_alloc.h"

#include <cstdlib>

namespace quarn {

namespace {
void *c_new(size_t bytes) { return malloc(bytes ? bytes : 1); }
void c_delete(void *memory) { free(memory); }
}  // namespace

extern "C" {
host_new_t qrncore_system_new = c_new;
host_new_t qrncore_system_new_vector = c_new;
host_delete_t qrncore_system_delete = c_delete;
host_delete_t qrncore_system_delete_vector = c_delete;
}

}  // namespace quarn
