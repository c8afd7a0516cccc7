#include "game/visuals/shaders/shaderlib.h"

#include "game/visuals/shaders/dry.h"
#include "game/visuals/shaders/dynamic_texture.h"
#include "game/visuals/shaders/queue_sort.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/queue_render.h"
#include "outside/visbase/render.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

namespace {

constexpr char GENERIC_DIRECTORY[] = "/effect/generic";

struct shaderlib_t {
    r_queue_t *queues[SHADERLIB_QUEUES] = {};
    uint32_t queue_count = 0;
    dynamic_texture_t *updaters[SHADERLIB_MAX_UPDATERS] = {};
    uint32_t updater_count = 0;
    shaderlib_lock_t lock = nullptr;
    shaderlib_lock_t unlock = nullptr;
};

shaderlib_t lib;

// Made on first use: its key buffers live on the heap between frames.
shaderlib_sorter_t *sorter = nullptr;

}  // namespace

void shaderlib_set_lock_callbacks(shaderlib_lock_t lock, shaderlib_lock_t unlock) {
    lib.lock = lock;
    lib.unlock = unlock;
}

shaderlib_hold_t::shaderlib_hold_t() : m_unlock(lib.unlock) {
    if (lib.lock) lib.lock();
}

shaderlib_hold_t::~shaderlib_hold_t() {
    if (m_unlock) m_unlock();
}

bool shaderlib_init_queues() {
    for (uint32_t i = 0; i < SHADERLIB_QUEUES; ++i)
        if (!lib.queues[i]) lib.queues[i] = gfx_queue_alloc();
    lib.queue_count = SHADERLIB_QUEUES;
    return true;
}

void shaderlib_free_queues() {
    for (r_queue_t *&q : lib.queues) {
        gfx_queue_free(q);
        q = nullptr;
    }
    lib.queue_count = 0;
    delete sorter;
    sorter = nullptr;
}

uint32_t shaderlib_queue_count() { return lib.queue_count; }

r_queue_t *shaderlib_get_queue(uint32_t index) { return index < SHADERLIB_QUEUES ? lib.queues[index] : nullptr; }

bool shaderlib_set_pass_queue(effect_pass_config_t &config, uint32_t index) {
    config.queue = shaderlib_get_queue(index);
    return config.queue != nullptr;
}

bool shaderlib_register() {
    unit_bank_t *bank = get_engine_ubank();
    if (!bank) {
        error("[game] No engine unit bank to register the shader library's classes with");
        return false;
    }
    return r_effect_register_directory(GENERIC_DIRECTORY) && dry_u::register_class(*bank) &&
           dry_pass_u::register_class(*bank) && drypp_texprojection_u::register_class(*bank);
}

void shaderlib_unregister() {
    if (!r_effect_unregister_directory(GENERIC_DIRECTORY)) return;
    if (unit_bank_t *bank = get_engine_ubank()) {
        bank->unregister_class(&dry_u::unit_descriptor);
        bank->unregister_class(&dry_pass_u::unit_descriptor);
        bank->unregister_class(&drypp_texprojection_u::unit_descriptor);
    }
}

int32_t shaderlib_add_updater(dynamic_texture_t *updater) {
    if (!updater) return -1;
    if (lib.updater_count == SHADERLIB_MAX_UPDATERS) {
        error("[game] The shader library updates at most %u dynamic textures: one more is refused",
              SHADERLIB_MAX_UPDATERS);
        return -1;
    }
    lib.updaters[lib.updater_count++] = updater;
    return int32_t(lib.updater_count);
}

uint32_t shaderlib_remove_updater(dynamic_texture_t *updater) {
    for (uint32_t i = 0; i < lib.updater_count; ++i)
        if (lib.updaters[i] == updater) {
            lib.updaters[i] = lib.updaters[--lib.updater_count];
            lib.updaters[lib.updater_count] = nullptr;
            return i;
        }
    return lib.updater_count;
}

uint32_t shaderlib_updater_count() { return lib.updater_count; }

void shaderlib_update(float time) {
    profiler_sample_t sample("shaderlib_update", "shaderlib_update");
    for (uint32_t i = 0; i < lib.updater_count; ++i) lib.updaters[i]->update(time);
}

void shaderlib_queue_render_and_flush(r_context_t *context) {
    profiler_sample_t sample("shaderlib_queue_render_and_flush", "shaderlib_queue_render_and_flush");
    if (!sorter) sorter = new shaderlib_sorter_t;
    for (uint32_t i = 0; i < SHADERLIB_QUEUES; ++i) {
        r_queue_t *q = lib.queues[i];
        if (!q) continue;
        if (sorter) {
            if (i < 2) sorter->sort_grouped(q->protos.get_data(), q->protos.get_count());
            else sorter->sort_stable(q->protos.get_data(), q->protos.get_count());
        }
        gfx_queue_render(context, q);
        gfx_queue_flush(q);
    }
    if (context) {
        context->set_pass(nullptr);
        context->reset_texture_stages(0);
    }
}

}  // namespace quarn
