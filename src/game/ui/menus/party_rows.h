#pragma once
// The rows of a party's standings in a list (the party setup screen, the match-round
// screen): each row's item data packs the player's entry index in the top 8 bits and
// a value (score or rank points) in the low 24 bits. The value is saturated at
// 16,777,215 so that a large score never spills into the player bits; the row's text
// keeps the true number.
#include <cstdint>

namespace quarn {

class ui_list_t;
struct ui_list_item_t;

inline constexpr uint32_t PARTY_ROW_VALUE_MAX = 0xFFFFFFu;

// player × 2^24 + min(value, 2^24 - 1); the player in 0..255.
uint32_t party_row_data(uint32_t player, uint32_t value);

// The list's sort function (ui_list_t::sort_items) for standings: the higher value
// first (-1 when a's is higher, 1 when lower); on equal values the lower player index
// first; 0 only for equal data.
int party_row_compare(ui_list_t *list, const ui_list_item_t &a, const ui_list_item_t &b);

}  // namespace quarn
