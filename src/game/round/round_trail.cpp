#include "game/round/trail_use.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {
// The map's trails are units of the class trail_u or one derived from it; the class
// is known here by its fingerprint only.
constexpr uint32_t TRAIL_FINGERPRINT = unit_system_t::compute_fingerprint("trail_u");
}  // namespace

unit_t *round_find_trail(const char *name) {
    if (!name || !*name) return nullptr;
    unit_t *unit = unit_system_t::find_unit(string(name));
    if (!unit || !unit->is_alive() || unit->is_proxy()) return nullptr;
    if (!unit_system_t::inherits_from(unit->get_descriptor(), TRAIL_FINGERPRINT)) return nullptr;
    return unit;
}

void round_draw_trail(unit_t *) {}

}  // namespace quarn
