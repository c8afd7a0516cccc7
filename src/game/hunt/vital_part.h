#pragma once
// vital_part_t: what a kill reads of the animal part that scored it as vital. The
// animal parts implement it; the hunt's on_kill gets it for a vital hit (null
// otherwise).
#include <cstdint>

namespace quarn {

class voiceover_table_u;

class vital_part_t {
public:
    // Added to the game data's fever points outside party play.
    virtual uint32_t get_fever_reward() const = 0;
    // The part's voice table, or null; played (delayed) only while it is alive.
    virtual voiceover_table_u *get_voice_table() const = 0;

protected:
    ~vital_part_t() = default;
};

}  // namespace quarn
