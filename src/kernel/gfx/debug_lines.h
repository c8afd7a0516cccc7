#pragma once
// The debug line cache: line strips, lines and boxes in world space collected during
// a frame (physics, AI and model debug drawing) and drawn all at once when the game
// renders. Nothing survives a flush.
#include <cstdint>

#include "kernel/api.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/vec.h"

namespace quarn {

class r_context_t;

// One queued strip: the points follow the record, already transformed.
struct debug_strip_t {
    debug_strip_t *next;
    uint32_t count;
    uint32_t colour;  // passed through to the line drawer

    vec3_t *points() { return reinterpret_cast<vec3_t *>(this + 1); }
};

// Strips queued and not yet flushed (for tests).
uint32_t debug_lines_count();
// The first queued strip, the rest follow through next.
debug_strip_t *debug_lines_first();

}  // namespace quarn

extern "C" {
// Queues the points transformed by matrix, or by the current world matrix when it is
// null; null when the cache has no memory.
KERNEL_API quarn::debug_strip_t *debug_lines_add_strip(const quarn::vec3_t *points, uint32_t count, uint32_t colour,
                                                      const quarn::mat4_t *matrix);
KERNEL_API void debug_lines_add_line(const quarn::vec3_t *a, const quarn::vec3_t *b, uint32_t colour,
                                     const quarn::mat4_t *matrix);
// The axis-aligned box of size around centre: one strip of ten corners and three
// lines, in the current world matrix.
KERNEL_API void debug_lines_add_box(const quarn::vec3_t *centre, const quarn::vec3_t *size, uint32_t colour);
// Draws every strip through the context in order (untransformed: they are already)
// and empties the cache; nothing when no strip is queued.
KERNEL_API void debug_lines_flush(quarn::r_context_t *context);
}
