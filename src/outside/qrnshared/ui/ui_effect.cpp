#include "outside/qrnshared/ui/ui_effect.h"

#include <cstring>

namespace quarn {

QRN_UNIT_DEFINE(ui_flat_effect_u, "ui_flat");

owner_ptr_ret_t<effect_pass_u> ui_flat_effect_u::create_pass(const char *name) {
    if (!name || strcmp(name, "default") != 0) return {};
    return create_pass_unit(effect_pass_u::unit_descriptor);
}

}  // namespace quarn
