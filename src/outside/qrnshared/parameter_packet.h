#pragma once
// Parameter packets: units that carry what a draw needs besides its geometry. The
// camera packet holds a placement and a projection; the identity model packet stands
// for an object drawn untransformed (the screen's UI).
#include "outside/qrnshared/api.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class QRNSHARED_API parameter_packet_u : public unit_base_t {
    QRN_UNIT_CLASS(parameter_packet_u, unit_base_t);
};

class QRNSHARED_API pp_camera_u : public parameter_packet_u {
    QRN_UNIT_CLASS(pp_camera_u, parameter_packet_u);

public:
    placement_t placement;
    // Row by row, translation in elements 3, 7 and 11.
    float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

class QRNSHARED_API pp_model_identity_u : public parameter_packet_u {
    QRN_UNIT_CLASS(pp_model_identity_u, parameter_packet_u);
};

// The parameter packets a draw is made with, each counted while it is in the array.
struct QRNSHARED_API r_parameter_array_t {
    static constexpr uint32_t MAX_UNITS = 8;

    // Appends a counted reference; false when the array is full.
    bool append(parameter_packet_u *unit);
    // Releases every unit, the last first.
    void clear();
    uint32_t get_count() const { return count; }
    parameter_packet_u *get(uint32_t i) const { return units[i].get(); }

    ref_ptr_t<parameter_packet_u> units[MAX_UNITS];
    uint32_t count = 0;
};

}  // namespace quarn
