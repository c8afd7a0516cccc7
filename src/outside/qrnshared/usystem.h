#pragma once
// The unit system the game and the plug-ins share. The program has one: the engine's,
// which the memory manager's process makes and sets as the default at boot. Creating
// hands that system out and counts the user; destroying drops the count. Neither ever
// makes or deletes a system of its own.
#include <cstdint>

#include "outside/qrnshared/api.h"

namespace quarn {

class unit_system_t;

// The default unit system, counted; null (logged) when there is none.
QRNSHARED_API unit_system_t *common_create_usystem();
// One user less; nothing (logged) when nobody holds the system.
QRNSHARED_API void common_destroy_usystem();
// The users counted now.
QRNSHARED_API uint32_t common_usystem_users();

}  // namespace quarn
