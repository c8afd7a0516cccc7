#include "game/ai/zba/zba_proc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "game/ai/zba/zba_host.h"
#include "game/ai/zba/zba_info.h"
#include "kernel/memory/m_server.h"
#include "kernel/sys.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(zba_proc_u, "zba_proc");

// ---- the resource ----

void zba_proc_u::unload_memory() {
    c_item_t *item = get_item();
    c_item_t *source = nullptr;
    c_item_t *file = nullptr;
    if (item && item->has(c_item_t::MEMORY_VALID) && item->data && item->size >= sizeof(zba_proc_t)) {
        const zba_proc_t *p = static_cast<const zba_proc_t *>(item->data);
        if (p->is_process()) {
            source = p->source;
            file = p->file;
        }
    }
    resource_unit_u::unload_memory();
    // Let go only after the block is gone: either release may destroy an item.
    if (source) source->release_ref();
    if (file) file->release_ref();
}

void zba_proc_u::unbind_item(c_item_t *item) {
    if (item == get_item()) unload_memory();
    resource_unit_u::unbind_item(item);
}

zba_proc_lock_t::zba_proc_lock_t(c_item_t *item) {
    if (!item) return;
    resource_unit_u *unit = item->get_unit();
    if (!unit || !unit->is_kind_of(zba_proc_u::unit_descriptor)) return;
    m_lock.set(item);
    if (m_lock.get_data() && item->size >= sizeof(zba_proc_t)) m_proc = static_cast<zba_proc_t *>(m_lock.get_data());
}

// ---- the machine ----

