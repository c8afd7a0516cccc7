#include "game/hit_receiver.h"

namespace quarn {

bool hit_receiver_t::is_animal() { return false; }

void hit_receiver_t::on_hit(const vec3_t &, projectile_u *, shot_record_t &, const placement_t &, const vec3_t &) {}

hit_receiver_t::~hit_receiver_t() = default;

}  // namespace quarn
