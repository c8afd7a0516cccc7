#include "outside/qrnshared/r_queue.h"

#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_proto.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The live queues, by id; a freed queue's id is taken by the next queue made.
array_dyn_t<r_queue_t *> *live = nullptr;
const gfx_queue_renderer_t *renderer = nullptr;

}  // namespace

r_queue_t *gfx_queue_alloc() {
    if (!live) live = new array_dyn_t<r_queue_t *>;
    r_queue_t *queue = new r_queue_t;
    if (!live || !queue) {
        error("[gfx] No memory for a render queue");
        delete queue;
        return nullptr;
    }
    uint32_t id = 0;
    while (id < live->get_count() && (*live)[id]) ++id;
    if (id == live->get_count() && !live->append(nullptr)) {
        error("[gfx] No memory for a render queue");
        delete queue;
        return nullptr;
    }
    (*live)[id] = queue;
    queue->id = int32_t(id);
    return queue;
}

void gfx_queue_free(r_queue_t *queue) {
    if (!queue) return;
    if (live && uint32_t(queue->id) < live->get_count() && (*live)[uint32_t(queue->id)] == queue)
        (*live)[uint32_t(queue->id)] = nullptr;
    delete queue;
    if (live) {
        while (!live->is_empty() && !(*live)[live->get_count() - 1]) live->remove(live->get_count() - 1);
        if (live->is_empty()) {
            delete live;
            live = nullptr;
        }
    }
}

void gfx_queue_flush(r_queue_t *queue) {
    if (!queue) return;
    queue->protos.clear();
    queue->ui_records.clear();
}

bool gfx_queue_ui(r_queue_t *queue, const r_ui_record_t &record) {
    if (!queue) return false;
    if (!queue->ui_records.append(record)) {
        error("[gfx] No memory to queue a 2D record");
        return false;
    }
    return true;
}

void gfx_set_queue_renderer(const gfx_queue_renderer_t *r) { renderer = r; }

const gfx_queue_renderer_t *gfx_get_queue_renderer() { return renderer; }

bool gfx_queue_proto(r_proto_t *proto) {
    if (!proto) return false;
    const effect_pass_u *pass = material_pass(proto->material);
    if (!pass || !pass->config.queue) return false;
    if (!pass->config.queue->protos.append(proto)) {
        error("[gfx] No memory to queue a prototype of '%s'", proto->material->get_name());
        return false;
    }
    return true;
}

uint32_t gfx_queue_count(const r_queue_t *queue) { return queue ? queue->protos.get_count() : 0; }

r_proto_t *gfx_queue_get(const r_queue_t *queue, uint32_t i) { return queue->protos[i]; }

}  // namespace quarn
