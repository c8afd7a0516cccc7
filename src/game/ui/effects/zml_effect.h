#pragma once
// UI effects (docs/ui-effects.md): units that animate a rendered piece of UI text.
// zml_effect_u is their abstract base: every effect class adds the four effect
// operations below, which only the effect views (uifx_view.h) and composites call.
// Instances loaded from the hookup unit files are templates: a view runs a clone.
//
// Effects never change the view's buffer: each keeps working copies of its own.
// Coordinates are reference units of the 1024 x 768 screen, y upward.
#include <cstdint>

#include "outside/qrnshared/ui/zml.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

struct r_queue_t;

class zml_effect_u : public unit_t {
    QRN_UNIT_CLASS(zml_effect_u, unit_t);

public:
    // Starts the effect over the view's rendered text.
    virtual void start(const zml_buffer_t &buffer) = 0;
    virtual bool is_finished() = 0;
    // One frame of dt seconds; buffer is the view's text as it is now.
    virtual void update(float dt, const zml_buffer_t &buffer) = 0;
    // Puts the frame's records into the queue, in place of the view's own text.
    virtual void draw(r_queue_t *queue) = 0;
};

// A colour (r, g, b, a of 0..1) packed for the text layer's tint: each channel times
// 255, truncated towards zero and clamped to 0..255 (NaN counts as 0), as
// alpha << 24 | blue << 16 | green << 8 | red.
uint32_t uifx_pack_colour(const vec4_t &colour);
// (1 - t) * a + t * b per channel.
vec4_t uifx_blend(const vec4_t &a, const vec4_t &b, float t);
// Flushes the buffer into the queue moved by dx, dy under the tint (ZML_WHITE: none);
// the buffer's own position is restored afterwards, exactly.
void uifx_flush(zml_buffer_t &buffer, r_queue_t *queue, float dx, float dy, uint32_t tint);
// Copies src into dst with src's position moved into its items (dst at 0, 0), so that
// layouts read and write where the items are on screen.
void uifx_copy_placed(zml_buffer_t &dst, const zml_buffer_t &src);
// Post-load helpers: false (logged "[uifx] '%s': %s") when a value is not finite.
bool uifx_check_finite(const unit_base_t &unit, const char *what, const float *values, uint32_t count);
// Logs "[uifx] '%s': %s" with the unit's name and answers false.
bool uifx_refuse(const unit_base_t &unit, const char *why);

}  // namespace quarn
