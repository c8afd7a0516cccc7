#include "game/round/round_logic.h"

#include "game/game_module.h"
#include "game/round/target_spawners.h"
#include "game/round/trail_use.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {
constinit const unit_attr_t<UNIT_ATTR_OWNER_ARRAY> trail_use_domain{{&trail_use_u::unit_descriptor, 0}};
}

QRN_UNIT_DEFINE(round_logic_u, "round_logic",
                QRN_ATTR(map_name, UNIT_ATTR_STRING, "map_name"),
                QRN_ATTR(weather_name, UNIT_ATTR_STRING, "weather_name"),
                QRN_ATTR(start_point_name, UNIT_ATTR_STRING, "start_point_name"),
                QRN_ATTR(ambient_loop, UNIT_ATTR_STRING, "ambient_loop"),
                QRN_ATTR(time_limit, UNIT_ATTR_UINT32, "time_limit"),
                QRN_ATTR(kill_limit, UNIT_ATTR_UINT32, "kill_limit"),
                QRN_ATTR(scoring_occurence, UNIT_ATTR_FLOAT, "scoring_occurence"),
                QRN_ATTR(decoy_occurence, UNIT_ATTR_FLOAT, "decoy_occurence"),
                QRN_ATTR(dangerous_occurence, UNIT_ATTR_FLOAT, "dangerous_occurence"),
                QRN_ATTR(ambients_occurence, UNIT_ATTR_FLOAT, "ambients_occurence"),
                QRN_ATTR(target_count, UNIT_ATTR_UINT32, "target_count"),
                QRN_ATTR(sun_azimuth, UNIT_ATTR_FLOAT, "sun_azimuth"),
                QRN_ATTR(trails, UNIT_ATTR_OWNER_ARRAY, "trails", &trail_use_domain),
                QRN_ATTR(cameras, UNIT_ATTR_STRING_ARRAY, "cameras"));

bool round_logic_u::_call_post_load() {
    if (!unit_t::_call_post_load()) return false;
    if (trails.is_empty()) {
        error("[game] A round unit must have at least one trail_use unit in the trails[] array");
        return false;
    }
    if (target_count == 0 && time_limit == 0)
        error("[game] A round unit must have non-zero target count & time_limit to work.");
    if (!build_occurrence_table()) return false;
    if (target_count > MAX_TARGET_COUNT) {
        error("[game] A round's target_count of %u is more than the %u a round can schedule.", target_count,
              MAX_TARGET_COUNT);
        return false;
    }
    return true;
}

bool round_logic_u::build_occurrence_table() {
    const occurrence_t candidates[4] = {
        {SPAWN_SCORING, scoring_occurence},
        {SPAWN_DECOY, decoy_occurence},
        {SPAWN_DANGEROUS, dangerous_occurence},
        {SPAWN_AMBIENT, ambients_occurence},
    };
    m_occurrence_count = 0;
    for (const occurrence_t &c : candidates) {
        if (!(c.period >= 1.0f)) continue;
        // Insertion sort, longest period first; an equal period goes after the ones
        // already there, so ties keep the order above.
        uint32_t at = m_occurrence_count;
        while (at > 0 && m_occurrences[at - 1].period < c.period) {
            m_occurrences[at] = m_occurrences[at - 1];
            --at;
        }
        m_occurrences[at] = c;
        ++m_occurrence_count;
    }
    if (m_occurrence_count == 0 || m_occurrences[m_occurrence_count - 1].period != 1.0f) {
        error("[game] There must be at least 1 spawn occurence specified, and one of specified occurences must equal "
              "to 1!");
        return false;
    }
    return true;
}

trail_use_u *round_logic_u::get_trail(uint32_t i) const {
    return i < trails.get_count() ? unit_cast<trail_use_u>(trails[i].get()) : nullptr;
}

bool round_logic_u::resolve_trails() {
    for (uint32_t i = 0; i < trails.get_count(); ++i) {
        trail_use_u *trail = get_trail(i);
        if (!trail || !trail->resolve_trail()) return false;
    }
    return true;
}

bool round_logic_u::spawn(const spawn_entry_t &entry) {
    trail_use_u *trail = get_trail(entry.trail);
    if (!trail) {
        // Only a round changed after its schedule was built gets here: the entry can
        // never spawn, so it goes.
        error("[game] A %s spawn names trail %u of a round with %u trails; it is dropped", spawn_kind_name(entry.kind),
              entry.trail, trails.get_count());
        return true;
    }
    if (entry.kind == SPAWN_GIFT) {
        if (!game_module_factory<gift_target_spawn_fn_t>(GIFT_TARGET_SPAWNER)) {
            if (!m_missing_gift_spawner_logged)
                error("[game] No gift spawner ('%s'): gifts wait until one is there", GIFT_TARGET_SPAWNER);
            m_missing_gift_spawner_logged = true;
            return false;
        }
        return trail->spawn_gift(entry.name.c_str(), entry.random_value);
    }
    if (!game_module_factory<animal_target_spawn_fn_t>(ANIMAL_TARGET_SPAWNER)) {
        if (!m_missing_animal_spawner_logged)
            error("[game] No animal spawner ('%s'): animals wait until one is there", ANIMAL_TARGET_SPAWNER);
        m_missing_animal_spawner_logged = true;
        return false;
    }
    return trail->spawn_animal(entry.kind, entry.name.c_str(), entry.random_value);
}

void round_logic_u::update(float dt, float speed_factor) {
    m_elapsed += dt;
    m_spawns.move_due(m_elapsed);
    if (!m_intro_running) m_spawns.spawn_due([this](const spawn_entry_t &entry) { return spawn(entry); });
    for (uint32_t i = 0; i < trails.get_count(); ++i)
        if (trail_use_u *trail = get_trail(i)) trail->update(dt, speed_factor);
}

void round_logic_u::draw() {
    for (uint32_t i = 0; i < trails.get_count(); ++i)
        if (trail_use_u *trail = get_trail(i)) trail->draw();
}

void round_logic_u::close_windows() {
    for (uint32_t i = 0; i < trails.get_count(); ++i)
        if (trail_use_u *trail = get_trail(i)) trail->close_windows();
}

}  // namespace quarn
