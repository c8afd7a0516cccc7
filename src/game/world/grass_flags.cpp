#include "game/world/grass_flags.h"

namespace quarn {

namespace {

bool density_changed = false;

}  // namespace

void grass_mark_density_changed() { density_changed = true; }

bool grass_take_density_changed() {
    const bool changed = density_changed;
    density_changed = false;
    return changed;
}

bool grass_density_changed() { return density_changed; }

}  // namespace quarn
