#pragma once
// trail_u (unit type "trail"): a path of nodes through the map that animals walk or
// run along and cameras fly along ("landscape.trail.unit"). Each node has a position,
// a rotation, a speed and the gait taken from it on; a segment is the stretch from
// node i to node i + 1. Followers (trail_follower.h) move along it by distance.
//
// After load the four node arrays must have equal counts and every segment must be
// longer than the float epsilon (both logged, the load fails). With fixed_rotation
// (the default) every node then looks along its segment and the last node takes the
// rotation of the one before it; without, the stored rotations stay.
#include <cstdint>

#include "game/game_unit.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"

namespace quarn {

// Gaits of the trail nodes. In unit files BEHAVIOR_walk ... BEHAVIOR_charge; the
// animals call the same values "walk", "gallop", "gallop_leap" and "attack_hunter".
enum trail_behavior_t : int32_t {
    BEHAVIOR_walk = 0,
    BEHAVIOR_run = 1,
    BEHAVIOR_leap = 2,
    BEHAVIOR_charge = 3,
};

// A view of one segment: the nodes at both ends, as the trail holds them.
struct trail_segment_t {
    const vec3_t &start_position;
    const quat_t &start_rotation;
    float start_speed;
    int32_t start_behavior;
    const vec3_t &end_position;
    const quat_t &end_rotation;
    float end_speed;
    int32_t end_behavior;

    float length() const { return quarn::length(end_position - start_position); }
};

class trail_u : public game_unit_u {
    QRN_UNIT_CLASS(trail_u, game_unit_u);

public:
    uint32_t get_node_count() const { return m_position.get_count(); }
    // Nodes - 1, 0 for an empty trail.
    uint32_t get_segment_count() const;
    // Segment index (index and index + 1 must be nodes of every array: a bad index
    // aborts).
    trail_segment_t get_segment(uint32_t index) const;

    const vec3_t &get_position(uint32_t node) const { return m_position[node]; }
    const quat_t &get_rotation(uint32_t node) const { return m_rotation[node]; }
    float get_speed(uint32_t node) const { return m_speed[node]; }
    int32_t get_behavior(uint32_t node) const { return m_behavior[node]; }
    bool has_fixed_rotation() const { return m_fixed_rotation; }

    // With the console variable g_ai_debug not 0: one white debug line between every
    // pair of consecutive nodes.
    void debug_draw() const;

    // The checks and rotations described above.
    bool _call_post_load() override;

    // Attributes.
    array_dyn_t<vec3_t> m_position;
    array_dyn_t<quat_t> m_rotation;
    array_dyn_t<float> m_speed;
    array_dyn_t<int32_t> m_behavior;
    bool m_fixed_rotation = true;

    // The checks and the rotations on the attributes as they are (also for trails made
    // in code); false (logged) as at load.
    bool prepare();
};

}  // namespace quarn
