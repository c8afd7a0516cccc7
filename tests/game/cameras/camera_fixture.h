#pragma once
// The cameras in a scene of the test's own: the world unit's fixture (maps written by
// the map writer), a controller made current whose world loads the test's map, the AI
// world's animals made by the fake factory, a front-end session over a recording window
// table (it also holds the game data), a repeatable kernel random sequence, and a
// recording intro screen that the trail camera finds for any window.
#include <memory>
#include <string>
#include <vector>

#include "../ai/ai_fakes.h"
#include "../session/session_fixture.h"
#include "../world/world_unit_fixture.h"
#include "game/cameras/trail_camera.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"
#include "game/session/front_end_session.h"
#include "game/ui/menus/intro_screen.h"

namespace quarn::test {

// The player: a scene object whose view is its eye.
class eye_player_t : public scene_object_t, public scene_view_t {
public:
    void update(float) override {}
    placement_t get_placement() const override { return eye; }
    placement_t eye;
};

class camera_test_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(camera_test_ctrl_u, base_ctrl_u);

public:
    class still_view_t : public scene_view_t {
    public:
        placement_t get_placement() const override { return {}; }
    };
    scene_view_t *get_view() override { return &view; }
    scene_object_t *get_player() override { return &player; }

    still_view_t view;
    eye_player_t player;
};

// Keeps the camera it is given; records every hand-over ("camera", "none").
class recording_intro_screen_t : public intro_screen_t {
public:
    void set_intro_camera(trail_camera_t *c) override {
        camera = c;
        calls.push_back(c ? "camera" : "none");
    }
    trail_camera_t *camera = nullptr;
    std::vector<std::string> calls;
};

class camera_fixture_t : public world_unit_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the map, makes the controller current and loads the map into its world.
    camera_test_ctrl_u *start_scene(const std::string &map_text);
    // A flat meadow of 64 × 64 at height 0.
    static std::string flat_map();
    // One fake animal per name in the controller's AI world, in order.
    std::vector<fake_animal_t *> add_animals(const std::vector<std::string> &names);
    // A trail of the nodes at speed 1 (the rotations follow the segments).
    trail_u *make_trail(const std::vector<vec3_t> &nodes, float speed = 1.0f);

    // The trail camera's stand-in for the window's handler.
    static intro_screen_t *screen_of(c_item_t *) { return current_screen; }
    static inline recording_intro_screen_t *current_screen = nullptr;

    recording_intro_screen_t screen;
    recording_ui_t ui;
    std::unique_ptr<front_end_session_t> session;
    camera_test_ctrl_u *ctrl = nullptr;
    fake_animals_t animals;
    std::unique_ptr<def_pool_t> game;
    std::vector<std::unique_ptr<def_pool_t>> missions;
    std::vector<owner_ptr_t<trail_u>> trails;
};

}  // namespace quarn::test
