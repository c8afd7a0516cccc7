#pragma once
// The weather as the game runs it: the model library's fixture (kernel, memory
// manager, shader library, graphics front-end, model classes), "base.tzk" mounted at
// the root (the shipped presets, sky, sun disc and materials), the weather preset's
// classes in the engine's bank, a repeatable kernel random sequence, and a controller
// whose camera the test moves. A folder of the test's own is mounted at "/map/test".
#include <gtest/gtest.h>

#include <string>

#include "../models/model_lib_fixture.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/world/environment.h"
#include "game/world/environment_preset.h"

namespace quarn::test {

class weather_test_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(weather_test_ctrl_u, base_ctrl_u);

public:
    class view_t : public scene_view_t {
    public:
        placement_t get_placement() const override { return {position, quat_t()}; }
        vec3_t position;
    };
    class player_t : public scene_object_t {
    public:
        void update(float) override {}
    };
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }

    view_t view;
    player_t player;
};

class weather_fixture_t : public model_lib_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // A controller made current; its environment.
    environment_u *start_scene();
    // Writes "/map/test/<name>" (below the test's own folder).
    void put_map_file(const std::string &name, const std::string &text);
    // Unmounts "base.tzk" (a test of missing content).
    void unmount_base();
    // The units of the scene's update list after its pending changes, in update order.
    std::vector<updatable_t *> update_list();

    weather_test_ctrl_u *ctrl = nullptr;
    fs_device_t *base = nullptr;
    fs_device_t *maps = nullptr;
    fs_archive_factory_t previous = nullptr;
};

}  // namespace quarn::test
