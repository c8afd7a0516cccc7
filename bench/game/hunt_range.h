#pragma once
// The scene of round 1's hunt at its busiest, as the benchmarks of a hunt's frame set
// it up (hunt_frame_bench.cpp, render_frame_bench.cpp): the game process made and
// started as the program starts it (its data, variables, devices: the renderer
// plug-in "lib/gl", the sound plug-in, the UI with the HUD), the hunt of
// "init_round 1" with the player and the shipped rifle, 20 of the round's animal
// targets walking their trails, and an AI herd of 20 whitetails (four herds of five)
// living on the map beside them. Made once for the process, on the first call.
#include <cstdint>

#include "outside/qrnshared/def_pool.h"

namespace quarn {
class game_process_t;
class hunt_ctrl_u;
}  // namespace quarn

namespace quarn::bench {

constexpr uint32_t HUNT_STEP_USEC = 40000;
constexpr uint32_t HUNT_TARGETS = 20;

// The round's live animal targets.
uint32_t live_targets(hunt_ctrl_u *hunt);

struct hunt_range_t {
    hunt_range_t();

    // A scheduler pass: every process, then the game's (outside the scheduler, so
    // that the benchmark can time the parts of its frame) as the scheduler runs one.
    void pass();

    game_process_t *game = nullptr;
    hunt_ctrl_u *hunt = nullptr;
    def_pool_t definitions, mission;
    bool ok = false;
};

hunt_range_t &hunt_range();

}  // namespace quarn::bench
