#pragma once
// game_ctrl_u (unit type "game_ctrl", abstract): the scene root of the menu, hunt and
// screensaver controllers. It adds the stack of scene views (the first is the active
// camera), makes the world the first receiver of every shot, moves the sound listener
// with the camera, and starts a scene from a mission definition (map start-up,
// map_startup.cpp; docs/scene.md).
#include <cstdint>

#include "game/scene/base_ctrl.h"
#include "game/scene/scene_list.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/math/vec.h"

namespace quarn {

class def_obj_t;
class def_pool_t;
class scene_view_t;

class game_ctrl_u : public base_ctrl_u {
    QRN_UNIT_CLASS(game_ctrl_u, base_ctrl_u);

public:
    // The views: push_view puts a view in front (it becomes the active one); pop_view
    // unlinks the first node that holds it. The list does not own its views.
    bool push_view(scene_view_t *view);
    void pop_view(scene_view_t *view);
    const scene_list_t<scene_view_t> &get_views() const { return m_views; }

    // ---- map start-up (map_startup.cpp) ----
    // The game definition to hand the animals.
    static constexpr const char *GAME_DEFINITION = "/def/game.def";
    // The preset tried when the mission's weather cannot be had.
    static constexpr const char *FALLBACK_WEATHER = "clear";
    // Starts the mission with the game definition held (obtained through the resource
    // manager and locked while the map starts), then updates the environment once.
    // False when the game definition cannot be had (nothing is loaded).
    bool start_mission(const def_pool_t &mission);
    // Loads the mission's map, weather, wind and time of day, places the player at
    // its start point and lets the AI world create its animals; nothing without a
    // game definition ("cannot load /defs/game.def").
    void start_map(const def_pool_t &mission, const def_pool_t *game);

    // The first view, or null when none is pushed.
    scene_view_t *get_view() override;
    // The environment fog's light colour with alpha 1 (zero without a fog).
    vec4_t get_fog_color() const override;
    // The scene's activation, then every pointer layer is hidden until a screen shows
    // one.
    void activate() override;
    // The scene's update, then the sound listener takes the active view's placement
    // and velocity (the game process applies the frame's sound changes, once).
    void update(float dt) override;

protected:
    void teardown_scene() override;
    // The weather preset "/map/<area>/environment/<weather>.unit" applied to the
    // environment; when it cannot be had (logged), FALLBACK_WEATHER once more, else
    // the environment keeps its defaults. False when the asked weather was not the
    // one applied.
    bool apply_weather(const char *area, const char *weather);

private:
    // The world's hit receiver goes first into the target list.
    void on_construct();

    scene_list_t<scene_view_t> m_views;
};

}  // namespace quarn
