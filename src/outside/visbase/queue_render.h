#pragma once
// Drawing a render queue: every prototype of the queue, in order, through the pass of
// its material. For each the renderer lets the pass prepare its own values, then set
// the render, texture, vertex and fragment state, then resolves every input the pass
// bound (attributes by slot; uniforms from their parameter source: the packet in the
// prototype's slot, or the pass's own value; samplers to the texture the material
// names), notes all of it in the context's draw log and has the context draw it
// (r_context_t::draw). Then the queue's 2D records (the UI's glyph runs and images)
// are noted, one UI record each, and drawn (r_context_t::draw_ui).
#include "outside/visbase/api.h"

namespace quarn {

class r_context_t;
struct r_queue_t;
struct gfx_queue_renderer_t;

// Draws the queue's prototypes through the context, noted in its draw log; the queue
// keeps them (gfx_queue_flush empties it). Nothing for a null context or queue; a
// prototype whose material lost its pass since it was queued is skipped.
VISBASE_API void gfx_queue_render(r_context_t *context, r_queue_t *queue);
// The renderer the graphics layer installs for the shared layer (gfx_queue_render and
// the context's size); visbase_init installs it.
VISBASE_API const gfx_queue_renderer_t *gfx_queue_renderer();

}  // namespace quarn
