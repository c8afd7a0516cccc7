#pragma once
// The names the AI's state graphs, processors and addons are written with in
// "/def/ai.def", and the ids the program gives them.
//
// A manner is a kind of movement an animal shows (stand, walk, graze...): the AI
// chooses manners, the presentation plays a behaviour of the animal's behaviour file
// whose name is the manner's name. Ids are fixed: they index the presentation's
// manner groups, and 20 + i is the manner of addon group i.
#include <cstdint>

namespace quarn {

// Manner ids of the table; not every number below AI_MANNER_LIMIT is a manner.
constexpr int32_t AI_MANNER_LIMIT = 64;
constexpr int32_t AI_MANNER_STAND = 0;
constexpr int32_t AI_MANNER_ADDON_FIRST = 20;

// The id of the manner named so (exact, case-sensitive), or -1.
int32_t ai_manner_id(const char *name);
// The name of the manner id, or null for a number that is no manner.
const char *ai_manner_name(int32_t id);

// Processors, in index order: "rest", "eat", "drink", "move", "attack", "run_away",
// "scrape", "injury", "undefined".
constexpr uint32_t AI_PROCESSOR_COUNT = 9;
constexpr uint32_t AI_PROCESSOR_UNDEFINED = 8;
const char *ai_processor_name(uint32_t index);

// Addon groups, in bit order: "eyes", "ears", "shake", "head_ex", "chew", "sniff",
// "tail", "tailup".
constexpr uint32_t AI_ADDON_GROUP_COUNT = 8;
const char *ai_addon_group_name(uint32_t group);
// The group named so, compared without regard to case, or -1.
int32_t ai_addon_group(const char *name);

}  // namespace quarn
