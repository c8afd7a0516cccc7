#pragma once
// screensaver_handler_t, "ui.handler.screensaver": the empty screen over the
// screensaver's scene ("/ui/mscreensaver.esc", window "screensaver"/"main"). Input
// ends the program: a key or pointer button press, or eight pointer moves in a row
// (a single jitter of the mouse does not). Any other action starts the count again.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class screensaver_handler_t : public base_handler_t {
public:
    static constexpr uint32_t MOVES_TO_QUIT = 8;

    // The base show, then the key codes still queued are dropped.
    void on_wshow() override;
    // Presses and the eighth move in a row run "quit" (consumed); nothing else is.
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;

    uint32_t get_move_count() const { return m_moves; }

private:
    uint32_t m_moves = 0;
};

}  // namespace quarn
