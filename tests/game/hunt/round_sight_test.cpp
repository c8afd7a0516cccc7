// Every round of "/script/round/rounds.unit" on the content maps as built: the first
// animals its schedule sends walk trails that the hunter sees from the round's start
// point along a clear line (no terrain, tree or rock in the way) within rifle range
// and his view, over a stretch long enough to shoot.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "../ai/animal_target_fixture.h"
#include "game/player/player.h"
#include "game/process/round_file.h"
#include "game/round/spawn_entry.h"
#include "game/scene/current_ctrl.h"
#include "game/world/landscape.h"
#include "game/world/start_point.h"
#include "game/world/trail.h"
#include "game/world/world.h"

namespace quarn::test {
namespace {

constexpr uint32_t FIRST_ANIMALS = 3;  // the targets a round sends first
constexpr float RANGE = 100.0f;        // within rifle range of the start
constexpr float CHEST = 0.9f;          // the aim above the trail (a whitetail's chest)
constexpr float STEP = 1.0f;           // trail samples, this far apart
constexpr float SEEN = 10.0f;          // units of trail seen at least
constexpr float DEGREES = 57.29578f;

using round_sight = animal_target_fixture_t;

struct first_targets_t {
    uint32_t round = 0;
    std::string start;
    std::vector<std::string> trails;
};

// The points of the trail every STEP units.
std::vector<vec3_t> samples(const trail_u &t) {
    std::vector<vec3_t> out;
    for (uint32_t s = 0; s < t.get_segment_count(); ++s) {
        const trail_segment_t seg = t.get_segment(s);
        const int n = std::max(1, int(std::ceil(seg.length() / STEP)));
        for (int i = 0; i < n; ++i) out.push_back(lerp(seg.start_position, seg.end_position, float(i) / float(n)));
    }
    return out;
}

TEST_F(round_sight, every_rounds_first_animals_are_seen_from_its_start_along_a_clear_line) {
    // The hunt's scene loads the hookups the rounds name (the animals' descriptions,
    // the emitters the maps copy).
    set_current_ctrl(hunt_ctrl_u::create());
    owner_ptr_t<unit_base_t> progression(load_round_progression("/script/round/rounds.unit"));
    ASSERT_TRUE(progression) << ::testing::PrintToString(log.texts(message_t::ERROR));
    const uint32_t count = round_progression_count(progression.get());
    ASSERT_EQ(count, 30u);

    // The trails of each round's first animals, as the hunt schedules them (seeded
    // with the round's number).
    std::map<std::string, std::vector<first_targets_t>> by_map;
    for (uint32_t n = 1; n <= count; ++n) {
        auto *round = unit_cast<round_logic_u>(round_progression_get(progression.get(), n));
        ASSERT_NE(round, nullptr) << n;
        round->build_spawn_schedule(n, spawn_setup_t{n, false, 0, nullptr});
        std::vector<spawn_entry_t> entries;
        round->get_spawns().for_each_pending([&](const spawn_entry_t &e) {
            if (e.kind == SPAWN_SCORING || e.kind == SPAWN_DECOY || e.kind == SPAWN_DANGEROUS) entries.push_back(e);
        });
        std::sort(entries.begin(), entries.end(), [](const spawn_entry_t &a, const spawn_entry_t &b) {
            return a.time < b.time || (a.time == b.time && a.sequence < b.sequence);
        });
        ASSERT_GE(entries.size(), FIRST_ANIMALS) << n;
        first_targets_t first;
        first.round = n;
        first.start = round->start_point_name.c_str();
        for (uint32_t i = 0; i < FIRST_ANIMALS; ++i)
            first.trails.push_back(round->get_trail(entries[i].trail)->trail_name.c_str());
        by_map[round->map_name.c_str()].push_back(first);
    }
    ASSERT_EQ(by_map.size(), 3u);

    for (const auto &[map, rounds] : by_map) {
        SCOPED_TRACE(map);
        owner_ptr_t<world_u> world(world_u::create());
        world->load(("/map/" + map + "/").c_str());
        array_dyn_t<owner_ptr_t<unit_base_t>> starts;
        ASSERT_TRUE(load_start_points(starts, map.c_str()));
        for (const first_targets_t &first : rounds) {
            SCOPED_TRACE("round " + std::to_string(first.round));
            const start_point_u *start =
                unit_cast<start_point_u>(unit_system_t::find_unit(first.start.c_str()));
            ASSERT_NE(start, nullptr) << first.start;
            const vec3_t eye = start->get_placement().position + vec3_t{0, player_t::EYE_HEIGHT, 0};
            const vec3_t facing = start->get_placement().rotation.get_cartes();
            for (const std::string &name : first.trails) {
                SCOPED_TRACE(name);
                const trail_u *trail = unit_cast<trail_u>(unit_system_t::find_unit(name.c_str()));
                ASSERT_NE(trail, nullptr);
                float seen = 0.0f;
                for (const vec3_t &p : samples(*trail)) {
                    const vec3_t aim = p + vec3_t{0, CHEST, 0};
                    const vec3_t d = aim - eye;
                    const float flat = std::hypot(d.x, d.z);
                    if (flat > RANGE || flat < 1.0f) continue;
                    if (std::acos((d.x * facing.x + d.z * facing.z) / flat) * DEGREES > start->get_view_limit()) continue;
                    physics_ray_hit_t hit;
                    if (!world->trace_segment_filtered(hit, eye, aim, world_u::MASK_SHOT)) seen += STEP;
                }
                EXPECT_GE(seen, SEEN) << "units of the trail seen from " << first.start;
            }
        }
        starts.clear();
        world.reset();
        unit_system_t::clean_garbage();
    }
}

}  // namespace
}  // namespace quarn::test
