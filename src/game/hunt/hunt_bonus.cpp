#include "game/hunt/hunt_bonus.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(hunt_bonus_u, "hunt_bonus");
QRN_UNIT_DEFINE_ABSTRACT(party_gift_u, "party_gift");

void hunt_bonus_u::extend(float) {}

}  // namespace quarn
