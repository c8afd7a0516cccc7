#include "game/ui/effects/zml_effect.h"

#include <cmath>

#include "outside/qrnshared/r_queue.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE_ABSTRACT(zml_effect_u, "zml_effect");

uint32_t uifx_pack_colour(const vec4_t &colour) {
    auto channel = [](float c) -> uint32_t {
        const float v = c * 255.0f;
        if (!(v > 0.0f)) return 0;  // also NaN
        if (v >= 255.0f) return 255;
        return uint32_t(v);
    };
    return channel(colour.w) << 24 | channel(colour.z) << 16 | channel(colour.y) << 8 | channel(colour.x);
}

vec4_t uifx_blend(const vec4_t &a, const vec4_t &b, float t) {
    vec4_t out;
    for (int i = 0; i < 4; ++i) out[i] = (1.0f - t) * a[i] + t * b[i];
    return out;
}

void uifx_flush(zml_buffer_t &buffer, r_queue_t *queue, float dx, float dy, uint32_t tint) {
    const float x = buffer.get_x(), y = buffer.get_y();
    buffer.set_position(x + dx, y + dy);
    zml_colormod(buffer, tint, queue);
    buffer.set_position(x, y);
}

void uifx_copy_placed(zml_buffer_t &dst, const zml_buffer_t &src) {
    if (!dst.copy_from(src)) return;
    for (uint32_t i = 0; i < dst.count(); ++i) dst.get(i).rect.move(src.get_x(), src.get_y());
    dst.set_position(0.0f, 0.0f);
}

bool uifx_refuse(const unit_base_t &unit, const char *why) {
    error("[uifx] '%s': %s", unit.name_text().c_str(), why);
    return false;
}

bool uifx_check_finite(const unit_base_t &unit, const char *what, const float *values, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) {
            mstring_dyn_t why;
            why.printf("%s holds a value that is not a finite number", what);
            return uifx_refuse(unit, why.c_str());
        }
    return true;
}

}  // namespace quarn
