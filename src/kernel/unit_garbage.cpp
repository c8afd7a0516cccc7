#include "kernel/unit_garbage.h"

#include "qrncore/units/unit_system.h"

namespace quarn {

// Units released during the pass were readable until now; nothing of unit code is on
// the stack here. Nothing to do before the first unit system exists.
void kernel_free_garbage_units() { unit_system_t::clean_garbage(); }

}  // namespace quarn
