#pragma once
// target_list_t: what a shot can hit. A shot is not cast into the physics scene: each
// receiver of the list intersects it by its own means and the nearest hit wins. The
// world registers first (game controllers add it), animal and gift targets while they
// live. The list never owns a receiver: whoever adds one removes it before it goes.
// Receivers must not change the list from intersect.
#include "game/hit_receiver.h"
#include "game/scene/scene_list.h"

namespace quarn {

class target_list_t {
public:
    // Appends the receiver (receivers are asked in the order they were added); false
    // when no node can be had.
    bool add(hit_receiver_t *receiver) { return m_receivers.append(receiver) != nullptr; }
    // Unlinks the first node that holds the receiver; nothing when it is absent.
    void remove(hit_receiver_t *receiver) { m_receivers.remove(receiver); }
    bool contains(const hit_receiver_t *receiver) const { return m_receivers.contains(receiver); }
    uint32_t get_count() const { return m_receivers.get_count(); }
    void clear() { m_receivers.clear(); }

    // Offers the shot from the shot placement's position to end to every receiver, each
    // with a freshly reset record and a zero hit point, and returns the receiver whose
    // hit lies nearest to the shot's origin (null when none hit). Only for a winner
    // are its record (all 72 bytes) and hit point copied out; an equal distance keeps
    // the earlier receiver, so the world wins a tie.
    hit_receiver_t *find_nearest_hit(shot_record_t &record, vec3_t &hit_point, const placement_t &shot,
                                     const vec3_t &end);
    // Finds the nearest hit and delivers it to that receiver alone (on_hit with its own
    // record). Returns the receiver that was hit, or null.
    hit_receiver_t *shoot(vec3_t &hit_point, projectile_u *projectile, const placement_t &shot, const vec3_t &end);

private:
    scene_list_t<hit_receiver_t> m_receivers;
};

}  // namespace quarn
