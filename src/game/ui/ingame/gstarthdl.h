#pragma once
// ingame_start_handler_t, "ui.handler.ingame.start" ("/ui/gstart.esc",
// game/start_round): the round's number over the intro flight. The trail camera that
// opens the window hands itself over (intro_screen_t::set_intro_camera); any key or
// pointer button release ends the flight (trail_camera_t::reset_interpolation). Each
// showing: a second after it shows, the number (item 20 in party play, else 10) grows
// out of a ghost with the jingle; five seconds later it shrinks away.
#include <cstdint>

#include "game/ui/basehdl.h"
#include "game/ui/menus/intro_screen.h"

namespace quarn {

class trail_camera_t;

class ingame_start_handler_t : public base_handler_t, public intro_screen_t {
public:
    enum item_t : int32_t { ITEM_ROUND = 10, ITEM_PARTY_ROUND = 20 };
    enum phase_t : uint32_t { PHASE_WAITING = 0, PHASE_SHOWN = 1, PHASE_DONE = 2 };
    static constexpr float NUMBER_DELAY = 1.0f;
    static constexpr float NUMBER_TIME = 5.0f;
    static constexpr float JINGLE_VOLUME = 0.9f;
    static constexpr const char *JINGLE = "/sound/game/jingle.ogg";

    void on_wshow() override;
    void on_wdestroy() override;
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    // The camera of the flight (null: none); the screen only calls it on input.
    void set_intro_camera(trail_camera_t *camera) override { m_camera = camera; }
    trail_camera_t *get_intro_camera() const { return m_camera; }
    uint32_t get_phase() const { return m_phase; }
    float get_countdown() const { return m_countdown; }

private:
    uint32_t m_phase = PHASE_SHOWN;
    float m_countdown = 0.0f;
    trail_camera_t *m_camera = nullptr;
};

}  // namespace quarn
