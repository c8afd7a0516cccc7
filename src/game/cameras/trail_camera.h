#pragma once
// trail_camera_t: flies the round's intro along a trail, then hands over to the
// hunter's eye. The hunt controller makes it from the round's trail, queues it as the
// active view and, once it is_finished, removes and deletes it.
// - on_attached: the camera stands on the trail's first node and opens the round-intro
//   screen ("game"/"start_round", through the session), handing itself to the screen's
//   handler (intro_screen_t::set_intro_camera), which ends the flight on any input.
// - update: the follower advances by its speed × dt × FLIGHT_SCALE and the camera eases
//   toward it (by 4 dt a frame). At the trail's end the camera glides to the player's
//   eye: the blend runs from 0 at BLEND_RATE a second, the position along a smoothstep,
//   the rotation spherically.
// - reset_interpolation (once): the blend is set to 1, so the next update puts the
//   camera at the eye; from that update on it reports finished.
// When finished, the screen forgets the camera and the window is hidden and let go.
#include <memory>

#include "game/game_alloc.h"
#include "game/scene/scene_view.h"
#include "game/scene/updatable.h"
#include "game/ui/menus/intro_screen.h"
#include "game/world/trail_follower.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/geometry/frustum.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class trail_u;

class trail_camera_t : public updatable_t, public scene_view_t {
public:
    QRN_GAME_ALLOC

    static constexpr float BLEND_RATE = 0.3f;
    static constexpr float FLIGHT_SCALE = 10.0f;
    static constexpr float FOLLOW_RATE = 4.0f;

    // How the camera finds the screen of the window it opened: intro_screen_of, or a
    // stand-in of a test.
    using screen_lookup_t = intro_screen_t *(*)(c_item_t *window);

    // The camera over a follower of the trail; null when the follower refuses the trail
    // (none, or fewer than two nodes): the round then has no intro flight.
    static std::unique_ptr<trail_camera_t> create(trail_u *trail, screen_lookup_t lookup = intro_screen_of);
    // The screen forgets the camera; the window, when still held, is hidden and let go.
    ~trail_camera_t() override;
    trail_camera_t(const trail_camera_t &) = delete;
    trail_camera_t &operator=(const trail_camera_t &) = delete;

    void on_attached() override;
    void update(float dt) override;

    placement_t get_placement() const override { return m_placement; }
    const frustum_t *get_frustum() const override { return &m_frustum; }

    // Ends the flight at once: the next update puts the camera at the eye. Only the
    // first call counts.
    void reset_interpolation();
    // An update has put the camera at the eye (the blend reached 1).
    bool is_finished() const { return m_arrived; }

    bool is_finishing() const { return m_finishing; }
    float get_blend() const { return m_blend; }
    const trail_follower_u *get_follower() const { return m_follower.get(); }
    // The round-intro window while the camera holds it.
    c_item_t *get_start_window() const { return m_start_window.get(); }

private:
    trail_camera_t(owner_ptr_ret_t<trail_follower_u> follower, screen_lookup_t lookup);
    // The glide begins from where the camera is, at blend 0.
    void finish();
    // The player's eye (its view's placement; its position and rotation when it is no
    // view), or the glide's start without a player.
    placement_t eye() const;
    void release_screen();
    void refresh_frustum();

    placement_t m_placement;
    frustum_t m_frustum;
    owner_ptr_t<trail_follower_u> m_follower;
    c_item_ptr_t m_start_window;
    screen_lookup_t m_lookup;
    bool m_finishing = false;
    bool m_reset = false;
    bool m_arrived = false;
    placement_t m_blend_from;
    float m_blend = 0.0f;
};

}  // namespace quarn
