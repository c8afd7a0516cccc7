#include "outside/qrnshared/parameter_packet.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(parameter_packet_u, "parameter_packet");
QRN_UNIT_DEFINE(pp_camera_u, "pp_camera", QRN_ATTR(projection, UNIT_ATTR_MATRIX, "projection"),
                QRN_ATTR(view, UNIT_ATTR_MATRIX, "view"), QRN_ATTR(camera, UNIT_ATTR_MATRIX, "camera"));
QRN_UNIT_DEFINE(pp_model_u, "pp_model");
QRN_UNIT_DEFINE(pp_model_identity_u, "pp_model_identity");
QRN_UNIT_DEFINE(pp_fog_u, "pp_fog", QRN_ATTR(colour, UNIT_ATTR_VEC4, "colour"));
QRN_UNIT_DEFINE(parameter_packet_holder_u, "parameter_packet_holder",
                QRN_ATTR(packets, UNIT_ATTR_OWNER_ARRAY, "packets"));

void pp_camera_u::set_placement(const placement_t &placement) {
    placement.compute_matrix(&camera);
    placement.compute_inverse_matrix(&view);
}

bool r_parameter_array_t::append(parameter_packet_u *unit) {
    if (count == SLOTS) return false;
    units[count++] = unit;
    return true;
}

bool r_parameter_array_t::set(uint32_t slot, parameter_packet_u *unit) {
    if (slot >= SLOTS) return false;
    units[slot] = unit;
    if (unit && slot >= count) count = slot + 1;
    while (count > 0 && !units[count - 1]) --count;
    return true;
}

void r_parameter_array_t::fill_from(const parameter_packet_holder_u &holder) {
    clear();
    const uint32_t n = holder.packets.get_count() < SLOTS ? holder.packets.get_count() : SLOTS;
    for (uint32_t i = 0; i < n; ++i) {
        unit_base_t *unit = holder.packets[i].get();
        if (unit && unit->is_kind_of(parameter_packet_u::unit_descriptor))
            set(i, static_cast<parameter_packet_u *>(unit));
    }
}

void r_parameter_array_t::clear() {
    for (uint32_t i = SLOTS; i-- > 0;) units[i] = nullptr;
    count = 0;
}

bool parameter_packet_register_classes(unit_bank_t &bank) {
    return pp_camera_u::register_class(bank) &&
           pp_model_u::register_class(bank) && pp_model_identity_u::register_class(bank) &&
           pp_fog_u::register_class(bank) && parameter_packet_holder_u::register_class(bank);
}

}  // namespace quarn
