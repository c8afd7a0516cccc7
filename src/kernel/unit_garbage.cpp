#include "kernel/unit_garbage.h"

namespace quarn {

// The unit system's task fills this with unit_system_t::clean_garbage of the engine's
// unit system; until units exist there is no garbage to free.
void kernel_free_garbage_units() {}

}  // namespace quarn
