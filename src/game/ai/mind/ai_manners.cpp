#include "game/ai/mind/ai_manners.h"

#include <cstring>
#include <strings.h>

namespace quarn {

namespace {

struct manner_row_t {
    const char *name;
    int32_t id;
};

constexpr manner_row_t manners[] = {
    {"stand", 0},         {"walk", 1},          {"gallop", 2},       {"trott", 3},
    {"lay", 4},           {"stand_look", 5},    {"walk_look", 6},    {"lay_look", 7},
    {"stand_graze", 8},   {"stand_sniff", 9},   {"walk_graze", 10},  {"gallop_leap", 11},
    {"stand_scrape", 12}, {"stand_graze_scrape", 13},                {"ramp", 14},
    {"ramp_walk", 15},    {"wound", 16},        {"wound_look", 17},  {"eyes", 20},
    {"ears", 21},         {"shake", 22},        {"head_ex", 23},     {"chew", 24},
    {"sniff", 25},        {"tail_flip", 26},    {"tail_up", 27},     {"headshot", 31},
    {"heartshot", 32},    {"lungshot", 33},     {"spineshot", 34},   {"wound2dead", 35},
    {"trophy0", 36},      {"trophy1", 37},      {"trophy2", 38},     {"trophy3", 39},
    {"call", 40},         {"food_appetite", 41}, {"attack_hunter", 42}, {"kill_hunter", 43},
    {"hit", 44},          {"sstand", 45},       {"look", 50},        {"look_nw", 51},
    {"look_ne", 52},      {"look_sw", 53},      {"look_se", 54},     {"alert", 55},
    {"alert_nw", 56},     {"alert_ne", 57},     {"alert_sw", 58},    {"alert_se", 59},
    {"limp_lf", 60},      {"limp_rf", 61},      {"limp_lr", 62},     {"limp_rr", 63},
};

constexpr const char *processors[AI_PROCESSOR_COUNT] = {"rest",     "eat",    "drink",  "move",     "attack",
                                                        "run_away", "scrape", "injury", "undefined"};

constexpr const char *addon_groups[AI_ADDON_GROUP_COUNT] = {"eyes", "ears",  "shake", "head_ex",
                                                            "chew", "sniff", "tail",  "tailup"};

}  // namespace

int32_t ai_manner_id(const char *name) {
    if (!name) return -1;
    for (const manner_row_t &m : manners)
        if (strcmp(m.name, name) == 0) return m.id;
    return -1;
}

const char *ai_manner_name(int32_t id) {
    for (const manner_row_t &m : manners)
        if (m.id == id) return m.name;
    return nullptr;
}

const char *ai_processor_name(uint32_t index) { return index < AI_PROCESSOR_COUNT ? processors[index] : nullptr; }

const char *ai_addon_group_name(uint32_t group) {
    return group < AI_ADDON_GROUP_COUNT ? addon_groups[group] : nullptr;
}

int32_t ai_addon_group(const char *name) {
    if (!name) return -1;
    for (uint32_t i = 0; i < AI_ADDON_GROUP_COUNT; ++i)
        if (strcasecmp(addon_groups[i], name) == 0) return int32_t(i);
    return -1;
}

}  // namespace quarn
