#pragma once
// round_logic_u (unit type "round_logic"): one round of a hunt. It names the map,
// weather, start point, ambient loop, the time and kill limits, the trails targets
// walk and the intro cameras, and decides from a generator seeded with the round
// number when and on which trail each target appears.
//
// After load, in order: trails must not be empty (the load fails); a target count and
// a time limit both 0 are logged and the checks go on; the occurrence table is built
// from the four periods (scoring, decoy, dangerous, ambients) that are at least 1 and
// sorted longest first (equal periods keep that order), and must end in a period of
// exactly 1 (else the load fails). A period below 1 switches its kind off. A target
// count above MAX_TARGET_COUNT fails the load too: each target is a scheduled entry.
//
// The hunt resolves the trails when it takes the round, builds the schedule when
// the round starts and then, each frame, sets the intro flag and calls update and
// draw. Entries go pending → due → spawned; a due entry whose spawn fails stays due
// and is tried again on the next update.
#include <cstdint>

#include "game/round/spawn_entry.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class trail_use_u;

// What a schedule needs besides the round number.
struct spawn_setup_t {
    // Single play: the round whose unlocked bonuses animals may carry.
    uint32_t bonus_round = 0;
    // Party play: no bonuses; gifts for two players or more.
    bool party = false;
    uint32_t party_players = 0;
    // Draws the gifts' times and names (the scene's own generator); no gifts without it.
    randomizer_t *gift_random = nullptr;
};

class round_logic_u : public unit_t {
    QRN_UNIT_CLASS(round_logic_u, unit_t);

public:
    static constexpr uint32_t MAX_TARGET_COUNT = 65536;
    // The gifts of a party round fall between these times (seconds).
    static constexpr float GIFT_FIRST_TIME = 2.0f;
    static constexpr float GIFT_SPAN = 52.0f;

    struct occurrence_t {
        spawn_kind_t kind;
        float period;
    };

    bool _call_post_load() override;
    // The occurrence table of the load, from the attributes as they are (also for
    // rounds made in code): false, logged, when it does not end in a period of 1.
    bool build_occurrence_table();
    uint32_t get_occurrence_count() const { return m_occurrence_count; }
    const occurrence_t &get_occurrence(uint32_t i) const { return m_occurrences[i]; }

    // Resolves every trail in order; false at the first that fails.
    bool resolve_trails();

    // Builds the schedule anew: the round's animals from a generator seeded with seed,
    // then in party play the gifts, all sorted by time. The setup comes from the game
    // data (bonus round: its round index; party and players: its party) and the
    // running scene's generator.
    void build_spawn_schedule(uint32_t seed);
    void build_spawn_schedule(uint32_t seed, const spawn_setup_t &setup);

    // While set, due entries wait (the hunt's intro flight runs).
    void set_intro_running(bool running) { m_intro_running = running; }
    bool is_intro_running() const { return m_intro_running; }

    // dt is the frame time already scaled by the scene's time factor; speed_factor
    // scales the animals' steps (a speed gift).
    void update(float dt, float speed_factor);
    void draw();
    // The scene closes its windows: every trail's targets close theirs.
    void close_windows();

    float get_elapsed() const { return m_elapsed; }
    const spawn_lists_t &get_spawns() const { return m_spawns; }
    uint32_t get_trail_count() const { return trails.get_count(); }
    trail_use_u *get_trail(uint32_t i) const;
    // The bonus names animals of this schedule may carry.
    const array_dyn_t<string> &get_bonus_names() const { return m_bonus_names; }

    // Attributes.
    mstring_dyn_t map_name;
    mstring_dyn_t weather_name;
    mstring_dyn_t start_point_name;
    mstring_dyn_t ambient_loop;
    uint32_t time_limit = 0;
    uint32_t kill_limit = 20;
    float scoring_occurence = 1.0f;
    float decoy_occurence = 5.0f;
    float dangerous_occurence = 0.0f;
    float ambients_occurence = 0.0f;
    uint32_t target_count = 1;
    float sun_azimuth = 180.0f;
    array_dyn_t<owner_ptr_t<unit_base_t>> trails;  // trail_use_u
    array_dyn_t<mstring_dyn_t> cameras;

private:
    void schedule_animals(randomizer_t &r);
    void schedule_gifts(randomizer_t &r, randomizer_t &c, uint32_t players);
    spawn_kind_t kind_of_spawn(uint32_t i) const;
    // Tries a due entry; true when it spawned.
    bool spawn(const spawn_entry_t &entry);

    occurrence_t m_occurrences[4] = {};
    uint32_t m_occurrence_count = 0;
    array_dyn_t<string> m_bonus_names;
    spawn_lists_t m_spawns;
    float m_elapsed = 0.0f;
    bool m_intro_running = false;
    // A missing spawner is logged once a round for each of the two spawners.
    bool m_missing_animal_spawner_logged = false;
    bool m_missing_gift_spawner_logged = false;
};

}  // namespace quarn
