#include "outside/qrnshared/parameter_packet.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(parameter_packet_u, "parameter_packet");
QRN_UNIT_DEFINE(pp_camera_u, "pp_camera");
QRN_UNIT_DEFINE(pp_model_identity_u, "pp_model_identity");

bool r_parameter_array_t::append(parameter_packet_u *unit) {
    if (count == MAX_UNITS) return false;
    units[count++] = unit;
    return true;
}

void r_parameter_array_t::clear() {
    while (count > 0) units[--count] = nullptr;
}

}  // namespace quarn
