#include "qrncore/collections/list_links.h"

#include <cstdint>
#include <cstdio>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn::list_links {

void **alloc_sort_array(size_t count) {
    V_ASSERT(count <= SIZE_MAX / sizeof(void *));
    void **array = static_cast<void **>(qrncore_system_new_vector(count * sizeof(void *)));
    if (!array) {
        char text[96];
        snprintf(text, sizeof(text), "Out of memory sorting a list of %zu nodes.", count);
        V_ABORT(text);
    }
    return array;
}

void free_sort_array(void **array) { qrncore_system_delete_vector(array); }

}  // namespace quarn::list_links
