#include "game/ui/menus/party_rows.h"

#include "game/ui/controls/list_control.h"

namespace quarn {

uint32_t party_row_data(uint32_t player, uint32_t value) {
    return ((player & 0xFFu) << 24) | (value < PARTY_ROW_VALUE_MAX ? value : PARTY_ROW_VALUE_MAX);
}

int party_row_compare(ui_list_t *, const ui_list_item_t &a, const ui_list_item_t &b) {
    const uint32_t value_a = a.data & PARTY_ROW_VALUE_MAX, value_b = b.data & PARTY_ROW_VALUE_MAX;
    if (value_a != value_b) return value_a > value_b ? -1 : 1;
    const uint32_t player_a = a.data >> 24, player_b = b.data >> 24;
    if (player_a != player_b) return player_a < player_b ? -1 : 1;
    return 0;
}

}  // namespace quarn
