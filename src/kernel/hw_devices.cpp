#include "kernel/hw_devices.h"

#include "qrncore/system/messages.h"

using quarn::hw_device_t;

namespace quarn {

namespace {
hw_device_t *devices[HW_MAX_DEVICES];
int device_count = 0;
}  // namespace

void kernel_poll_devices() {
    for (int i = 0; i < device_count; ++i)
        if (devices[i]->state == hw_device_t::RUNNING) devices[i]->poll();
}

}  // namespace quarn

using namespace quarn;

int hw_device_insert(hw_device_t *device) {
    // A full table: the device would be written past its end.
    if (device_count == HW_MAX_DEVICES) {
        error("[hw] Too many devices - can not add '%s'", device->name.c_str());
        return -1;
    }
    device->present = device->detect() ? 1 : 0;
    if (!device->present) warning("[hw] device %s not detected...", device->name.c_str());
    devices[device_count++] = device;
    return device_count;
}

int hw_device_remove(hw_device_t *device) {
    for (int i = 0; i < device_count; ++i) {
        if (devices[i] != device) continue;
        devices[i] = devices[--device_count];
        devices[device_count] = nullptr;
        return i;
    }
    return device_count;
}

int hw_device_count() { return device_count; }

hw_device_t *hw_device_get(int index) {
    V_ASSERT(index >= 0 && index < device_count);
    return devices[index];
}

void hw_suspend(hw_device_t *device) {
    device->suspend();
    device->state = hw_device_t::SUSPENDED;
}

void hw_revive(hw_device_t *device) {
    device->revive();
    device->state = hw_device_t::RUNNING;
}

bool hw_init(hw_device_t *device) { return device->init(); }

void hw_shutdown(hw_device_t *device) { device->shutdown(); }
