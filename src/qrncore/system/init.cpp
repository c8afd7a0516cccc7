#include "qrncore/system/init.h"

#include "qrncore/system/cpu.h"

namespace quarn {

void qrncore_init(host_new_t new_fn, host_new_t new_vector_fn, host_delete_t delete_fn,
                  host_delete_t delete_vector_fn, bool identify_cpu) {
    // 1. The host's allocation functions serve every later allocation.
    qrncore_system_new = new_fn;
    qrncore_system_new_vector = new_vector_fn;
    qrncore_system_delete = delete_fn;
    qrncore_system_delete_vector = delete_vector_fn;
    // 2. Processor identification, speed, and the copy and matrix routines it selects.
    cpu_startup(identify_cpu);
    // 3. The millisecond clock already has its resolution here: the monotonic clock
    //    needs no timer period raised.
}

void qrncore_shutdown() {
    // The allocation functions stay installed: objects may still be freed after this.
}

}  // namespace quarn
