#pragma once
// game_data_t: what carries the player's game across controllers (one, owned by the
// front-end session): the mission and map, the mode, the view settings that the
// cameras, the environment, the weapons and the bonuses read and write, the running
// and checkpoint score records, the round (and the game process's round count and
// round-start flag), the expert flag, and for party play the players, their turn
// order, the party round and the log of party gifts won.
//
// Score records are copied by clone, never shared. Rounds start through the command
// "init_round %u" (start_round), which the game process serves.
#include <cstdint>

#include "game/game_alloc.h"
#include "game/session/score.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class savegame_u;

// One party player: the score record (carrying the name), the rank before the last
// ranking, the rank and the party points.
struct party_player_t {
    owner_ptr_t<score_u> score;
    int32_t previous_rank = 1;
    int32_t rank = 1;
    int32_t party_points = 0;
};

// A party gift won by shooting a gift target, to be delivered to the other players,
// to each once.
struct gift_hit_t {
    mstring_dyn_t gift_name;
    mstring_dyn_t sender_name;  // the name in the running score
    uint32_t sender = 0;        // entry index of the player who won it
    float time = 0.0f;          // round time in seconds when the target was hit
    uint32_t round = 0;         // the party round in party play, else the round index
    array_dyn_t<uint32_t> delivered_to;  // entry indices of the players it reached

    bool was_delivered_to(uint32_t player) const;
};

// What get_party_player reports of a player.
struct party_standing_t {
    uint32_t score = 0;
    int32_t party_points = 0;
    int32_t rank = 0;
    int32_t rank_change = 0;  // previous rank − rank: above 0 when the player rose
};

class game_data_t {
public:
    QRN_GAME_ALLOC

    enum mode_t : int32_t { MODE_IDLE = 0, MODE_PLAY = 1, MODE_SCREENSAVER = 2 };

    // The view settings a new game data starts with, which also serve a scene drawn
    // while no session holds game data.
    static constexpr float DEFAULT_NEAR_PLANE = 0.1f;
    static constexpr float DEFAULT_FAR_PLANE = 1000.0f;
    static constexpr float DEFAULT_FOV = 60.0f;

    // New records for the running and checkpoint scores, when a default unit system
    // exists (without one they stay empty until reset_scores).
    game_data_t();
    game_data_t(const game_data_t &) = delete;
    game_data_t &operator=(const game_data_t &) = delete;

    void set_mode(int32_t new_mode) { mode = new_mode; }

    // Puts the field of view, the far plane and the near plane into the frustum.
    void apply_view(frustum_t &frustum) const;
    // How far a view is zoomed against the field of view of 60 degrees:
    // tan(30°) / tan(fov / 2), with the view's field of view in degrees.
    static float camera_zoom_factor(const frustum_t &view);

    // ---- scores ----
    score_u *get_running_score() const { return running_score.get(); }
    score_u *get_checkpoint_score() const { return checkpoint_score.get(); }
    // Two new, empty records.
    void reset_scores();
    // The running record's fever points × 0.2 (0 without a record).
    float get_fever_level() const;
    void clear_fever();
    // Adds to the running record's score (stopping at the largest value).
    void add_points(uint32_t points);
    uint32_t get_continue_coins() const;

    // ---- rounds ----
    // Starts a new game at the round: the scores (or in party play every player's
    // record, keeping the names) begin anew, then the round starts.
    void start_game(uint32_t round, bool expert_mode);
    // Goes on after a finished round: the next round, the "finished" window after the
    // last one, or in party play the next player's turn, the match-round window after
    // the last turn and "menu party" after the third party round.
    void next_round();
    // Plays the round again from the checkpoint for one continue coin; false (nothing
    // changed) without a coin.
    bool retry_round();
    // Sets the round-start flag and executes "init_round %u" with the index.
    void start_round(uint32_t index);
    // The round-start flag, cleared by the reading ("init_round" asks it once).
    bool take_round_start_pending();

    // ---- savegame ----
    // Restores the single game saved: running score = clone of the saved one,
    // checkpoint = clone of that, expert flag and round, then the round starts. False
    // (nothing changed) when the save holds no score or it cannot be copied.
    bool resume(const savegame_u &save);
    // A new save of the game at its checkpoint; null when there is no checkpoint or no
    // unit can be made.
    owner_ptr_ret_t<savegame_u> make_save() const;

    // ---- party ----
    bool is_party_mode() const { return !party_players.is_empty(); }
    uint32_t get_party_player_count() const { return party_players.get_count(); }
    // Replaces the players by new records carrying the names, in that order, which is
    // also the first turn order; the gift log is emptied.
    void set_party_players(const char *const names[], uint32_t count);
    void clear_party();
    // The entry index of the player whose turn it is.
    uint32_t get_current_player() const { return current_player; }
    // Entry indices in the order the players take turns.
    const array_t<uint32_t> &get_turn_order() const { return turn_order; }
    // Copies the player's name out and reports its standing; false (outputs untouched)
    // for an index past the players.
    bool get_party_player(uint32_t index, mstring_t *name, party_standing_t *standing) const;
    // The turn's player becomes the running game: running score = clone of the
    // player's record, checkpoint = clone of the running score.
    void select_player();
    // The current player's record = clone of the running score.
    void store_player();

    // ---- party gifts ----
    const array_t<gift_hit_t> &get_gift_log() const { return gift_log; }
    // Logs a gift won by the current player at that round time.
    void log_gift_hit(const char *gift_name, float round_time);
    // The logged gift at index reached the player (an entry index): it is not given
    // to that player again. Nothing for an index past the log.
    void note_gift_delivered(uint32_t index, uint32_t player);

    mstring_dyn_t mission_name;  // the mission file of the current hunt
    int32_t mode = MODE_IDLE;
    mstring_dyn_t map_name;  // the map of the running scene
    float near_plane = DEFAULT_NEAR_PLANE;
    float far_plane = DEFAULT_FAR_PLANE;
    float fov = DEFAULT_FOV;               // the camera's field of view, degrees
    float first_person_fov = DEFAULT_FOV;  // the held weapon's projection (near 0.01, far 2)
    float look_sensitivity = 1.0f;   // factor on the look input
    uint32_t round_index = 1;        // 1-based, into the round progression
    bool expert = false;
    uint32_t round_count = 0;           // rounds of the progression; the game process sets it at start
    bool round_start_pending = false;   // set by start_round, cleared by "init_round"

    uint32_t current_turn = 0;  // position in the turn order
    uint32_t party_round = 1;   // 1 to 3
    bool turn_order_ranked = false;

private:
    // Ranks every player by a value (higher is better): 1 + the number of distinct
    // values above the player's own, so equal values share a rank with no gap after.
    void rank_players(bool by_party_points);
    // Turn order by the players' scores, highest first, equal scores by entry index.
    void sort_turn_order();

    owner_ptr_t<score_u> running_score;
    owner_ptr_t<score_u> checkpoint_score;
    array_dyn_t<party_player_t> party_players;
    array_dyn_t<uint32_t> turn_order;
    uint32_t current_player = 0;
    array_dyn_t<gift_hit_t> gift_log;
};

// The session's game data; null while no session holds one.
game_data_t *get_game_data();
// The session sets its game data when it starts and null when it ends.
void set_game_data(game_data_t *data);

}  // namespace quarn
