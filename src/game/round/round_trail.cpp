#include "game/round/trail_use.h"
#include "game/world/trail.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

trail_u *round_find_trail(const char *name) {
    if (!name || !*name) return nullptr;
    unit_t *unit = unit_system_t::find_unit(string(name));
    if (!unit || !unit->is_alive() || unit->is_proxy()) return nullptr;
    return unit_cast<trail_u>(unit);
}

void round_draw_trail(const trail_u *trail) {
    if (trail) trail->debug_draw();
}

}  // namespace quarn
