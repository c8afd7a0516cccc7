#pragma once
// The menu view and the screensaver view: the scene's camera and the object standing
// for the player in the front-end menu and in the screensaver. Each owns a head-aimed
// animal camera with its own settings (8 to 15 units away, 1 unit above the ground at
// least, 45 degrees off the animal's heading at most, every shot 30 s) and starts it
// on an animal of the AI world at its first update:
// - menu_view_t: a random animal (the scene's random source); none, nothing;
// - screensaver_view_t: the first; none, the warning "Unable to find requested
//   animal.".
// Animals that left the scene (removed) are not chosen. The camera enters the scene's
// update list when the view does; the view's camera operations are the camera's.
#include <cstdint>

#include "game/cameras/animal_camera.h"
#include "game/scene/scene_object.h"
#include "game/scene/scene_view.h"

namespace quarn {

class ai_world_t;
class base_ctrl_u;

class animal_view_t : public scene_object_t, public scene_view_t {
public:
    QRN_GAME_ALLOC

    static constexpr float HEIGHT_RANGE = 1.0f;

    animal_view_t();
    // Takes the camera out of the update list of the scene it was queued in, while that
    // scene is still the current one.
    ~animal_view_t() override;

    // Queues the camera into the current scene's update list.
    void on_attached() override;
    // Once: the camera follows the chosen animal.
    void update(float dt) override;

    placement_t get_placement() const override { return m_camera.get_placement(); }
    const frustum_t *get_frustum() const override { return m_camera.get_frustum(); }
    quat_t get_rotation() const override { return m_camera.get_placement().rotation; }

    animal_camera_t &get_camera() { return m_camera; }
    bool is_started() const { return m_started; }

protected:
    // The animal to follow among the live ones (count > 0 only), by its place in the
    // list.
    virtual uint32_t choose(base_ctrl_u &ctrl, uint32_t count) = 0;
    // There is no live animal.
    virtual void on_no_animal() {}

private:
    head_animal_camera_t m_camera;
    base_ctrl_u *m_queued_in = nullptr;
    bool m_started = false;
};

class menu_view_t : public animal_view_t {
protected:
    uint32_t choose(base_ctrl_u &ctrl, uint32_t count) override;
};

class screensaver_view_t : public animal_view_t {
protected:
    uint32_t choose(base_ctrl_u &, uint32_t) override { return 0; }
    void on_no_animal() override;
};

}  // namespace quarn
