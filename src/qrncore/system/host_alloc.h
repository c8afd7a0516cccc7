#pragma once
// The host's allocation functions. The core owns no memory policy: the host hands it
// four functions at start and every allocation of the library, and of code built on
// it, goes through them. Until the host starts the library they are the C runtime's.
#include <cstddef>

#include "qrncore/api.h"

namespace quarn {

using host_new_t = void *(*)(size_t bytes);
using host_delete_t = void (*)(void *memory);

extern "C" {
QRNCORE_API extern host_new_t qrncore_system_new;
QRNCORE_API extern host_new_t qrncore_system_new_vector;
QRNCORE_API extern host_delete_t qrncore_system_delete;
QRNCORE_API extern host_delete_t qrncore_system_delete_vector;
}

}  // namespace quarn
