#pragma once
// Start and stop of the core library. The host hands over its allocation functions;
// the start-up then brings up the processor routines, checksum tables, default
// resource tie, profiler and the root file-system devices, in that order.
#include "qrncore/api.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

QRNCORE_API void qrncore_init(host_new_t new_fn, host_new_t new_vector_fn, host_delete_t delete_fn,
                              host_delete_t delete_vector_fn, bool identify_cpu);
QRNCORE_API void qrncore_shutdown();

}  // namespace quarn
