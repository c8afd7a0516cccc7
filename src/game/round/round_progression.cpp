#include "game/round/round_progression.h"

#include "game/round/round_logic.h"

namespace quarn {

namespace {
constinit const unit_attr_t<UNIT_ATTR_OWNER_ARRAY> round_domain{{&round_logic_u::unit_descriptor, 0}};
}

QRN_UNIT_DEFINE(round_progression_u, "round_progression",
                QRN_ATTR(rounds, UNIT_ATTR_OWNER_ARRAY, "rounds", &round_domain));

round_logic_u *round_progression_u::get_round(uint32_t number) const {
    if (number == 0 || number > rounds.get_count()) return nullptr;
    return unit_cast<round_logic_u>(rounds[number - 1].get());
}

owner_ptr_ret_t<round_logic_u> round_progression_u::take_round(uint32_t number) {
    if (!get_round(number)) return {};
    return unit_cast<round_logic_u>(rounds[number - 1].release());
}

}  // namespace quarn