namespace {

using namespace zba_layout;

float clamp_weight(float w) {
    // A NaN weight (no file gives one, arithmetic on infinities might) counts as 0.
    if (!(w > 0.0f)) return 0.0f;
    return w > 1.0f ? 1.0f : w;
}

// What one step or pre-run of a process reads, locked for its duration.
struct run_t {
    zba_host_t &host;
    c_item_t *process;
    zba_proc_t *proc;
    const zba_instr_t *code;
    uint32_t code_count;
    zba_info_t file;
    zba_channels_t *channels;
};

// Applies an elapsed piece of the thread's clock: the slope moves the weight, the
// channel gets a changed weight and moves on.
void apply_piece(const run_t &r, zba_thread_t &t, float e) {
    if (t.slope_on && e > 0.0f) {
        float w = t.weight + e * t.slope;
        if (t.slope < 0.0f && w < 0.0f) {
            w = 0.0f;
            t.slope_on = 0;
        } else if (t.slope > 0.0f && w > 1.0f) {
            w = 1.0f;
            t.slope_on = 0;
        } else {
            w = clamp_weight(w);
        }
        if (w != t.weight) {
            t.weight = w;
            t.weight_changed = 1;
        }
    }
    if (t.channel < 0 || !r.channels) return;
    if (t.weight_changed) {
        const bool changing = (r.proc->flags & ZBA_PROC_WEIGHT_CHANGING) != 0;
        r.channels->set_weight(t.channel, changing ? t.weight * r.proc->weight : t.weight);
        t.weight_changed = 0;
    }
    const float advance = e * t.speed;
    // An advance too large for a float would leave the channel's time undefined.
    if (advance > 0.0f && advance <= std::numeric_limits<float>::max()) r.channels->advance(t.channel, advance);
}

void free_channel(const run_t &r, zba_thread_t &t) {
    if (t.channel >= 0 && r.channels) r.channels->free(t.channel);
    t.channel = -1;
}

// The animation's priority over the process's; a sum past the range of a priority
// stays at its end.
int32_t channel_priority(int32_t animation, int32_t process) {
    const int64_t sum = int64_t(animation) + int64_t(process);
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

void start_animation(const run_t &r, zba_thread_t &t, uint32_t offset) {
    free_channel(r, t);
    const zba_item_t item(r.file.image(), offset);
    const zba_animation_t animation = r.file.animation(uint32_t(item.animation()));
    int32_t channel = -1;
    if (r.channels) {
        channel = r.channels->play(animation, zba_channels_t::PLAY_ADD, zba_channels_t::PLAY_CLEAR,
                                   channel_priority(animation.priority(), r.proc->priority),
                                   animation.super_weight());
        if (channel >= 0) {
            r.channels->set_flags(channel, zba_channels_t::OWNER_ADVANCES);
            r.channels->set_stop_frame(channel, -1);
        }
    }
    t.channel = channel < 0 ? -1 : channel;
    // A proportional item plays the animation once over its length factor times the
    // natural length; any other once over its length.
    t.speed = item.proportional() ? 1.0f / item.length() : animation.length() / item.length();
    // A new channel starts at the model's own weight: give it the thread's.
    t.weight_changed = 1;
}

void set_thread_weight(zba_thread_t &t, float value) {
    t.weight = clamp_weight(value);
    t.slope_on = 0;
    t.weight_changed = 1;
}

void set_thread_slope(zba_thread_t &t, float value) {
    if (std::fabs(value) > 0.01f) {
        t.slope = value;
        t.slope_on = 1;
    }
}

const zba_instr_t *instruction(const run_t &r, const zba_thread_t &t) {
    if (t.pc < 0) return nullptr;
    const uint64_t index = uint64_t(t.code) + uint64_t(t.pc);
    return index < r.code_count ? &r.code[index] : nullptr;
}

void halt(const run_t &r, zba_thread_t &t, float remaining) {
    t.running = 0;
    t.pc = -1;
    if (t.channel >= 0 && r.channels) r.channels->set_stop_frame(t.channel, -1);
    if (remaining > r.proc->overshoot) r.proc->overshoot = remaining;
}

// Runs one thread for a frame. False when an event took the process out of the
// running state: the step ends there.
bool run_thread(const run_t &r, zba_thread_t &t, float dt) {
    float last = t.time;
    t.time += dt;
    for (;;) {
        const zba_instr_t *in = instruction(r, t);
        // Running past the code (a program never does) ends the thread.
        const uint32_t op = in ? in->opcode : uint32_t(ZBA_HLT);
        switch (op) {
            case ZBA_WGH: set_thread_weight(t, in->value()); break;
            case ZBA_WGS: set_thread_slope(t, in->value()); break;
            case ZBA_TSH: {
                // The clock jumps: the skipped time moves neither weight nor channel.
                const float shift = sys_rand() * in->value();
                if (shift > 0.0f && t.time + shift <= std::numeric_limits<float>::max()) {
                    t.time += shift;
                    last += shift;
                }
                break;
            }
            case ZBA_EVT: {
                ++t.pc;
                const zba_item_t item(r.file.image(), in->operand);
                const uint32_t kind = item.kind() == ITEM_SOUND ? ZBA_EVENT_SOUND : ZBA_EVENT_INFO;
                r.host.on_proc_event(kind, r.process, item.text());
                if (r.proc->state != ZBA_PROC_RUNNING) return false;
                continue;
            }
            case ZBA_ANM: start_animation(r, t, in->operand); break;
            case ZBA_ANS:
                if (t.channel >= 0 && r.channels) {
                    if (in->operand) r.channels->stop(t.channel);
                    else r.channels->resume(t.channel);
                }
                break;
            case ZBA_WTT: {
                const float at = in->value();
                if (at > t.time) {
                    apply_piece(r, t, t.time - last);
                    return true;
                }
                // A wait that is already behind the last event (a shift passed it, or
                // items out of order) moves nothing back: the piece is 0 and the later
                // time stays.
                const float e = at - last;
                if (e > 0.0f) {
                    apply_piece(r, t, e);
                    last = at;
                }
                break;
            }
            default: halt(r, t, t.time - last); return true;
        }
        ++t.pc;
    }
}

void free_all_channels(zba_channels_t *channels, zba_proc_t &p) {
    zba_thread_t *threads = p.threads();
    for (uint32_t i = 0; i < p.thread_count; ++i) {
        if (threads[i].channel >= 0 && channels) channels->free(threads[i].channel);
        threads[i].channel = -1;
    }
}

// The pre-run of a new process's threads.
void pre_run(const run_t &r) {
    zba_thread_t *threads = r.proc->threads();
    for (uint32_t i = 0; i < r.proc->thread_count; ++i) {
        zba_thread_t &t = threads[i];
        for (const zba_instr_t *in; (in = instruction(r, t)) != nullptr; ++t.pc) {
            if (in->opcode == ZBA_WGH) {
                set_thread_weight(t, in->value());
            } else if (in->opcode == ZBA_WGS) {
                set_thread_slope(t, in->value());
            } else {
                if (in->opcode == ZBA_ANM) {
                    start_animation(r, t, in->operand);
                    if (t.channel >= 0) {
                        r.channels->set_weight(t.channel, t.weight);
                        t.weight_changed = 0;
                    }
                }
                break;
            }
        }
    }
}

float sane_rate(float rate) { return rate > 0.0f ? rate : 0.0f; }

}  // namespace

void zba_proc_t::step(zba_host_t &host, c_item_t *process, float dt) {
    zba_proc_lock_t p(process);
    if (!p) return;
    switch (p->state) {
        case ZBA_PROC_RUNNING: {
            zba_proc_lock_t program(p->source);
            c_item_lock_t file(p->file);
            if (!program || !file.get_data()) return;
            const run_t r{host,
                          process,
                          p.get(),
                          program->code(),
                          program->code_count,
                          zba_info_t(static_cast<uint8_t *>(file.get_data())),
                          host.get_channels()};
            bool running = false;
            zba_thread_t *threads = p->threads();
            for (uint32_t i = 0; i < p->thread_count; ++i) {
                if (!threads[i].running) continue;
                if (!run_thread(r, threads[i], dt)) return;
                running |= threads[i].running != 0;
            }
            if (running) {
                p->overshoot = 0.0f;
            } else {
                p->state = ZBA_PROC_ENDED;
                host.on_proc_event(ZBA_EVENT_ENDED, process, nullptr);
            }
            return;
        }
        case ZBA_PROC_STOPPED:
        case ZBA_PROC_STOPPED_ENDED: {
            zba_channels_t *channels = host.get_channels();
            zba_thread_t *threads = p->threads();
            p->weight -= dt * p->fade_out_rate;
            if (p->weight < 0.0f) {
                p->state = ZBA_PROC_ENDED;
                p->flags &= ~uint32_t(ZBA_PROC_FADE | ZBA_PROC_WEIGHT_CHANGING);
                free_all_channels(channels, *p.get());
                return;
            }
            if (!channels) return;
            for (uint32_t i = 0; i < p->thread_count; ++i)
                if (threads[i].channel >= 0) channels->set_weight(threads[i].channel, p->weight * threads[i].weight);
            return;
        }
        default: return;
    }
}

void zba_proc_t::stop(zba_host_t &host, c_item_t *process, bool fade, float rate) {
    resume(host, process);
    zba_proc_lock_t p(process);
    if (!p || p->state == ZBA_PROC_DEAD) return;
    if (p->state == ZBA_PROC_RUNNING) p->state = ZBA_PROC_STOPPED;
    if (fade) {
        p->flags |= ZBA_PROC_FADE | ZBA_PROC_WEIGHT_CHANGING;
        // A negative rate would raise the weight without end: it holds, as 0 does.
        p->fade_out_rate = sane_rate(rate);
        if (p->state == ZBA_PROC_ENDED) p->state = ZBA_PROC_STOPPED_ENDED;
    }
}

void zba_proc_t::release(zba_host_t &host, c_item_ptr_t &process) {
    // The holder's reference keeps the process while the host hears of the resume.
    resume(host, process.get());
    {
        zba_proc_lock_t p(process.get());
        if (p && p->state != ZBA_PROC_DEAD) {
            free_all_channels(host.get_channels(), *p.get());
            p->state = ZBA_PROC_DEAD;
        }
    }
    process.release();
}

void zba_proc_t::suspend(c_item_t *process) {
    zba_proc_lock_t p(process);
    if (p) p->flags |= ZBA_PROC_SUSPENDED;
}

void zba_proc_t::resume(zba_host_t &host, c_item_t *process) {
    {
        zba_proc_lock_t p(process);
        if (!p || !(p->flags & ZBA_PROC_SUSPENDED)) return;
        p->flags &= ~uint32_t(ZBA_PROC_SUSPENDED);
    }
    host.on_proc_event(ZBA_EVENT_RESUMED, process, nullptr);
}

// ---- clone ----

c_item_ptr_t zba_clone(zba_host_t &host, c_item_t *program, void *node, int32_t priority) {
    zba_channels_t *channels = host.get_channels();
    if (!channels || !channels->is_loaded()) {
        error("[zba_vm:clone] model not loaded");
        return {};
    }
    zba_proc_lock_t source(program);
    if (!source || source->is_process()) {
        error("[zba_vm:clone] %s is no compiled program", program ? program->get_name() : "(null)");
        return {};
    }
    c_item_lock_t file(source->file);
    if (!file.get_data()) {
        error("[zba_vm:clone] cannot read the behaviour file of the program");
        return {};
    }
    const uint32_t size = zba_proc_t::block_size(source->thread_count, 0);
    c_item_t *item = mm_obtain_resource(MM_ANONYMOUS_REF, "", &zba_proc_u::unit_descriptor, c_item_t::MLRU_DISALLOWED);
    void *data = item ? item->lock_entry(size) : nullptr;
    if (!data) {
        error("[zba_vm:clone] cannot allocate memory [%u bytes]", size);
        if (item) item->release_ref();
        return {};
    }
    zba_proc_t *p = new (data) zba_proc_t(*source.get());
    p->item = item;
    p->state = ZBA_PROC_RUNNING;
    p->source = program;
    p->flags = 0;
    p->node = node;
    p->priority = priority;
    p->overshoot = 0.0f;
    p->fade_out_rate = 0.0f;
    p->code_count = 0;
    program->add_ref();
    p->file->add_ref();
    for (uint32_t i = 0; i < p->thread_count; ++i) new (&p->threads()[i]) zba_thread_t(source->threads()[i]);

    c_item_ptr_t process(item);
    item->release_ref();  // the holder counts it now
    if (!host.add_process(item)) {
        error("[zba_vm:clone] cannot allocate memory [%u bytes]", uint32_t(sizeof(c_item_ptr_t)));
        item->unlock();
        return {};
    }
    const run_t r{host,
                  item,
                  p,
                  source->code(),
                  source->code_count,
                  zba_info_t(static_cast<uint8_t *>(file.get_data())),
                  channels};
    pre_run(r);
    item->unlock();
    return process;
}

}  // namespace quarn
