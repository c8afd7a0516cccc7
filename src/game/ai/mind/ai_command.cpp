#include "game/ai/mind/ai_command.h"

#include <strings.h>

namespace quarn {

namespace {

constexpr const char *names[AI_CMD_COUNT] = {
    "move",    "wander",         "feed",          "appetite",     "pursue animal",  "drink",      "rest",
    "hide",    "sex",            "scrape",        "search mate",  "UNUSED!",        "flee",       "UNUSED!",
    "fight animal", "fight tree", "serious injury", "play behavior", "restart script", "undefined",
};

}  // namespace

const char *ai_command_name(int32_t kind) { return kind >= 0 && kind < AI_CMD_COUNT ? names[kind] : nullptr; }

int32_t ai_command_from_script(const char *action) {
    if (!action) return -1;
    for (int32_t k = 0; k < AI_CMD_COUNT; ++k) {
        if (k == AI_CMD_UNUSED_11 || k == AI_CMD_UNUSED_13 || k == AI_CMD_FIGHT_TREE || k == AI_CMD_UNDEFINED) continue;
        if (strcasecmp(names[k], action) == 0) return k;
    }
    return -1;
}

}  // namespace quarn
