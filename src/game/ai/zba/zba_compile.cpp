#include "game/ai/zba/zba_compile.h"

#include <cmath>
#include <cstring>
#include <new>

#include "game/ai/zba/zba_proc.h"
#include "kernel/memory/m_server.h"
#include "kernel/sys.h"
#include "qrncore/system/messages.h"

namespace quarn {

using namespace zba_layout;

namespace {

constexpr uint32_t CODE_CAPACITY = ZBA_CODE_BYTES / sizeof(zba_instr_t);

// Times closer than this are one time to the compiler.
constexpr float SAME_TIME = 0.01f;

class compiler_t {
public:
    compiler_t(c_item_t *file, const zba_info_t &info) : m_file(file), m_info(info) {}

    const char *file_name() const { return m_file->is_named() ? m_file->get_name() : m_info.model_name(); }

    // One thread per channel of a behaviour or complex transition record.
    bool compile_bhv(const zba_behavior_t &b);
    // One thread for a simple transition.
    bool compile_trn(const zba_simple_t &s);
    // The program in a zba_proc_u of its own.
    c_item_ptr_t link();

private:
    bool emit(zba_opcode_t op, float value) { return emit(zba_instr_t::make(op, value)); }
    bool emit(zba_opcode_t op, uint32_t word) { return emit(zba_instr_t::make(op, word)); }
    bool emit(const zba_instr_t &in);
    // A wait for t unless the last wait is as good as t.
    bool wait(float t);
    bool begin_thread(const char *step, const char *name);
    bool known_animation(int32_t animation) const;

