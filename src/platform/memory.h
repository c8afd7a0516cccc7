#pragma once
// Memory status of the machine and reserved address ranges for the engine's pools.
#include <cstddef>
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

struct memory_status_t {
    uint64_t total_physical;
    uint64_t free_physical;
    uint64_t total_virtual;  // the address space a process may use
    uint64_t free_virtual;
};

// Fills the status; false (and the output untouched) when the system does not answer.
QRN_PLATFORM_API bool memory_status(memory_status_t *out);

// Reserves and commits a zero-filled, page-aligned range; null on failure.
QRN_PLATFORM_API void *memory_reserve(size_t bytes);
// Returns a range obtained from memory_reserve.
QRN_PLATFORM_API void memory_release(void *base, size_t bytes);

}  // namespace quarn::platform
