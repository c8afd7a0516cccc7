#pragma once
// The registry of hardware devices: at most 32, in insertion order, polled once per
// pass while they run; removal moves the last device into the freed place.
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/hw_device.h"

extern "C" {
// Runs the device's detect, stores the answer as its present flag (warning when it
// is false) and appends the device either way. Returns the new count, or -1 (logged)
// when the registry is full.
KERNEL_API int hw_device_insert(quarn::hw_device_t *device);
// Removes the device; returns the index it was found at, or the count when it was not
// registered (the registry is then unchanged).
KERNEL_API int hw_device_remove(quarn::hw_device_t *device);
KERNEL_API int hw_device_count();
// The device at index, which must be below the count.
KERNEL_API quarn::hw_device_t *hw_device_get(int index);
// Suspend / revive, then mark the device suspended / running.
KERNEL_API void hw_suspend(quarn::hw_device_t *device);
KERNEL_API void hw_revive(quarn::hw_device_t *device);
KERNEL_API bool hw_init(quarn::hw_device_t *device);
KERNEL_API void hw_shutdown(quarn::hw_device_t *device);
}

namespace quarn {

constexpr int HW_MAX_DEVICES = 32;

// Step 2 of every scheduler pass: polls every registered device that runs.
void kernel_poll_devices();

}  // namespace quarn
