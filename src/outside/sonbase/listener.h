#pragma once
// quarn::sound::listener_t: where the listener is, how it moves and how distance
// affects what it hears. The kernel's sound front-end keeps one and hands it to the
// current device every frame; devices read it when they place their channels.
#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"

namespace quarn::sound {

struct listener_t {
    // Position and orientation; an unrotated listener looks along -Z with +Y up.
    placement_t placement;
    vec3_t velocity;
    // World units per metre.
    float distance_factor = 1.0f;
    // How fast sounds fade with distance, relative to the real world.
    float rolloff_factor = 1.0f;
    float doppler_factor = 1.0f;
};

}  // namespace quarn::sound
