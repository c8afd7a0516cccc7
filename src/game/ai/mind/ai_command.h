#pragma once
// The 20 command kinds the AI, the mission scripts and the animals' command
// operations share, and the command record the AI hands an animal.
#include <cstdint>

namespace quarn {

class ai_animal_t;

enum ai_command_kind_t : int32_t {
    AI_CMD_MOVE = 0,
    AI_CMD_WANDER = 1,
    AI_CMD_FEED = 2,
    AI_CMD_APPETITE = 3,
    AI_CMD_PURSUE_ANIMAL = 4,
    AI_CMD_DRINK = 5,
    AI_CMD_REST = 6,
    AI_CMD_HIDE = 7,
    AI_CMD_SEX = 8,
    AI_CMD_SCRAPE = 9,
    AI_CMD_SEARCH_MATE = 10,
    AI_CMD_UNUSED_11 = 11,
    AI_CMD_FLEE = 12,
    AI_CMD_UNUSED_13 = 13,
    AI_CMD_FIGHT_ANIMAL = 14,
    AI_CMD_FIGHT_TREE = 15,
    AI_CMD_SERIOUS_INJURY = 16,
    AI_CMD_PLAY_BEHAVIOR = 17,
    AI_CMD_RESTART_SCRIPT = 18,
    AI_CMD_UNDEFINED = 19,
    AI_CMD_COUNT = 20,
};

// Phases of a command.
enum ai_command_phase_t : int32_t {
    AI_PHASE_NEW = 0,
    AI_PHASE_FORCED = 3,  // the decision is forced (also: finished, for a handler)
    AI_PHASE_ENDING = 4,  // told to end; dispatched once so
};

// Arguments of "appetite".
constexpr int32_t AI_APPETITE_FOOD = 0;
constexpr int32_t AI_APPETITE_SEXUAL = 1;

// The kind's name as scripts write it ("move", "search mate", "UNUSED!"...), null
// past the last.
const char *ai_command_name(int32_t kind);
// The kind a script's action names (compared without regard to case), or -1; the
// unused kinds 11, 13, 15 and 19 are never named by a script.
int32_t ai_command_from_script(const char *action);

struct ai_command_t {
    int32_t kind = AI_CMD_UNDEFINED;
    int32_t phase = AI_PHASE_FORCED;
    // The script point, appetite, behaviour or animal index the kind takes.
    int32_t argument = 0;
    // The animal of "pursue animal", "sex", "flee" and "fight animal", or null.
    ai_animal_t *target = nullptr;
};

}  // namespace quarn
