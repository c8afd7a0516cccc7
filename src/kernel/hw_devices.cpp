#include "kernel/hw_devices.h"

namespace quarn {

void kernel_poll_devices() {}

}  // namespace quarn
