#pragma once
// Round targets in a real hunt on the content map "valley": the animal bodies' fixture
// (the whitetail's model and behaviours from the built archives, the body classes)
// with
// - every unit class of the game module registered in the engine's bank, so the hunt
//   loads the shipped hookups (the animal descriptions, the voice tables, the UI
//   effects, the emitters) and the map's units as the game does;
// - the sound front-end over a recording device, the substance list, "g_chunks";
// - the module's rows: a recording hunter (hunt_fixture.h) standing at the map's
//   first start point, and the real animal spawner;
// - game data of the test's own (expert off until a test sets it);
// - a hunt on "valley" (start), whose round is made in code: no intro, the trails
//   given, each carrying male whitetails as scoring animals and females as decoys;
// - fixed frames: the injected clock moves dt, the kernel takes its step, then the
//   hunt updates and draws (frame);
// - the main camera placed by the test (look_at) so visibility is the test's choice.
#include <memory>
#include <string>
#include <vector>

#include "../hunt/hunt_fixture.h"
#include "animal_body_fixture.h"
#include "game/ai/animals/animal_target.h"
#include "game/game_data.h"
#include "game/hunt/hunt_ctrl.h"
#include "game/round/round_logic.h"
#include "game/round/trail_use.h"
#include "kernel/recording_sound_device.h"
#include "outside/qrnshared/cvar.h"

namespace quarn::test {

class animal_target_fixture_t : public animal_body_fixture_t {
protected:
    static constexpr const char *START = "PlayerStart.startPoint0";
    static constexpr float DT = 0.02f;

    void SetUp() override;
    void TearDown() override;

    // The hunt made current with a round of these trails (none: no trail uses), its
    // kill limit and spawn count (0: nothing scheduled), activated; the test's
    // hunter stands at the start. Null (and failures recorded) when it does not start.
    hunt_ctrl_u *start(const std::vector<std::string> &trails = {}, uint32_t target_count = 0,
                       float time_limit = 100.0f);
    // A target spawned on the named trail (a live trail of the map) with the
    // description, label and seed; held by the test (not by a round).
    animal_target_u *spawn(const char *desc_name, const char *trail_name, const char *label = "",
                           uint32_t seed = 1);
    // One fixed frame: clock, kernel step, hunt update and draw; the test's targets
    // are updated and drawn as a round does (after the hunt).
    void frame(float dt = DT);
    void frames(int n, float dt = DT) {
        for (int i = 0; i < n; ++i) frame(dt);
    }
    // The scene's main camera at the position looking at the point (the hunt's view
    // is the hunter, which the camera packets follow): what the targets' draws and
    // markers see.
    void look_at(const vec3_t &eye, const vec3_t &at);
    // A shot along the segment, as a rifle fires it: through the scene's target list.
    hit_receiver_t *shoot(const vec3_t &from, const vec3_t &to);
    // The description of that unit name.
    static animal_model_desc_u *desc(const char *name) { return find<animal_model_desc_u>(name); }
    // A male whitetail description loaded as "<name>": the behaviour file, gender
    // male, the shadow, and these lines (keys of animal_model_desc: parts, ragdoll
    // files ...), with further units of the same file after it.
    animal_model_desc_u *variant(const char *name, const std::string &lines, const std::string &units = "");
    // A shot between two points of the target's model space (its placement and scale).
    hit_receiver_t *shoot_local(const animal_target_u *target, const vec3_t &from, const vec3_t &to);
    // How far along its trail the target's follower is.
    static float travelled(const animal_target_u *target);
    // A live trail made in code, held until the end: its nodes with their gaits (walk
    // where none is given).
    trail_u *make_trail(const std::string &name, const std::vector<vec3_t> &nodes,
                        const std::vector<int32_t> &gaits = {});

    std::unique_ptr<game_data_t> data;
    hunt_ctrl_u *hunt = nullptr;
    recording_hunter_t *hunter = nullptr;
    std::vector<owner_ptr_t<animal_target_u>> targets;
    std::vector<owner_ptr_t<unit_base_t>> made_trails;
    recording_sound_device_t sound_device{"snddev"};
    cvar_t chunks_variable{"g_chunks", "0"};
    std::vector<game_row_t> rows;
    game_row_list_t rows_list{};
    game_row_table_t rows_table;
    std::vector<const unit_descriptor_t *> registered_here;
};

}  // namespace quarn::test
