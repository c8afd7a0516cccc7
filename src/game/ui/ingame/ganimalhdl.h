#pragma once
// ingame_animal_handler_t ("ui.handler.ingame.animal"): the handler of one animal's
// marker window ("/ui/ganimal.esc", docs/ui-ingame.md). It shows the animal's health
// bar (item 10, text template 22: the bar's cut and colour) and its bonus icon (item
// 20, template 36: the bonus's image), both hidden until the animal is marked; the
// marker unit (animal_hud.h) drives it.
//
// Marking shows the bar and the icon after a delay of 2 s, or at the next frame when
// the animal is already damaged; unmarking fades them out. Once the marker lets go of
// it (retire) the window removes itself as soon as its effects are over, so markers
// that come and go during a hunt leave no windows behind.
#include <cstdint>

#include "game/ui/basehdl.h"

namespace quarn {

class ingame_animal_handler_t : public base_handler_t {
public:
    static constexpr int32_t HEALTH_ITEM = 10;
    static constexpr int32_t BONUS_ITEM = 20;
    // Seconds between marking and showing the bar of an undamaged animal.
    static constexpr float SHOW_DELAY = 2.0f;
    // A health ratio below this is damaged (0.99 itself is not).
    static constexpr float DAMAGED_BELOW = 0.99f;
    // The bar's cut at no health left: the share of the arrow's texture taken off.
    static constexpr float BAR_SPAN = 0.625f;
    // Bar colours as the template's tint (alpha blue green red).
    static constexpr const char *HEALTHY_COLOUR = "7000ff00";
    static constexpr const char *DAMAGED_COLOUR = "700000ff";
    // The icon's value before a bonus is given: "/material/ui/bonus/empty.mat".
    static constexpr const char *NO_BONUS = "empty";
    static constexpr const char *GHOST_EFFECT = "uifx.scale.ghost";
    static constexpr const char *FADE_OUT_EFFECT = "uifx.scale.fadeout";
    static constexpr const char *FADE_IN_EFFECT = "uifx.scale.fadein";
    static constexpr const char *BONUS_FADE_IN_EFFECT = "uifx.composite.fadein.bonus";

    // A full green bar and no bonus, both hidden; nothing pending.
    void on_wcreate() override;
    void on_wdestroy() override;
    // The marker window takes no part in the pointer's shape.
    void on_wshow() override;
    // The base's frame; then the pending show counts down (at once when damaged) and
    // starts the fade-ins; a retired window whose effects are over is removed.
    void handler() override;
    // The bar's fade-in ended: the bar stays shown.
    void on_effect_done(int32_t id) override;

    // An empty text changes nothing; otherwise the icon shows that bonus.
    void set_bonus_text(const char *text);
    // current / maximum: below 0.99 the bar is red and a ghost of it flies off; the
    // bar's cut is 0.625 × (1 − ratio) with the ratio held to 0..1.
    void set_health(float ratio);
    // Hides bar and icon; marking starts the delay, unmarking stops every effect and
    // fades out the icon (when there is one) and the bar.
    void set_marked(bool flag);
    // The marker let go of the window: it goes once no effect runs in it.
    void retire() { m_retired = true; }

    // While the window exists (false once it was destroyed).
    bool is_live() const { return m_live; }
    bool is_damaged() const { return m_damaged; }
    float get_show_timer() const { return m_show_timer; }

private:
    void set_bar(float cut, const char *colour);

    bool m_live = false;
    bool m_damaged = false;
    bool m_has_bonus_text = false;
    bool m_retired = false;
    float m_show_timer = 0.0f;
};

}  // namespace quarn