    c_item_t *m_file;
    zba_info_t m_info;
    zba_instr_t m_code[CODE_CAPACITY];
    uint32_t m_code_count = 0;
    zba_thread_t m_threads[ZBA_MAX_THREADS];
    uint32_t m_thread_count = 0;
    // The time of the last wait emitted in the current thread.
    float m_waited = 0.0f;
};

bool compiler_t::emit(const zba_instr_t &in) {
    if (m_code_count >= CODE_CAPACITY) {
        error("[zba_vm] code compile buffer overflow [%u bytes]", ZBA_CODE_BYTES);
        return false;
    }
    m_code[m_code_count++] = in;
    return true;
}

bool compiler_t::wait(float t) {
    if (!(std::fabs(m_waited - t) > SAME_TIME)) return true;
    m_waited = t;
    return emit(ZBA_WTT, t);
}

bool compiler_t::begin_thread(const char *step, const char *name) {
    if (m_thread_count >= ZBA_MAX_THREADS) {
        if (name) error("[zba_vm:%s] maximum number of threads reached in behavior %s", step, name);
        else error("[zba_vm:%s] maximum number of threads reached [%u]", step, ZBA_MAX_THREADS);
        return false;
    }
    zba_thread_t &t = m_threads[m_thread_count++];
    t = zba_thread_t();
    t.code = m_code_count;
    m_waited = 0.0f;
    return true;
}

bool compiler_t::known_animation(int32_t animation) const {
    if (animation >= 0 && uint32_t(animation) < m_info.animation_count()) return true;
    error("[zba_vm:compile] cannot find animation %d", animation);
    return false;
}

bool compiler_t::compile_bhv(const zba_behavior_t &b) {
    for (uint32_t c = 0, channels = b.channel_count(); c < channels; ++c) {
        if (!begin_thread("compile_bhv", b.name())) return false;
        // The open animation: its end time and weight, and where its current slope
        // segment starts and at what weight.
        bool open = false;
        float end = 0.0f, end_weight = 0.0f, segment = 0.0f, segment_weight = 0.0f;
        uint32_t last_slope = 0;  // the code index of the open animation's latest wgs
        float latest = 0.0f;      // the latest time seen
        // The items with their times and lengths as they play (proportional spans
        // stretched).
        for (zba_channel_walk_t walk(m_info, b.channel(c)); walk.next();) {
            const zba_item_t &item = walk.item();
            const float t = walk.time();
            const uint32_t kind = item.kind();
            if (open && kind <= ITEM_WEIGHT && t >= end) {
                if (!wait(end) || !emit(ZBA_WGH, end_weight)) return false;
                open = false;
            }
            if (kind > ITEM_WEIGHT) {
                error("[zba_vm:compile] unknown event type %u", kind);
                return false;
            }
            if (t > latest) latest = t;
            switch (kind) {
                case ITEM_WARP:
                    if (!wait(t) || !emit(ZBA_TSH, sys_rand() * item.value())) return false;
                    break;
                case ITEM_ANIM: {
                    if (!known_animation(item.animation())) return false;
                    const float length = walk.length();
                    // Also for a record that did not come from a file: a length of 0
                    // or below would give an infinite slope and speed.
                    if (!(item.length() > 0.0f) || !(length > 0.0f)) {
                        error("[zba_vm:compile_bhv] animation length %g must be above 0 in behavior %s",
                              double(length), b.name());
                        return false;
                    }
                    end = t + length;
                    end_weight = item.e_weight();
                    if (!wait(t) || !emit(ZBA_WGH, item.s_weight())) return false;
                    last_slope = m_code_count;
                    if (!emit(ZBA_WGS, (end_weight - item.s_weight()) / length) || !emit(ZBA_ANM, item.offset()))
                        return false;
                    open = true;
                    segment = t;
                    segment_weight = item.s_weight();
                    if (end > latest) latest = end;
                    break;
                }
                case ITEM_WEIGHT: {
                    if (!open) break;
                    const float value = item.value();
                    if (!wait(t)) return false;
                    if (t - segment > SAME_TIME)
                        m_code[last_slope] = zba_instr_t::make(ZBA_WGS, (value - segment_weight) / (t - segment));
                    if (!emit(ZBA_WGH, value)) return false;
                    if (end - t > SAME_TIME) {
                        last_slope = m_code_count;
                        if (!emit(ZBA_WGS, (end_weight - value) / (end - t))) return false;
                        segment = t;
                        segment_weight = value;
                    } else {
                        if (!emit(ZBA_WGH, end_weight)) return false;
                        open = false;
                    }
                    break;
                }
                default:  // info, sound
                    if (!wait(t) || !emit(ZBA_EVT, item.offset())) return false;
                    break;
            }
        }
        if (open) {
            if (!wait(end) || !emit(ZBA_WGH, end_weight)) return false;
        } else {
            if (!emit(ZBA_WTT, latest)) return false;
        }
        if (!emit(ZBA_HLT, 0u)) return false;
    }
    return true;
}

bool compiler_t::compile_trn(const zba_simple_t &s) {
    if (!begin_thread("compile_trn", nullptr)) return false;
    const zba_item_t item = s.item();
    const float length = item.length();
    if (!(length > 0.0f)) {
        error("[zba_vm:compile_trn] transition length %g must be above 0", double(length));
        return false;
    }
    if (item.animation() < 0) return emit(ZBA_WTT, length) && emit(ZBA_HLT, 0u);
    if (!known_animation(item.animation())) return false;
    return emit(ZBA_WGH, item.s_weight()) && emit(ZBA_WGS, (item.e_weight() - item.s_weight()) / length) &&
           emit(ZBA_ANM, item.offset()) && emit(ZBA_ANS, s.single_frame() ? 1u : 0u) && emit(ZBA_WTT, length) &&
           emit(ZBA_WGH, item.e_weight()) && emit(ZBA_HLT, 0u);
}

c_item_ptr_t compiler_t::link() {
    const uint32_t size = zba_proc_t::block_size(m_thread_count, m_code_count);
    c_item_t *item = mm_obtain_resource(MM_ANONYMOUS_REF, "", &zba_proc_u::unit_descriptor, c_item_t::MLRU_DISALLOWED);
    void *data = item ? item->lock_entry(size) : nullptr;
    if (!data) {
        error("[zba_vm:link] cannot allocate memory [%u bytes]", size);
        if (item) item->release_ref();
        return {};
    }
    zba_proc_t *p = new (data) zba_proc_t();
    p->item = item;
    p->thread_count = m_thread_count;
    p->file = m_file;
    p->code_count = m_code_count;
    for (uint32_t i = 0; i < m_thread_count; ++i) new (&p->threads()[i]) zba_thread_t(m_threads[i]);
    memcpy(const_cast<zba_instr_t *>(p->code()), m_code, m_code_count * sizeof(zba_instr_t));
    item->unlock();
    c_item_ptr_t program(item);
    item->release_ref();  // the holder counts it now
    return program;
}

// The file's block, locked while it lives.
class file_lock_t {
public:
    explicit file_lock_t(c_item_t *file) : m_lock(file) {
        if (!m_lock.get_data())
            error("[zba_vm:compile] cannot read the behaviour file %s", file ? file->get_name() : "(null)");
    }
    zba_info_t info() const { return zba_info_t(static_cast<uint8_t *>(m_lock.get_data())); }
    explicit operator bool() const { return m_lock.get_data() != nullptr; }

private:
    c_item_lock_t m_lock;
};

}  // namespace

c_item_ptr_t zba_compile(c_item_t *file, const int32_t *behaviors, uint32_t behavior_count, const int32_t *complex,
                         uint32_t complex_count, const int32_t *simple, uint32_t simple_count) {
    const file_lock_t lock(file);
    if (!lock) return {};
    const zba_info_t info = lock.info();
    compiler_t compiler(file, info);
    for (uint32_t i = 0; i < behavior_count; ++i) {
        const int32_t b = behaviors[i];
        if (b < 0 || uint32_t(b) >= info.behavior_count()) {
            error("[zba_vm:compile] cannot find behavior %d", b);
            return {};
        }
        if (!compiler.compile_bhv(info.behavior(uint32_t(b)))) {
            error("[zba_vm:compile] behavior compile error in %s", compiler.file_name());
            return {};
        }
    }
    for (uint32_t i = 0; i < complex_count; ++i) {
        const int32_t c = complex[i];
        if (c < 0 || uint32_t(c) >= info.complex_count()) {
            error("[zba_vm:compile] cannot find complex transition %d", c);
            return {};
        }
        if (!compiler.compile_bhv(info.complex_transition(uint32_t(c)))) {
            error("[zba_vm:compile] transition compile error in %s", compiler.file_name());
            return {};
        }
    }
    for (uint32_t i = 0; i < simple_count; ++i) {
        const int32_t s = simple[i];
        if (s < 0 || uint32_t(s) >= info.simple_count()) {
            error("[zba_vm:compile] cannot find simple transition %d", s);
            return {};
        }
        if (!compiler.compile_trn(info.simple_transition(uint32_t(s)))) {
            error("[zba_vm:compile] transition compile error in %s", compiler.file_name());
            return {};
        }
    }
    return compiler.link();
}

c_item_ptr_t zba_compile_record(c_item_t *file, const zba_behavior_t &record) {
    const file_lock_t lock(file);
    if (!lock) return {};
    compiler_t compiler(file, lock.info());
    if (!compiler.compile_bhv(record)) {
        error("[zba_vm:compile] behavior compile error in %s", compiler.file_name());
        return {};
    }
    return compiler.link();
}

}  // namespace quarn
