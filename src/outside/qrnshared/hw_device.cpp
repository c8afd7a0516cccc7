#include "outside/qrnshared/hw_device.h"

namespace quarn {

hw_device_t::hw_device_t(int32_t cls, const char *device_name) : device_class(cls), name(device_name) {}

hw_device_t::~hw_device_t() = default;

bool hw_device_t::detect() { return true; }
bool hw_device_t::init() { return true; }
void hw_device_t::shutdown() {}
void hw_device_t::suspend() {}
void hw_device_t::revive() {}
void hw_device_t::poll() {}
bool hw_device_t::restart() { return true; }

}  // namespace quarn
