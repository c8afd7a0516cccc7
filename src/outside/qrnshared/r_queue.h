#pragma once
// Render queues: the prototypes to draw this frame, in the order they are drawn. A
// prototype goes to the queue that the pass of its material chose in set_up
// (gfx_queue_proto); whoever owns the queues may sort them before the renderer draws
// them (gfx_queue_render, visbase) and empties them afterwards (gfx_queue_flush).
// Queues hold prototypes uncounted: a prototype must live until its queue is
// flushed.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/host_object.h"

namespace quarn {

struct r_proto_t;

class r_context_t;

// A 2D record of the UI's text layer: a run of glyphs or an image, drawn over the
// scene in queue order. Its texts are not copied: they belong to the rendered buffer
// the record came from, which must stay unchanged until the queue is flushed.
struct r_ui_record_t {
    enum kind_t : uint32_t { GLYPHS = 0, IMAGE = 1 };

    kind_t kind = GLYPHS;
    const char *source = "";  // the font's path (glyphs) or the material's (images)
    // Reference units, y upward: left, right, top, bottom.
    float left = 0.0f, right = 0.0f, top = 0.0f, bottom = 0.0f;
    float uv[4] = {0.0f, 1.0f, 0.0f, 1.0f};  // images: u from, u to, v from, v to
    uint32_t tint = 0xFFFFFFFFu;             // alpha << 24 | blue << 16 | green << 8 | red
    const char *text = "";                   // glyphs: the characters
    float glyph_width = 0.0f;                // glyphs: the width of one character
};

struct QRNSHARED_API r_queue_t : public host_object_t {
    // The lowest number no other live queue had when this one was made; the draw
    // log names queues by it.
    int32_t id = 0;
    array_dyn_t<r_proto_t *> protos;
    // Drawn after the prototypes.
    array_dyn_t<r_ui_record_t> ui_records;
};

// What draws queues: the graphics layer installs its renderer when it starts (the
// shared layer cannot call it directly). `render` draws a queue into the context's
// draw log; `get_size` gives the context's size in pixels.
struct gfx_queue_renderer_t {
    void (*render)(r_context_t *context, r_queue_t *queue);
    void (*get_size)(r_context_t *context, int32_t *width, int32_t *height);
};
QRNSHARED_API void gfx_set_queue_renderer(const gfx_queue_renderer_t *renderer);
// The installed renderer, or null.
QRNSHARED_API const gfx_queue_renderer_t *gfx_get_queue_renderer();

// A new empty queue; null (logged) without memory.
QRNSHARED_API r_queue_t *gfx_queue_alloc();
// Deletes the queue; null is ignored.
QRNSHARED_API void gfx_queue_free(r_queue_t *queue);
// Appends a 2D record; false (logged) when memory runs out.
QRNSHARED_API bool gfx_queue_ui(r_queue_t *queue, const r_ui_record_t &record);
// Empties the queue, prototypes and 2D records (its storage stays for the next frame).
QRNSHARED_API void gfx_queue_flush(r_queue_t *queue);
// Appends the prototype to the queue of its material's pass. A prototype without a
// material, or whose material has no pass or whose pass has no queue, is not queued:
// false, nothing drawn.
QRNSHARED_API bool gfx_queue_proto(r_proto_t *proto);
// The queue's prototypes in order: the count, and the i-th (i below the count).
QRNSHARED_API uint32_t gfx_queue_count(const r_queue_t *queue);
QRNSHARED_API r_proto_t *gfx_queue_get(const r_queue_t *queue, uint32_t i);

}  // namespace quarn
