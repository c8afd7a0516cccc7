#include "game/round/bonus_unlocks.h"

namespace quarn {

const bonus_unlock_t bonus_unlocks[BONUS_UNLOCK_COUNT] = {
    {3, "sunglasses"}, {6, "weapon_3030"}, {9, "extended_clip"}, {12, "quick_shooter"}, {15, "weapon_7mm"},
};

bool list_unlocked_bonuses(array_dyn_t<string> &names, uint32_t round) {
    names.clear();
    for (const bonus_unlock_t &unlock : bonus_unlocks) {
        if (unlock.round > round) break;
        if (!names.append(string(unlock.name))) return false;
    }
    return true;
}

bool is_bonus_unlock_round(uint32_t round) {
    for (const bonus_unlock_t &unlock : bonus_unlocks)
        if (unlock.round == round) return true;
    return false;
}

}  // namespace quarn
