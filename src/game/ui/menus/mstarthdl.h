#pragma once
// menu_start_handler_t, "ui.handler.menu.start" ("/ui/sstart.esc", splash/start): the
// start screen of the program's first menu. It shows a splash picture and the logo
// effect (view 10, placed by the layout, auto-starting); half a second after it shows
// the title voice plays. A key, a pointer button release or the end of the logo effect
// sets the menu controller's pending_step to 2, once per showing: the controller then
// leaves the start screen for the main menu.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class menu_start_handler_t : public base_handler_t {
public:
    static constexpr int32_t ITEM_IMAGE = 100;
    static constexpr int32_t LOGO_EFFECT = 10;
    static constexpr int32_t STEP_AFTER_SPLASH = 2;
    static constexpr float VOICE_DELAY = 0.5f;
    static constexpr float VOICE_VOLUME = 0.25f;
    static constexpr const char *VOICE = "/l10n/%s/sound/voiceover/title/effect_fern_wold_3.ogg";

    void on_wshow() override;
    void handler() override;
    bool handle(ui_view_t *view, uint32_t type, ui_act_param_t *param) override;
    void on_effect_done(int32_t id) override;

    float get_voice_timer() const { return voice_timer; }
    bool is_done() const { return m_done; }

    float voice_timer = 0.0f;

private:
    void finish();

    bool m_done = false;
};

}  // namespace quarn
