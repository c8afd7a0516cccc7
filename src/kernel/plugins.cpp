#include "kernel/plugins.h"

namespace quarn {

void kernel_unload_plugins() {}

}  // namespace quarn
