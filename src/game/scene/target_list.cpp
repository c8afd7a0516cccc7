#include "game/scene/target_list.h"

namespace quarn {

namespace {

// Larger than any squared distance a hit on the map can have.
constexpr float NO_HIT_DISTANCE_SQUARED = 3.37e38f;

}  // namespace

hit_receiver_t *target_list_t::find_nearest_hit(shot_record_t &record, vec3_t &hit_point, const placement_t &shot,
                                                 const vec3_t &end) {
    float best = NO_HIT_DISTANCE_SQUARED;
    hit_receiver_t *winner = nullptr;
    for (hit_receiver_t *receiver : m_receivers) {
        shot_record_t local;
        local.reset();
        vec3_t point{0.0f, 0.0f, 0.0f};
        if (!receiver->intersect(local, point, shot, end)) continue;
        const float d2 = length_squared(point - shot.position);
        if (!(d2 < best)) continue;
        winner = receiver;
        best = d2;
        record = local;
        hit_point = point;
    }
    return winner;
}

hit_receiver_t *target_list_t::shoot(vec3_t &hit_point, projectile_u *projectile, const placement_t &shot,
                                     const vec3_t &end) {
    shot_record_t record;
    record.reset();
    hit_receiver_t *receiver = find_nearest_hit(record, hit_point, shot, end);
    if (receiver) receiver->on_hit(hit_point, projectile, record, shot, end);
    return receiver;
}

}  // namespace quarn
