// Scroll and score: the phase machine they share and their two layouts.
#include <cmath>

#include "game/ui/effects/uifx_units.h"

namespace quarn {

QRN_UNIT_DEFINE(uifx_scroll_u, "uifx_scroll", QRN_ATTR(color, UNIT_ATTR_VEC4, "color"));
QRN_UNIT_DEFINE(uifx_score_u, "uifx_score", QRN_ATTR(color, UNIT_ATTR_VEC4, "color"),
                QRN_ATTR(target, UNIT_ATTR_VEC2, "target"), QRN_ATTR(start_scale, UNIT_ATTR_FLOAT, "start_scale"));

namespace {

// Layouts are computed in double and stored as float: a huge factor then gives an
// infinite edge, never the NaN of inf - inf.
float to_float(double v) {
    constexpr double MAX = 3.4028234663852886e38;
    return v > MAX ? INFINITY : v < -MAX ? -INFINITY : float(v);
}

}  // namespace

// ---- the phase machine ----

void uifx_phased_t::phased_start(const zml_buffer_t &buffer) {
    m_phase = 0;
    m_progress = 0.0f;
    uifx_copy_placed(m_source, buffer);
    uifx_copy_placed(m_work, buffer);
    lay_out();
}

void uifx_phased_t::set_state(int32_t phase, float progress) {
    m_phase = phase;
    m_progress = progress;
    if (m_phase < 3) lay_out();
}

void uifx_phased_t::phased_update(float dt) {
    if (m_phase >= 3) return;
    m_progress += dt / duration(m_phase);
    if (!(m_progress < 1.0f)) m_progress = 1.0f;  // also a NaN step ends the phase
    lay_out();
    if (m_progress == 1.0f) {
        ++m_phase;
        m_progress = 0.0f;
    }
}

void uifx_phased_t::phased_draw(r_queue_t *queue, const vec4_t &colour) {
    if (m_phase >= 3) return;
    vec4_t c = colour;
    if (m_phase == 0) c.w *= m_progress;
    else if (m_phase == 2) c.w *= 1.0f - m_progress;
    uifx_flush(m_work, queue, 0.0f, 0.0f, uifx_pack_colour(c));
}

// ---- uifx_scroll_u ----

bool uifx_scroll_u::_call_post_load() {
    return zml_effect_u::_call_post_load() && uifx_check_finite(*this, "'color'", &color.x, 4);
}

float uifx_scroll_u::duration(int32_t phase) const { return phase == 1 ? 2.0f : 1.0f; }

void uifx_scroll_u::lay_out() {
    if (m_phase == 1) return;
    ui_rect_t bounds;
    if (!m_source.get_bounds(bounds)) return;
    const double x0 = bounds.left, x1 = bounds.right, p = m_progress;
    const uint32_t n = m_source.count() < m_work.count() ? m_source.count() : m_work.count();
    for (uint32_t i = 0; i < n; ++i) {
        const zml_item_t &s = m_source.get(i);
        zml_item_t &w = m_work.get(i);
        w = s;
        double dx = 0.0, o = 1.0;  // o: the upright share of the item's height
        if (m_phase == 0) {
            // Enters upside down and turns upright as it crosses the left edge; an item
            // whose right edge is at 0 is shown upright.
            dx = (p - 1.0) * (x0 + std::fabs(x0 - x1));
            const double sx1 = s.rect.right, wx1 = sx1 + dx;
            if (sx1 != 0.0) o = 1.0 - std::fmin(std::fmin(sx1, sx1 - wx1) / sx1, 1.0);
        } else {
            // Turns over as it crosses the right edge; with no room to the right edge
            // it stays upright.
            dx = (UI_REFERENCE_WIDTH - x0) * p;
            const double e = UI_REFERENCE_WIDTH - x1, wx1 = s.rect.right + dx;
            const double over = e != 0.0 ? 1.0 - std::fmin(std::fmin(UI_REFERENCE_WIDTH - wx1, e) / e, 1.0) : 0.0;
            o = 1.0 - over;
        }
        w.rect.left = to_float(s.rect.left + dx);
        w.rect.right = to_float(s.rect.right + dx);
        w.rect.top = to_float(o * s.rect.top + (1.0 - o) * s.rect.bottom);
        w.rect.bottom = to_float(o * s.rect.bottom + (1.0 - o) * s.rect.top);
    }
}

// ---- uifx_score_u ----

bool uifx_score_u::_call_post_load() {
    return zml_effect_u::_call_post_load() && uifx_check_finite(*this, "'color'", &color.x, 4) &&
           uifx_check_finite(*this, "'target'", &target.x, 2) &&
           uifx_check_finite(*this, "'start_scale'", &start_scale, 1);
}

float uifx_score_u::duration(int32_t phase) const { return phase == 0 ? 0.3f : phase == 1 ? 1.5f : 0.5f; }

void uifx_score_u::lay_out() {
    // Over an empty text there is no corner to anchor on: nothing to lay out.
    const uint32_t n = m_source.count() < m_work.count() ? m_source.count() : m_work.count();
    if (n == 0 || m_phase == 1) return;
    const double p = m_progress;
    if (m_phase == 0) {
        const zml_item_t &last = m_source.get(n - 1);
        const double ax = last.rect.left, ay = last.rect.bottom;
        const double k = p + (1.0 - p) * start_scale;
        for (uint32_t i = 0; i < n; ++i) {
            const zml_item_t &s = m_source.get(i);
            zml_item_t &w = m_work.get(i);
            w = s;
            const double x1 = ax + k * (s.rect.right - ax);
            const double x0 = x1 - k * std::fabs(double(s.rect.left) - s.rect.right);
            const double y0 = ay + k * (s.rect.top - ay);
            const double y1 = y0 - k * std::fabs(double(s.rect.bottom) - s.rect.top);
            w.rect = {to_float(x0), to_float(x1), to_float(y0), to_float(y1)};
        }
        return;
    }
    const zml_item_t &first = m_source.get(0);
    const double dx = p * (target.x - double(first.rect.left)), dy = p * (target.y - double(first.rect.bottom));
    for (uint32_t i = 0; i < n; ++i) {
        const zml_item_t &s = m_source.get(i);
        zml_item_t &w = m_work.get(i);
        w = s;
        w.rect = {to_float(s.rect.left + dx), to_float(s.rect.right + dx), to_float(s.rect.top + dy),
                  to_float(s.rect.bottom + dy)};
    }
}

}  // namespace quarn
