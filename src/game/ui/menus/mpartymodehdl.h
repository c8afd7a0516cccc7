#pragma once
// menu_party_handler_t, "ui.handler.menu.party" ("/ui/mparty.esc", menu/partymode): the
// party setup. Before a party: up to four players (toggles 100-103, names 200-203),
// the difficulty (300) and the location (310); "start match" (20) creates the party
// from the named players and starts a random round of the location. During a party:
// the standings (list 320) and the next match on the same location without reading
// the names again. "end party" (10) or Escape clears the party and returns to the main
// menu. Difficulty, location and the party's names are kept between showings.
#include <cstdint>

#include "game/ui/menuhdl.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

struct party_location_t {
    const char *shown;  // a localisation key
    const char *map;
};
inline constexpr party_location_t PARTY_LOCATIONS[] = {
    {"@@loc_valley@@", "valley"},
    {"@@loc_crossing@@", "cross"},
    {"@@loc_peaks@@", "peaks"},
};
inline constexpr uint32_t PARTY_LOCATION_COUNT = sizeof PARTY_LOCATIONS / sizeof PARTY_LOCATIONS[0];

// Kept between showings of the screen (and between parties).
extern bool menu_party_easy;
extern uint32_t menu_party_location;
extern array_dyn_t<mstring_dyn_t> menu_party_names;

class menu_party_handler_t : public menu_screen_handler_t {
public:
    static constexpr uint32_t MAX_PLAYERS = 4;
    enum item_t : int32_t {
        BUTTON_END = 10, BUTTON_START = 20, ITEM_SETUP_SHIELD = 30, TOGGLE_FIRST = 100, NAME_FIRST = 200,
        SHIELD_FIRST = 250, BUTTON_DIFFICULTY = 300, BUTTON_LOCATION = 310, LIST_RANKING = 320
    };

    void on_wshow() override;
    void on_whide() override { shared_menu_hide(); }
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // The names of the playing rows, trimmed; false with the focus on the first
    // playing row without a name.
    bool collect_names(array_dyn_t<mstring_dyn_t> &names);
    void start_match();
    void end_party();

    // The name check of the input lines: letters, digits, "_" and blanks only (bytes
    // of the C locale: anything above 127 is refused).
    static bool name_text_ok(const char *text);

private:
    void fill_ranking();
    void show_settings();
    void set_name_row(uint32_t row, bool playing);
    void focus_name(int32_t id);
};

}  // namespace quarn
