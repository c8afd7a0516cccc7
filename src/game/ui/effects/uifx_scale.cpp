// The scale effect: keyframes of colour and size.
#include <cmath>

#include "game/ui/effects/uifx_units.h"

namespace quarn {

QRN_UNIT_DEFINE(uifx_scale_u, "uifx_scale", QRN_ATTR(color, UNIT_ATTR_VEC4_ARRAY, "color"),
                QRN_ATTR(scale, UNIT_ATTR_FLOAT_ARRAY, "scale"), QRN_ATTR(time, UNIT_ATTR_FLOAT_ARRAY, "time"),
                QRN_ATTR(loop, UNIT_ATTR_BOOL, "loop"));

bool uifx_scale_u::_call_post_load() {
    if (!zml_effect_u::_call_post_load()) return false;
    const uint32_t n = time.get_count();
    if (color.get_count() != n || scale.get_count() != n)
        return uifx_refuse(*this, "'color', 'scale' and 'time' must have as many entries");
    if (n < 2) return uifx_refuse(*this, "a scale needs at least two keyframes");
    for (uint32_t i = 0; i < n; ++i) {
        if (!uifx_check_finite(*this, "'color'", &color[i].x, 4) || !uifx_check_finite(*this, "'scale'", &scale[i], 1) ||
            !uifx_check_finite(*this, "'time'", &time[i], 1))
            return false;
        if (!(time[i] > 0.0f)) return uifx_refuse(*this, "every entry of 'time' must be greater than 0");
    }
    return true;
}

void uifx_scale_u::start(const zml_buffer_t &buffer) {
    m_elapsed = 0.0f;
    m_segment = 0;
    update(0.0f, buffer);
}

bool uifx_scale_u::is_finished() { return m_segment + 1 >= time.get_count(); }

float uifx_scale_u::fraction() const { return m_elapsed / time[m_segment]; }

void uifx_scale_u::update(float dt, const zml_buffer_t &buffer) {
    if (is_finished()) return;
    // Copied every frame: the text may change while the effect runs.
    uifx_copy_placed(m_source, buffer);
    uifx_copy_placed(m_work, buffer);
    ui_rect_t b;
    if (m_source.get_bounds(b)) {
        m_centre_x = (b.left + b.right) * 0.5f;
        m_centre_y = (b.top + b.bottom) * 0.5f;
    }
    m_elapsed += dt;
    const uint32_t n = time.get_count();
    while (m_elapsed >= time[m_segment]) {
        m_elapsed -= time[m_segment];
        ++m_segment;
        if (m_segment + 1 < n) continue;
        if (!loop) return;  // finished: no new layout
        m_segment = 0;
        // A step of many whole rounds keeps only the part past them, so that a tiny
        // keyframe time never makes one update walk millions of segments.
        float round = 0.0f;
        for (uint32_t i = 0; i + 1 < n; ++i) round += time[i];
        if (m_elapsed >= round) m_elapsed = std::fmod(m_elapsed, round);
    }
    const float t = fraction();
    const float s = (1.0f - t) * scale[m_segment] + t * scale[m_segment + 1];
    const float cx = m_centre_x, cy = m_centre_y;
    for (uint32_t i = 0; i < m_work.count() && i < m_source.count(); ++i) {
        const ui_rect_t &r = m_source.get(i).rect;
        m_work.get(i).rect = {cx + s * (r.left - cx), cx + s * (r.right - cx), cy + s * (r.top - cy),
                              cy + s * (r.bottom - cy)};
    }
}

void uifx_scale_u::draw(r_queue_t *queue) {
    if (is_finished()) return;
    const vec4_t c = uifx_blend(color[m_segment], color[m_segment + 1], fraction());
    uifx_flush(m_work, queue, 0.0f, 0.0f, uifx_pack_colour(c));
}

}  // namespace quarn
