#include "game/cameras/trail_camera.h"

#include <algorithm>
#include <utility>

#include "game/game_data.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/scene/scene_object.h"
#include "game/session/front_end_session.h"
#include "game/session/window_desc.h"
#include "game/world/trail.h"

namespace quarn {

std::unique_ptr<trail_camera_t> trail_camera_t::create(trail_u *trail, screen_lookup_t lookup) {
    owner_ptr_t<trail_follower_u> follower = create_trail_follower(trail);
    if (!follower) return nullptr;
    return std::unique_ptr<trail_camera_t>(new trail_camera_t(owner_ptr_ret_t<trail_follower_u>(follower), lookup));
}

trail_camera_t::trail_camera_t(owner_ptr_ret_t<trail_follower_u> follower, screen_lookup_t lookup)
    : m_follower(std::move(follower)), m_lookup(lookup) {
    m_placement = m_follower->get_placement();
}

trail_camera_t::~trail_camera_t() { release_screen(); }

void trail_camera_t::on_attached() {
    m_placement = m_follower->get_placement();
    front_end_session_t *session = get_front_end_session();
    // Without the screen the camera flies all the same.
    c_item_t *window = session ? session->show_window(WINDOW_GAME_START_ROUND) : nullptr;
    if (!window) return;
    m_start_window = window;
    if (intro_screen_t *screen = m_lookup ? m_lookup(window) : nullptr) screen->set_intro_camera(this);
}

void trail_camera_t::reset_interpolation() {
    if (m_reset) return;
    m_reset = true;
    m_finishing = true;
    m_blend_from = m_placement;
    m_blend = 1.0f;
}

void trail_camera_t::finish() {
    m_finishing = true;
    m_blend_from = m_placement;
    m_blend = 0.0f;
}

placement_t trail_camera_t::eye() const {
    base_ctrl_u *ctrl = get_current_ctrl();
    scene_object_t *player = ctrl ? ctrl->get_player() : nullptr;
    if (!player) return m_blend_from;
    if (const auto *view = dynamic_cast<const scene_view_t *>(player)) return view->get_placement();
    return placement_t(player->get_position(), player->get_rotation());
}

void trail_camera_t::update(float dt) {
    if (!m_finishing) {
        m_follower->advance(m_follower->get_speed() * dt * FLIGHT_SCALE);
        m_placement.interpolate(m_placement, m_follower->get_placement(), std::min(FOLLOW_RATE * dt, 1.0f));
        if (m_follower->is_at_end()) finish();
    } else {
        m_blend = std::min(m_blend + dt * BLEND_RATE, 1.0f);
        const placement_t to = eye();
        const float b = m_blend;
        const float w = b * b * (3.0f - 2.0f * b);
        m_placement.position = lerp(m_blend_from.position, to.position, w);
        m_placement.rotation.slerp_generic(m_blend_from.rotation, to.rotation, b);
        m_arrived = b >= 1.0f;
    }
    refresh_frustum();
    if (m_arrived) release_screen();
}

void trail_camera_t::release_screen() {
    if (!m_start_window) return;
    // The screen is found again through the window: a window taken out of the UI
    // meanwhile has let its handler go and answers none.
    if (intro_screen_t *screen = m_lookup ? m_lookup(m_start_window.get()) : nullptr) screen->set_intro_camera(nullptr);
    if (front_end_session_t *session = get_front_end_session()) session->hide_window(m_start_window.get());
    m_start_window = nullptr;
}

void trail_camera_t::refresh_frustum() {
    if (const game_data_t *data = get_game_data()) data->apply_view(m_frustum);
    m_frustum.update(m_placement.position, m_placement.rotation);
}

}  // namespace quarn
