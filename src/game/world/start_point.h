#pragma once
// start_point_u (unit type "start_point"): where a hunter or an animal starts
// ("landscape.start.unit"): a placement, whose start it is, and for a hunter the
// half-angle in degrees the view may turn from the start direction. The map start-up
// and the controllers read them (the world's load_start_points); no operation of its
// own.
#include <cstdint>

#include "game/game_unit.h"
#include "qrncore/geometry/placement.h"

namespace quarn {

class start_point_u : public game_unit_u {
    QRN_UNIT_CLASS(start_point_u, game_unit_u);

public:
    enum category_t : int32_t {
        CATEGORY_hunter = 0,
        CATEGORY_animal = 1,
    };

    const placement_scale_t &get_placement() const { return m_placement; }
    int32_t get_category() const { return m_category; }
    float get_view_limit() const { return m_view_limit; }

    // Attributes.
    placement_scale_t m_placement;
    int32_t m_category = CATEGORY_hunter;
    float m_view_limit = 55.0f;  // 0..180
};

}  // namespace quarn
