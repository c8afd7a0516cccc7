#include "kernel/unit_garbage.h"

#include "qrncore/units/unit_system.h"

namespace quarn {

void kernel_free_garbage_units() { unit_system_t::clean_garbage(); }

}  // namespace quarn
