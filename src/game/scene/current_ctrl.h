#pragma once
// The current controller: one for the whole module. The game process installs each
// controller it starts and lets it go before the next; tests install their own.
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class base_ctrl_u;

// The controller held, or null when none is held or the one held is no longer alive.
base_ctrl_u *get_current_ctrl();
// Holds the controller (owning it) in place of the one held before, which is first
// destroyed and released; while it is torn down it is still the current one. Null
// only lets the held one go.
void set_current_ctrl(owner_ptr_ret_t<base_ctrl_u> ctrl);

}  // namespace quarn
