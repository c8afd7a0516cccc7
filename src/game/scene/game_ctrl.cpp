#include "game/scene/game_ctrl.h"

#include "game/hit_receiver.h"
#include "game/scene/scene_view.h"
#include "game/world/environment.h"
#include "game/world/fog.h"
#include "kernel/sound/sound.h"
#include "outside/qrnshared/ui/ui.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(game_ctrl_u, "game_ctrl");

void game_ctrl_u::on_construct() {
    // The terrain is a candidate of every shot.
    if (auto *receiver = dynamic_cast<hit_receiver_t *>(get_world_unit())) get_targets().add(receiver);
}

void game_ctrl_u::teardown_scene() {
    m_views.clear();
    base_ctrl_u::teardown_scene();
}

bool game_ctrl_u::push_view(scene_view_t *view) { return view && m_views.prepend(view) != nullptr; }

void game_ctrl_u::pop_view(scene_view_t *view) { m_views.remove(view); }

scene_view_t *game_ctrl_u::get_view() { return m_views.first(); }

vec4_t game_ctrl_u::get_fog_color() const {
    const environment_u *environment = get_environment();
    const fog_u *fog = environment ? environment->get_fog() : nullptr;
    if (!fog) return {0.0f, 0.0f, 0.0f, 0.0f};
    const vec3_t &c = fog->get_light_colour();
    return {c.x, c.y, c.z, 1.0f};
}

void game_ctrl_u::activate() {
    base_ctrl_u::activate();
    ui_pshow(-1);
}

void game_ctrl_u::update(float dt) {
    base_ctrl_u::update(dt);
    // The listener only: the game process applies the frame's sound changes once, at
    // the end of its frame. Each update ends a frame of the sound device, which mixes
    // the frame's time (without a sound card, its loopback renders it): a second
    // update a frame would play sounds at twice the game's time.
    if (scene_view_t *view = get_view()) {
        const placement_t placement = view->get_placement();
        const vec3_t velocity = view->get_velocity();
        snd_listener(&placement, &velocity);
    }
}

}  // namespace quarn
