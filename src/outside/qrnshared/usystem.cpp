#include "outside/qrnshared/usystem.h"

#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

uint32_t users = 0;

}  // namespace

unit_system_t *common_create_usystem() {
    unit_system_t *system = unit_system_t::get_default();
    if (!system) {
        error("[qrnshared] There is no unit system to hand out");
        return nullptr;
    }
    ++users;
    return system;
}

void common_destroy_usystem() {
    if (users == 0) {
        error("[qrnshared] The unit system was released more often than created");
        return;
    }
    --users;
}

uint32_t common_usystem_users() { return users; }

}  // namespace quarn
