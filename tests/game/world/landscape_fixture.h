#pragma once
// The world fixture with a running scene for the terrain: a controller of the test's
// own made current (its view stands where the test puts it, with an optional
// frustum), a physics server and scene whose collision table has the world's groups
// and masks, and the console variable "g_chunks".
#include <memory>

#include "game/scene/base_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/visuals/effects/projected_decal.h"
#include "game/visuals/physics/ode_physics_scene.h"
#include "game/visuals/physics/ode_physics_server.h"
#include "game/world/landscape.h"
#include "outside/qrnshared/cvar.h"
#include "world_fixture.h"

namespace quarn::test {

class movable_view_t : public scene_view_t {
public:
    placement_t get_placement() const override { return placement; }
    const frustum_t *get_frustum() const override { return has_frustum ? &frustum : nullptr; }

    placement_t placement;
    frustum_t frustum;
    bool has_frustum = false;
};

class terrain_player_t : public scene_object_t {
public:
    void update(float) override {}
};

class terrain_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(terrain_ctrl_u, base_ctrl_u);

public:
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }

    movable_view_t view;
    terrain_player_t player;
};

class landscape_fixture_t : public world_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the map, then loads "/map/<name>/landscape.lnd" into a new landscape.
    landscape_u *load_map(const std::string &text, const char *name);
    // Puts the view at p (looking along -z).
    void view_at(const vec3_t &p) { ctrl()->view.placement.position = p; }
    terrain_ctrl_u *ctrl();

    ode_physics_server_t server;
    physics_scene_t *scene = nullptr;
    owner_ptr_t<landscape_u> landscape;
    cvar_t chunks_variable{"g_chunks", "0"};
    uint64_t live_before = 0;
    uint32_t shapes_before = 0;
};

}  // namespace quarn::test
