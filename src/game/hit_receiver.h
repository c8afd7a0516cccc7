#pragma once
// hit_receiver_t: whatever a shot can hit (the world, every target). A shot is offered
// to each receiver of the scene's target list; each intersects it by its own means and
// the nearest hit is delivered to its receiver alone.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "qrncore/geometry/placement.h"
#include "qrncore/math/vec.h"

namespace quarn {

class projectile_u;

// The block a receiver fills while it intersects a shot and reads back when the hit is
// delivered to it. The target list only resets, copies and passes it; what the words
// mean is each receiver's own (it reads and writes them with memcpy). Room for three
// marker words and the receiver's fields, pointers at their 64-bit size included.
struct shot_record_t {
    static constexpr size_t SIZE = 72;
    alignas(8) uint8_t bytes[SIZE];

    // The first three 32-bit words all ones, the rest zero: how each receiver gets it.
    void reset() {
        memset(bytes, 0, SIZE);
        memset(bytes, 0xFF, 3 * sizeof(uint32_t));
    }
};

// What a receiver tells of the target it stands for. The world stands for none and
// answers a zero record.
struct hit_target_info_t {
    vec3_t position{0.0f, 0.0f, 0.0f};
};

class hit_receiver_t {
public:
    // Tests the shot from the shot placement's position to end: true with the hit
    // point and the record filled when it hits.
    virtual bool intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot,
                           const vec3_t &end) = 0;
    // Animal targets answer true.
    virtual bool is_animal();
    // The hit is this receiver's: the record is the one its intersect filled.
    virtual void on_hit(const vec3_t &hit_point, projectile_u *projectile, shot_record_t &record,
                        const placement_t &shot, const vec3_t &end);
    virtual const hit_target_info_t *get_target_info() = 0;
    virtual ~hit_receiver_t();
};

}  // namespace quarn
