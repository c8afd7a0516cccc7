#pragma once
// color_flasher_t: tints the whole screen with one colour that fades in, holds and
// fades out (docs/ui-screens.md). The scene root owns one and updates it every frame
// (it is in the scene's update list); flash_color of the scene forwards to flash.
//
// The flash runs in real time whatever the game speed: the step the scene hands over
// (already scaled by the time factor) is divided by the current controller's factor
// again. Without a controller, or with a factor of 0 or less, the step is taken as it
// is.
//
// The window "system"/"flasher" ("/ui/gflash.esc", item 1 a text showing the colour
// image) is inserted at the first flash, so a scene that never flashes (the menu,
// tools) opens no window; it stays until the flasher goes. A window that cannot be
// made is logged once and every flash does nothing.
#include <cstdint>

#include "game/scene/updatable.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

class color_flasher_t : public updatable_t {
public:
    // The flash window's text item and the image it shows, tinted.
    static constexpr int32_t FLASH_ITEM = 1;
    static constexpr const char *COLOR_MATERIAL = "/material/ui/color.mat";

    color_flasher_t();
    // Removes the window.
    ~color_flasher_t() override;

    // colour: alpha in the top byte (0xAABBGGRR, the text layer's tint); fade times in
    // seconds, 0 or less for none. Without a fade-in the colour shows at once (opaque
    // when it fades out); without a fade-out it stays until the next flash. A new flash
    // restarts from any state.
    void flash(uint32_t colour, float fade_in, float fade_out);
    void update(float dt) override;

    // 0 idle, -1..0 fading in, 0..1 fading out (1 = full colour).
    float get_phase() const { return m_phase; }
    // The colour painted last (with its alpha as shown), 0 before any.
    uint32_t get_painted() const { return m_painted; }
    c_item_t *get_window() const { return m_window.get(); }

    // The markup of the colour image tinted with the colour.
    static void color_markup(char *out, uint32_t size, uint32_t colour);

private:
    bool ensure_window();
    void paint(uint32_t colour);

    float m_fade_in_rate = 1.0f;   // 1 / seconds, -1 for none
    float m_fade_out_rate = 1.0f;  // 1 / seconds, -1 for none
    uint32_t m_colour = 0xFFFFFFFFu;
    float m_phase = 0.0f;
    uint32_t m_painted = 0;
    c_item_ptr_t m_window;
    bool m_window_failed = false;
    bool m_item_reported = false;
};

}  // namespace quarn
