#pragma once
// score_u: the score record of one player (points, the round reached, the shot
// counters and the two currencies that carry over between rounds). score_table_u: the
// local high-score table, best first, kept in "/home/scores.unit".
//
// Records are copied by clone: the game data's running and checkpoint records, the
// party players' records, the savegame's copy and a table entry never share a unit.
#include <cstdint>

#include "outside/qrnshared/score_cipher.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class score_u : public unit_base_t {
    QRN_UNIT_CLASS(score_u, unit_base_t);

public:
    // Adds a round's record into this one: score, shots, hits, kills and valid kills
    // are summed (each stops at the largest value rather than wrapping), round becomes
    // the larger of the two; fever points, continue coins and the name stay.
    void add(const score_u &round_record);

    // The text for the online score page: "name,score,round" with its terminating
    // zero, enciphered with the score-upload key and written as two letters a byte
    // ("a" + low four bits, then "a" + high four bits). The name is player_name when
    // the one given is empty (or null). False, with out empty and the reason logged,
    // when the cipher fails: callers then open no link.
    bool make_submit_token(const char *name, mstring_t &out) const;

    mstring_dyn_t player_name;     // may hold markup and localisation keys
    uint32_t fever_points = 0;     // toward the fever bonus (level = points × 0.2)
    uint32_t continue_coins = 3;   // retries of a lost round left
    uint32_t score = 0;
    uint32_t round = 1;            // the round reached
    uint32_t shots = 0;
    uint32_t hits = 0;             // shots that hit an animal
    uint32_t kills = 0;            // legal or not
    uint32_t valid_kills = 0;      // counted against the kill limit
};

class score_table_u : public unit_base_t {
    QRN_UNIT_CLASS(score_table_u, unit_base_t);

public:
    static constexpr int32_t NO_PLACE = -1;

    // Every entry must be a score record: a table with an empty entry or one of
    // another class fails its load (logged), as no screen could show it.
    bool _call_post_load() override;

    uint32_t get_count() const { return scores.get_count(); }
    // The entry at index, or null past the end.
    score_u *get_entry(uint32_t index) const;

    // Where a finished game of that score enters the table: the index of the first
    // entry whose score is strictly lower (an equal score keeps its place ahead), or
    // NO_PLACE when none is lower (an empty table gives none).
    int32_t find_place(uint32_t score) const;
    // Enters a clone of the record at its place, later entries moving down, and cuts
    // the table back to its length, so the last entry drops out. The place taken, or
    // NO_PLACE (table unchanged) when the record earns none or cannot be copied.
    int32_t insert(score_u &record);

    array_dyn_t<owner_ptr_t<unit_base_t>> scores;  // score_u entries, best first
};

// a + b, stopping at the largest value rather than wrapping: the counters and scores
// of the records, the hunt and the HUD.
uint32_t score_add_capped(uint32_t a, uint64_t b);

// Two letters a byte, low four bits first ("a" + nibble), as the submit token writes
// its bytes: 0x3C gives "md".
void score_token_letters(mstring_t &out, const uint8_t *bytes, uint32_t size);

// The cipher the submit token uses; tests put a failing one in its place. Null
// restores the shared layer's.
struct score_cipher_ops_t {
    cipher_key_t *(*key_gen)(uint32_t key_number);
    cipher_buffer_t *(*encipher)(const void *data, uint32_t size, const cipher_key_t *key);
    void (*key_free)(cipher_key_t *key);
    void (*buffer_free)(cipher_buffer_t *buffer);
};
void score_set_cipher_ops(const score_cipher_ops_t *ops);

}  // namespace quarn
