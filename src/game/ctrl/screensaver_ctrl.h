#pragma once
// screensaver_ctrl_u ("screensaver_ctrl"): a random hunt shown unattended. The
// "screensaver" command writes the mission, makes this controller and starts the map;
// activating it turns to the menu's sound tag and shows the window
// "screensaver"/"main", whose handler ends the program on input.
#include "game/scene/base_ctrl.h"

namespace quarn {

class scene_object_t;

class screensaver_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(screensaver_ctrl_u, base_ctrl_u);

public:
    static constexpr int32_t SOUND_TAG = 20;

    scene_view_t *get_view() override { return m_camera; }
    scene_object_t *get_player() override { return m_view; }
    void activate() override;
    void update(float dt) override;
    void draw() override;
    void close_windows() override;

    bool grass_primed = false;

protected:
    void on_construct();
    void teardown_scene() override;

private:
    scene_object_t *m_view = nullptr;  // owned
    scene_view_t *m_camera = nullptr;
};

}  // namespace quarn
