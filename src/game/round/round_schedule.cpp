// The spawn schedule of a round: what each spawn is, when, on which trail, with which
// bonus and random value, and in party play the gifts.
#include <cfloat>
#include <cmath>

#include "game/game_data.h"
#include "game/round/bonus_unlocks.h"
#include "game/round/round_logic.h"
#include "game/round/trail_use.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The party gifts, in the order the gift draw indexes them.
constexpr const char *gift_names[] = {"annoy", "cloak", "handswap", "headstand", "shake", "speed"};
constexpr uint32_t GIFT_NAME_COUNT = sizeof gift_names / sizeof gift_names[0];

// Two spawns on one trail keep at least this many seconds apart; two bonus carriers
// more than BONUS_GAP.
constexpr float TRAIL_GAP = 0.5f;
constexpr float BONUS_GAP = 5.0f;
constexpr float BONUS_CHANCE = 0.3f;
constexpr uint32_t RANDOM_VALUES = 999;

bool carries_bonus(spawn_kind_t kind) { return kind == SPAWN_SCORING || kind == SPAWN_DANGEROUS; }

}  // namespace

void round_logic_u::build_spawn_schedule(uint32_t seed) {
    spawn_setup_t setup;
    // In single play the hunt seeds with the round number, so the seed is the round
    // whose bonuses are unlocked.
    setup.bonus_round = seed;
    if (const game_data_t *data = get_game_data()) {
        setup.party = data->is_party_mode();
        setup.party_players = data->get_party_player_count();
    }
    if (base_ctrl_u *ctrl = get_current_ctrl()) setup.gift_random = &ctrl->get_random();
    build_spawn_schedule(seed, setup);
}

void round_logic_u::build_spawn_schedule(uint32_t seed, const spawn_setup_t &setup) {
    m_elapsed = 0.0f;
    m_spawns.clear();
    m_bonus_names.clear();
    m_missing_animal_spawner_logged = false;
    m_missing_gift_spawner_logged = false;
    randomizer_t r(seed);
    if (!setup.party && !list_unlocked_bonuses(m_bonus_names, setup.bonus_round))
        error("[game] The bonus names of round %u cannot be listed: animals carry fewer", setup.bonus_round);
    schedule_animals(r);
    if (setup.party) {
        if (setup.gift_random)
            schedule_gifts(r, *setup.gift_random, setup.party_players);
        else
            error("[game] No scene to draw the party gifts from: the round has none");
    }
    m_spawns.sort_pending();
}

spawn_kind_t round_logic_u::kind_of_spawn(uint32_t i) const {
    // The longest period first: the first whose multiple falls between i and i + 1.
    for (uint32_t k = 0; k < m_occurrence_count; ++k) {
        const float p = m_occurrences[k].period;
        if (std::floor(float(i) / p) < std::floor(float(i + 1) / p)) return m_occurrences[k].kind;
    }
    return SPAWN_NONE;
}

void round_logic_u::schedule_animals(randomizer_t &r) {
    const uint32_t count = trails.get_count();
    uint32_t last_trail[SPAWN_KIND_COUNT];
    for (uint32_t &last : last_trail) last = r.rand_u(count);
    array_dyn_t<float> last_spawn;
    if (!last_spawn.set_size(count)) {
        error("[game] No memory for the schedule of a round with %u trails", count);
        return;
    }
    for (float &time : last_spawn) time = -FLT_MAX;

    float t = 0.0f;
    float last_bonus = -FLT_MAX;
    const float interval = float(time_limit) / float(target_count);
    for (uint32_t i = 0; i < target_count; ++i, t += interval) {
        const spawn_kind_t kind = kind_of_spawn(i);
        if (kind == SPAWN_NONE) continue;  // only a round whose table was never built

        const char *bonus = "";
        if (!m_bonus_names.is_empty() && carries_bonus(kind) && last_bonus + BONUS_GAP < t &&
            r.rand() < BONUS_CHANCE) {
            bonus = m_bonus_names[r.rand_u(m_bonus_names.get_count())].c_str();
            last_bonus = t;
        }
        const uint32_t random_value = r.rand_u(RANDOM_VALUES);

        // After the kind's last trail, round to that trail itself.
        uint32_t chosen = spawn_entry_t::NO_TRAIL;
        for (uint32_t step = 1; step <= count; ++step) {
            const uint32_t index = (last_trail[kind] + step) % count;
            const trail_use_u *trail = get_trail(index);
            if (trail && !trail->get_supported(kind).is_empty() && last_spawn[index] + TRAIL_GAP <= t) {
                chosen = index;
                break;
            }
        }
        if (chosen == spawn_entry_t::NO_TRAIL) {
            error("[game] Unable to find a trail to spawn animal on!");
            continue;
        }
        last_trail[kind] = chosen;
        last_spawn[chosen] = t;
        if (!m_spawns.add_pending(kind, t, bonus, random_value, chosen))
            error("[game] No memory for a %s spawn at %g s", spawn_kind_name(kind), double(t));
    }
}

void round_logic_u::schedule_gifts(randomizer_t &r, randomizer_t &c, uint32_t players) {
    // A party of one has nobody to send gifts to, and ten or more share none.
    if (players < 2) return;
    const uint32_t gifts = 8 / (players - 1);
    const uint32_t count = trails.get_count();
    if (gifts == 0 || count == 0) return;
    const float span = GIFT_SPAN / float(gifts) - GIFT_FIRST_TIME;
    float t = 0.0f;
    for (uint32_t g = 0; g < gifts; ++g) {
        // The draws in this order: time, trail, random value, name.
        const float time = c.rand() * span + t + GIFT_FIRST_TIME;
        const uint32_t trail = r.rand_u(count);
        const uint32_t random_value = r.rand_u(RANDOM_VALUES);
        const char *name = gift_names[c.rand_u(GIFT_NAME_COUNT)];
        if (!m_spawns.add_pending(SPAWN_GIFT, time, name, random_value, trail))
            error("[game] No memory for the gift '%s' at %g s", name, double(time));
        t += span + GIFT_FIRST_TIME;
    }
}

}  // namespace quarn
