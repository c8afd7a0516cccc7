#pragma once
// The live animals on a content map, headless, as the game runs them: the world
// fixture's kernel on an injected clock, memory manager, shaders, graphics front-end
// and physics; "base.tzk" (maps, models, navigation, particles) and the archive stored
// in the program (game and AI definitions, behaviour files) mounted; the ".def" loader
// of "lib/loaders" for the AI's state graphs; the sound front-end over no device;
// the classes of the world, its objects, the weather, particles and antlers; the live
// animals' factory; and a controller of the test's own with a view the test moves.
// Missions start through the controller's map start-up; each frame is the scene's
// update with a fixed step.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../world/world_unit_fixture.h"
#include "game/ai/mind/ai_world.h"
#include "game/ai/animals/deer_animal.h"
#include "game/game_data.h"
#include "game/scene/game_ctrl.h"
#include "game/ai/zba/zba_model_link.h"
#include "outside/qrnshared/def_pool.h"

namespace quarn::test {

class herd_ctrl_u : public game_ctrl_u {
    QRN_UNIT_CLASS(herd_ctrl_u, game_ctrl_u);

public:
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }

    movable_view_t view;
    terrain_player_t player;
};

class live_animal_fixture_t : public world_unit_fixture_t {
protected:
    // Frames run at this step (seconds).
    static constexpr float FRAME = 1.0f / 30.0f;

    void SetUp() override;
    void TearDown() override;

    // A new controller made current, its random source seeded; the one before goes.
    herd_ctrl_u *make_scene(uint32_t seed = 7);
    // The shipped game definition, read afresh (a test may change it).
    std::unique_ptr<def_pool_t> game_definition();
    // Starts the mission text on a new scene (seeded) with the game definition (the
    // shipped one when null); false when the text does not read.
    bool start(const std::string &mission, uint32_t seed = 7, const def_pool_t *game = nullptr);
    // Runs frames of the scene; after each, the check (when given) sees the frame's
    // number. Stops early when the check answers false.
    void run(uint32_t frames, const std::function<bool(uint32_t)> &check = {});

    herd_ctrl_u *ctrl() const { return m_ctrl; }
    ai_world_t *ai() const { return m_ctrl ? m_ctrl->get_ai_navigation() : nullptr; }
    uint32_t animal_count() const { return ai() ? ai()->get_animal_count() : 0; }
    // The live animal of that index or name (null for none, or one of another class).
    simple_animal_t *animal(uint32_t index) const;
    simple_animal_t *animal(const char *name) const;
    // Whether the animal stands in a cell its movement mode may enter.
    bool on_walkable_cell(const animal_t &a) const;

    fs_archive_factory_t previous_factory = nullptr;
    fs_device_t *base_archive = nullptr;
    fs_device_t *builtin_archive = nullptr;
    zba_model_library_source_t models;
    game_data_t data;
    std::unique_ptr<def_pool_t> shipped_game;
    std::unique_ptr<def_pool_t> mission;
    std::vector<const unit_descriptor_t *> registered;

private:
    herd_ctrl_u *m_ctrl = nullptr;
};

}  // namespace quarn::test
