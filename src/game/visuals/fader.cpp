#include "game/visuals/fader.h"

#include <cmath>
#include <cstdio>

#include "game/scene/base_ctrl.h"
#include "game/scene/current_ctrl.h"
#include "game/session/window_desc.h"
#include "outside/qrnshared/ui/ui.h"
#include "outside/qrnshared/ui/ui_view.h"
#include "qrncore/system/messages.h"
#include "game/ui/controls/find_item.h"

namespace quarn {

namespace {

uint32_t with_alpha(uint32_t colour, uint32_t alpha) { return (colour & 0x00FFFFFFu) | (alpha << 24); }

// alpha × fraction, to the nearest (the processor's rounding), kept in 0..255.
uint32_t scaled_alpha(uint32_t colour, float fraction) {
    const long a = std::lrint(double(fraction) * double(colour >> 24));
    return a < 0 ? 0u : a > 255 ? 255u : uint32_t(a);
}

}  // namespace

color_flasher_t::color_flasher_t() = default;

color_flasher_t::~color_flasher_t() {
    if (m_window) ui_wremove(m_window.get());
    m_window.release();
}

void color_flasher_t::color_markup(char *out, uint32_t size, uint32_t colour) {
    snprintf(out, size, "<img src=%s xscale=stretch yscale=stretch color=%x>", COLOR_MATERIAL, unsigned(colour));
}

bool color_flasher_t::ensure_window() {
    if (m_window) return true;
    if (m_window_failed) return false;
    const window_desc_t &row = WINDOW_SYSTEM_FLASHER;
    m_window = ui_is_running() ? ui_winsert(row.group, row.name, row.insert_flags, row.layout, true) : nullptr;
    if (!m_window) {
        m_window_failed = true;
        error("cannot spawn color flasher window");
        return false;
    }
    return true;
}

void color_flasher_t::paint(uint32_t colour) {
    m_painted = colour;
    ui_view_t *text = ui_view_of(find_item_by_id(ui_view_of(m_window.get()), FLASH_ITEM));
    if (!text) {
        // The layout is data: without its item nothing is painted (logged once).
        if (!m_item_reported)
            error("[ui] '%s': no item %d for the colour flasher", WINDOW_SYSTEM_FLASHER.layout, FLASH_ITEM);
        m_item_reported = true;
        return;
    }
    char markup[128];
    color_markup(markup, sizeof markup, colour);
    text->set_value("text", markup);
}

void color_flasher_t::flash(uint32_t colour, float fade_in, float fade_out) {
    if (!ensure_window()) return;
    if (ui_view_t *text = ui_view_of(find_item_by_id(ui_view_of(m_window.get()), FLASH_ITEM))) text->show(true);
    m_colour = colour;
    if (fade_in <= 0.0f) {
        m_phase = 1.0f;
        m_fade_in_rate = -1.0f;
    } else {
        m_phase = -1.0f;
        m_fade_in_rate = 1.0f / fade_in;
    }
    m_fade_out_rate = fade_out <= 0.0f ? -1.0f : 1.0f / fade_out;
    // Without a fade-in the colour shows at once: as it is when it stays, opaque when
    // it is about to fade out.
    if (fade_in <= 0.0f) paint(fade_out <= 0.0f ? colour : with_alpha(colour, 0xFF));
    ui_wshow(m_window.get(), 0);
}

void color_flasher_t::update(float dt) {
    if (m_phase == 0.0f) return;
    float t = dt;
    const base_ctrl_u *ctrl = get_current_ctrl();
    if (ctrl && ctrl->get_time_factor() > 0.0f) t = dt / ctrl->get_time_factor();
    uint32_t colour = m_colour;
    if (m_phase < 0.0f) {
        m_phase += t * m_fade_in_rate;
        if (m_phase >= 0.0f) m_phase = 1.0f;
        else colour = with_alpha(m_colour, scaled_alpha(m_colour, m_phase + 1.0f));
    } else if (m_fade_out_rate <= 0.0f) {
        // No fade-out: the colour stays on screen until the next flash.
        m_phase = 0.0f;
    } else {
        m_phase -= t * m_fade_out_rate;
        if (m_phase <= 0.0f) {
            m_phase = 0.0f;
            if (m_window) ui_whide(m_window.get());
            return;
        }
        colour = with_alpha(m_colour, scaled_alpha(m_colour, m_phase));
    }
    if (m_window) paint(colour);
}

}  // namespace quarn
