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

struct QRNSHARED_API r_queue_t : public host_object_t {
    // The lowest number no other live queue had when this one was made; the draw
    // log names queues by it.
    int32_t id = 0;
    array_dyn_t<r_proto_t *> protos;
};

// A new empty queue; null (logged) without memory.
QRNSHARED_API r_queue_t *gfx_queue_alloc();
// Deletes the queue; null is ignored.
QRNSHARED_API void gfx_queue_free(r_queue_t *queue);
// Empties the queue (its storage stays for the next frame).
QRNSHARED_API void gfx_queue_flush(r_queue_t *queue);
// Appends the prototype to the queue of its material's pass. A prototype without a
// material, or whose material has no pass or whose pass has no queue, is not queued:
// false, nothing drawn.
QRNSHARED_API bool gfx_queue_proto(r_proto_t *proto);
// The queue's prototypes in order: the count, and the i-th (i below the count).
QRNSHARED_API uint32_t gfx_queue_count(const r_queue_t *queue);
QRNSHARED_API r_proto_t *gfx_queue_get(const r_queue_t *queue, uint32_t i);

}  // namespace quarn
