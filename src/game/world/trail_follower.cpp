#include "game/world/trail_follower.h"

#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_REF> trail_domain{{&trail_u::unit_descriptor, 0}};

}  // namespace

QRN_UNIT_DEFINE(trail_follower_u, "trail_follower", QRN_ATTR(m_trail, UNIT_ATTR_REF, "trail", &trail_domain));

trail_u *trail_follower_u::get_trail() const { return unit_cast<trail_u>(m_trail.get()); }

void trail_follower_u::advance(float d) {
    if (m_at_end) return;
    const trail_u *trail = get_trail();
    // The creator refuses trails without a segment; one emptied since freezes here.
    if (!trail || trail->get_segment_count() == 0 || m_segment >= trail->get_segment_count()) {
        m_at_end = true;
        return;
    }
    m_segment_length = trail->get_segment(m_segment).length();
    m_distance += d > 0.0f ? d : 0.0f;  // NaN counts as 0 too
    while (m_segment_length < m_distance) {
        m_distance -= m_segment_length;
        if (m_segment + 1 >= trail->get_segment_count()) {
            const trail_segment_t last = trail->get_segment(m_segment);
            m_placement.position = last.end_position;
            m_placement.rotation = last.end_rotation;
            m_at_end = true;
            return;
        }
        ++m_segment;
        m_segment_length = trail->get_segment(m_segment).length();
    }
    const trail_segment_t s = trail->get_segment(m_segment);
    // A segment of length 0 (only in a trail made in code) stands at its start.
    const float t = m_segment_length > 0.0f ? m_distance / m_segment_length : 0.0f;
    m_placement.position = lerp(s.start_position, s.end_position, t);
    m_placement.rotation.slerp_generic(s.start_rotation, s.end_rotation, t);
    m_behavior = s.start_behavior;
    m_speed = (1.0f - t) * s.start_speed + t * s.end_speed;
}

owner_ptr_ret_t<trail_follower_u> create_trail_follower(trail_u *trail) {
    if (!trail || trail->get_segment_count() == 0) return {};
    owner_ptr_ret_t<trail_follower_u> follower = trail_follower_u::create();
    if (!follower) return {};
    follower->m_trail = trail;
    follower->advance(0.0f);
    return follower;
}

}  // namespace quarn
