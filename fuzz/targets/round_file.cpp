// Reads arbitrary bytes as a unit file into the round and voice-over classes. Every
// round that loads is resolved against two trails ("t0", "t1"), scheduled in
// single and in party play and run for a minute of frames through spawners that make
// small targets, which finish after a few steps; every voice table is asked for lines.
// Descriptions "d0" and "d1" exist for the supported arrays to name. After each input
// every unit must be freed.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "game/game_module.h"
#include "game/game_rows.h"
#include "game/round/round_logic.h"
#include "game/round/round_progression.h"
#include "game/round/target_spawners.h"
#include "game/round/trail_use.h"
#include "game/scene/target.h"
#include "game/voiceover/voiceover.h"
#include "game/world/trail.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "support/fuzz_unit_load.h"

namespace quarn {
namespace fuzz {

class desc_u : public unit_t {
    QRN_UNIT_CLASS(desc_u, unit_t);
};
QRN_UNIT_DEFINE(desc_u, "desc");

class small_target_u : public target_u {
    QRN_UNIT_CLASS(small_target_u, target_u);

public:
    placement_t get_placement() const override { return {}; }
    uint32_t get_points() const override { return 0; }
    bool is_dangerous() const override { return false; }
    bool is_ambient() const override { return false; }
    bool has_trophy() const override { return false; }
    void update(float) override { ++steps; }
    void draw() override {}
    bool is_finished() const override { return steps >= 3; }
    bool intersect(shot_record_t &, vec3_t &, const placement_t &, const vec3_t &) override { return false; }
    void on_hit(const vec3_t &, projectile_u *, shot_record_t &, const placement_t &, const vec3_t &) override {}
    int steps = 0;
};
QRN_UNIT_DEFINE(small_target_u, "small_target");

owner_ptr_ret_t<target_u> spawn_animal(unit_base_t *, trail_u *, const char *, uint32_t random_value) {
    if (random_value % 7 == 0) return {};  // now and then a spawn fails
    return small_target_u::create();
}
owner_ptr_ret_t<target_u> spawn_gift(trail_u *, const char *, uint32_t) { return small_target_u::create(); }

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        for (const unit_descriptor_t *d :
             {&round_logic_u::unit_descriptor, &round_progression_u::unit_descriptor, &trail_use_u::unit_descriptor,
              &voiceover_u::unit_descriptor, &voiceover_table_u::unit_descriptor, &trail_u::unit_descriptor})
            bank.register_class(d);
        for (const char *name : {"t0", "t1"}) {
            owner_ptr_ret_t<trail_u> trail = trail_u::create();
            trail->set_name(name);
            for (float x : {0.0f, 10.0f}) {
                trail->m_position.append({x, 0.0f, 0.0f});
                trail->m_rotation.append(quat_t());
                trail->m_speed.append(1.0f);
                trail->m_behavior.append(BEHAVIOR_walk);
            }
            trail->prepare();
            trails[held++] = std::move(trail);
        }
        for (const char *name : {"d0", "d1"}) {
            trails[held] = desc_u::create();
            trails[held++]->set_name(name);
        }
        rows.build(&list);
        game_module_set_rows(&rows);
    }
    unit_bank_t bank;
    unit_system_t system;
    owner_ptr_t<unit_t> trails[4];
    uint32_t held = 0;
    const game_row_t row_array[2] = {game_factory_row(ANIMAL_TARGET_SPAWNER, &spawn_animal),
                                     game_factory_row(GIFT_TARGET_SPAWNER, &spawn_gift)};
    game_row_list_t list{"fuzz_spawners", row_array, 2};
    game_row_table_t rows;
};

void run_round(round_logic_u *round) {
    round->resolve_trails();
    randomizer_t scene(17);
    spawn_setup_t party;
    party.party = true;
    party.party_players = 2;
    party.gift_random = &scene;
    round->build_spawn_schedule(15, party);
    round->build_spawn_schedule(round->target_count, spawn_setup_t{3, false, 0, nullptr});
    round->set_intro_running(true);
    round->update(1.0f, 1.0f);
    round->set_intro_running(false);
    for (int frame = 0; frame < 60; ++frame) {
        round->update(frame % 10 == 0 ? 7.5f : 0.5f, frame % 2 ? 2.0f : 1.0f);
        round->draw();
    }
}

void exercise(unit_base_t *unit) {
    if (auto *round = unit_cast<round_logic_u>(unit)) {
        run_round(round);
    } else if (auto *progression = unit_cast<round_progression_u>(unit)) {
        for (uint32_t n = 1; n <= progression->get_round_count() && n <= 4; ++n)
            if (round_logic_u *round = progression->get_round(n)) run_round(round);
    } else if (auto *use = unit_cast<trail_use_u>(unit)) {
        use->resolve_trail();
        for (uint32_t kind = 0; kind < 6; ++kind) use->spawn_animal(kind, "sunglasses", kind * 100 + 1);
        use->spawn_gift("shake", 4);
        for (int frame = 0; frame < 4; ++frame) use->update(0.1f, 1.5f);
    } else if (auto *table = unit_cast<voiceover_table_u>(unit)) {
        randomizer_t random(5);
        for (int i = 0; i < 8; ++i) owner_ptr_t<voiceover_u> line(table->pick(random));
    }
}

}  // namespace fuzz
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static fuzz::world_t world;
    // ROUND_FILE_LOG=1 shows what the reader and the classes log (for looking at a seed).
    static std::unique_ptr<message_stdio_t> out(getenv("ROUND_FILE_LOG") ? new message_stdio_t : nullptr);
    test::fuzz_unit_load(world.system, data, size, "/script/round/fuzz.unit", true, [](unit_base_t *root) {
        fuzz::exercise(root);
        owner_ptr_t<unit_base_t> copy(root->clone());
        if (copy) fuzz::exercise(copy.get());
    });
    return 0;
}
