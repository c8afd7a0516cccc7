#pragma once
// What the round tests share: a unit bank with the round and voice-over classes, a
// default unit system, a scene (a test controller made current on request), the map's
// trails (two nodes each), stand-ins for the animal model descriptions, and two recording spawners
// installed as the module's factory rows. At the end every unit must be gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/game_rows.h"
#include "game/round/round_logic.h"
#include "game/round/round_progression.h"
#include "game/round/trail_use.h"
#include "game/scene/target.h"
#include "game/voiceover/voiceover.h"
#include "game/world/trail.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"

namespace quarn::test {

class test_ctrl_u;

// Stands for an animal model description; any class will do for the rounds.
class stand_in_desc_u : public unit_t {
    QRN_UNIT_CLASS(stand_in_desc_u, unit_t);
};

// A target that records what it is given and finishes when told to.
class fake_target_u : public target_u {
    QRN_UNIT_CLASS(fake_target_u, target_u);

public:
    placement_t get_placement() const override { return {}; }
    uint32_t get_points() const override { return 0; }
    bool is_dangerous() const override { return false; }
    bool is_ambient() const override { return false; }
    bool has_trophy() const override { return false; }
    void update(float dt) override;
    void draw() override;
    bool is_finished() const override { return finish_after_updates >= 0 && updates >= finish_after_updates; }
    bool intersect(shot_record_t &, vec3_t &, const placement_t &, const vec3_t &) override { return false; }
    void on_hit(const vec3_t &, projectile_u *, shot_record_t &, const placement_t &, const vec3_t &) override {}

    std::string label;        // "animal <desc> <bonus> <random>" or "gift <name> <random>"
    trail_u *trail = nullptr;  // the trail it was spawned on
    int updates = 0;
    std::vector<float> steps;
    int finish_after_updates = -1;  // finished once this many updates ran (-1: never)
    // Every update and draw of any fake target, in order ("<label> update 0.5").
    static inline std::vector<std::string> journal;
    // Fake targets destroyed so far.
    static inline int destroyed = 0;

private:
    void on_destroy() { ++destroyed; }
};

// What the recording spawners do and did.
struct spawner_record_t {
    std::vector<std::string> calls;  // the labels of every call, made or not
    int fail_next = 0;               // so many calls return nothing
    bool make_dead = false;          // return a unit that is no longer alive
    int finish_after_updates = -1;   // given to every new target
};
// The recording spawners' state; the fixture resets it.
inline spawner_record_t recorded_spawns;

class round_fixture_t : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Installs the two recording spawners (either may be left out) as the module's
    // factory rows.
    void install_spawners(bool animals = true, bool gifts = true);
    // A test controller made current, with its generator seeded.
    test_ctrl_u *make_scene(uint32_t seed = 7);
    // Live trails and stand-in descriptions named so, held until the end.
    trail_u *make_trail(const std::string &name);
    stand_in_desc_u *make_desc(const std::string &name);
    // The descriptions the shipped rounds name.
    void make_content_descs();

    // The one root of a unit file of body (the text between the braces), as a T;
    // null when the load fails or the root is of another class.
    template <class T>
    owner_ptr_ret_t<T> load(const std::string &body) {
        return unit_cast<T>(load_generic(body));
    }
    owner_ptr_ret_t<unit_base_t> load_generic(const std::string &body);
    // "/script/round/rounds.unit" as the source tree ships it (data/builtin mounted at
    // "/"), with the content's descriptions made first when asked.
    owner_ptr_ret_t<round_progression_u> load_shipped_rounds();

    message_capture_t log;
    unit_bank_t bank;
    unit_system_t *system = nullptr;
    uint32_t live_before = 0;
    std::vector<owner_ptr_t<unit_t>> held;
    game_row_list_t rows_list{};
    game_row_table_t rows_table;
    std::vector<game_row_t> rows;
};

// The unit text of a trail use on the trail with its four arrays (names of units).
std::string trail_use_text(const std::string &name, const std::string &trail, const std::vector<std::string> &decoys,
                           const std::vector<std::string> &scorings, const std::vector<std::string> &dangerous = {},
                           const std::vector<std::string> &ambients = {});

}  // namespace quarn::test
