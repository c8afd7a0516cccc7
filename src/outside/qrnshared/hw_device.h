#pragma once
// hw_device_t: the base of every hardware device (render, sound and input devices of
// the graphics, sound and input layers). The plug-in or front-end that makes a device
// inserts it into the kernel's registry, which polls it every pass while it runs.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {

class QRNSHARED_API hw_device_t {
public:
    enum state_t : int32_t { RUNNING = 0, SUSPENDED = 1, SHUT_DOWN = 2 };
    enum class_t : int32_t { GRAPHICS = 1, SOUND = 2, INPUT = 3 };

    hw_device_t(int32_t device_class, const char *device_name);
    virtual ~hw_device_t();
    hw_device_t(const hw_device_t &) = delete;
    hw_device_t &operator=(const hw_device_t &) = delete;

    // Whether the hardware is there; the registry stores the answer as present.
    virtual bool detect();
    virtual bool init();
    virtual void shutdown();
    virtual void suspend();
    virtual void revive();
    // The per-pass work while the device runs.
    virtual void poll();
    virtual bool restart();

    // Read and written by the kernel, in this order.
    int32_t state = RUNNING;
    int32_t device_class;
    uint8_t present = 0;
    string_fixed_t<32> name;
};

}  // namespace quarn
