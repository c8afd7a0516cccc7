// The pause and the button focus burst.
#include <cmath>

#include "game/ui/effects/uifx_units.h"

namespace quarn {

QRN_UNIT_DEFINE(uifx_nop_u, "uifx_nop", QRN_ATTR(delay, UNIT_ATTR_FLOAT, "delay"));
QRN_UNIT_DEFINE(uifx_button_focus_u, "uifx_button_focus", QRN_ATTR(extent, UNIT_ATTR_FLOAT, "extent"));

// ---- uifx_nop_u ----

bool uifx_nop_u::_call_post_load() {
    return zml_effect_u::_call_post_load() && uifx_check_finite(*this, "'delay'", &delay, 1);
}

void uifx_nop_u::start(const zml_buffer_t &buffer) {
    m_remaining = delay;
    m_copy.copy_from(buffer);
}

bool uifx_nop_u::is_finished() { return m_remaining <= 0.0f; }

void uifx_nop_u::update(float dt, const zml_buffer_t &buffer) {
    m_remaining -= dt;
    // The text follows the view's.
    m_copy.copy_from(buffer);
}

void uifx_nop_u::draw(r_queue_t *queue) {
    if (!is_finished()) uifx_flush(m_copy, queue, 0.0f, 0.0f, ZML_WHITE);
}

// ---- uifx_button_focus_u ----

bool uifx_button_focus_u::_call_post_load() {
    return zml_effect_u::_call_post_load() && uifx_check_finite(*this, "'extent'", &extent, 1);
}

void uifx_button_focus_u::start(const zml_buffer_t &buffer) {
    m_progress = 0.0f;
    m_first.copy_from(buffer);
    m_second.copy_from(buffer);
}

void uifx_button_focus_u::update(float dt, const zml_buffer_t &) {
    m_progress += 2.0f * dt;
    if (!(m_progress < 1.0f)) m_progress = 1.0f;  // also a NaN step ends the burst
}

void uifx_button_focus_u::draw(r_queue_t *queue) {
    if (is_finished()) return;
    const uint32_t alpha = uint32_t((1.0f - m_progress) * 255.0f);
    const uint32_t tint = alpha << 24 | 0xFFFFFFu;
    const float d = m_progress * extent;
    uifx_flush(m_second, queue, 0.0f, d, tint);
    uifx_flush(m_second, queue, -d, -d, tint);
    uifx_flush(m_second, queue, d, -d, tint);
}

}  // namespace quarn
