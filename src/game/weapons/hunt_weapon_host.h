#pragma once
// The running hunt as the weapons' host: the factory row WEAPON_HOST_FACTORY answers
// with it for a hunt controller.
#include "game/weapons/weapon_host.h"

namespace quarn {

// The host over the controller when it is a hunt; null for any other controller. The
// host is the module's one object, pointed at the controller asked for last (the game
// runs one hunt at a time, in one thread).
weapon_host_t *hunt_weapon_host(base_ctrl_u *ctrl);

}  // namespace quarn
