#pragma once
// trail_follower_u (unit type "trail_follower", a plain unit made in code): moves a
// placement along a trail_u by distance. Position and speed blend linearly between
// the two nodes of the current segment, the rotation spherically; the gait is that
// of the segment's start node. Animals walk their trails with one, the trail camera
// flies along one; the owner advances it every tick (speed × dt, its own choice).
#include <cstdint>

#include "game/world/trail.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class trail_follower_u : public unit_base_t {
    QRN_UNIT_CLASS(trail_follower_u, unit_base_t);

public:
    // Moves d forward (a negative or non-numeric d counts as 0), crossing as many
    // segments as it takes; at the end of the last segment the follower stands on the
    // last node and is frozen (at_end). Nothing once at the end.
    void advance(float d);

    trail_u *get_trail() const;
    const placement_t &get_placement() const { return m_placement; }
    float get_speed() const { return m_speed; }
    int32_t get_behavior() const { return m_behavior; }
    bool is_at_end() const { return m_at_end; }
    uint32_t get_segment() const { return m_segment; }
    // Distance into the current segment, and that segment's length.
    float get_distance() const { return m_distance; }
    float get_segment_length() const { return m_segment_length; }

    // Attribute: the trail followed (counted).
    ref_ptr_t<unit_base_t> m_trail;

private:
    uint32_t m_segment = 0;
    float m_distance = 0.0f;
    float m_segment_length = 0.0f;
    placement_t m_placement;
    int32_t m_behavior = BEHAVIOR_walk;
    float m_speed = 0.0f;
    bool m_at_end = false;
};

// A follower on the trail (in the default unit system) standing on its first node;
// null for no trail or a trail of fewer than two nodes (no segment to follow).
owner_ptr_ret_t<trail_follower_u> create_trail_follower(trail_u *trail);

}  // namespace quarn
