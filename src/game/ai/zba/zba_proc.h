#pragma once
// Behaviour programs and processes (docs/zba-programs.md).
//
// A compiled program is one block of item memory of a zba_proc_u resource: the header
// (zba_proc_t), one record per thread (zba_thread_t), then the code, 8-byte
// instructions (zba_instr_t). A process is a running copy of a program: its own header
// and threads in a zba_proc_u of its own; it reads the code of the program it was
// copied from, and counts that program and the behaviour file whose image the `evt`
// and `anm` operands point into.
//
// The blocks hold no pointer into themselves, so the memory manager may move them;
// every operation locks the items it reads for its own duration (zba_proc_lock_t).
#include <bit>
#include <cstdint>

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"

namespace quarn {

class zba_host_t;

// The eight instructions, in opcode order.
enum zba_opcode_t : uint32_t {
    ZBA_WGH = 0,  // f32: weight := operand (0..1), slope off
    ZBA_WGS = 1,  // f32: slope := operand when its size exceeds 0.01
    ZBA_TSH = 2,  // f32: clock and last-event time forward by a random part of it
    ZBA_EVT = 3,  // offset of an info or sound item in the file's image
    ZBA_ANM = 4,  // offset of an animation item (or a simple transition's own item)
    ZBA_ANS = 5,  // u32: non-zero holds the thread's channel, zero lets it go on
    ZBA_WTT = 6,  // f32: wait until the thread's clock reaches it
    ZBA_HLT = 7,  // the thread ends
    ZBA_OPCODE_COUNT = 8,
};

struct zba_instr_t {
    uint32_t opcode;
    uint32_t operand;  // u32, or the bits of an f32

    float value() const { return std::bit_cast<float>(operand); }
    static zba_instr_t make(zba_opcode_t op, float value) { return {op, std::bit_cast<uint32_t>(value)}; }
    static zba_instr_t make(zba_opcode_t op, uint32_t word) { return {op, word}; }
};
static_assert(sizeof(zba_instr_t) == 8, "an instruction is two 32-bit words");

// One thread: a channel's time line.
struct zba_thread_t {
    float weight = 1.0f;   // 0..1
    float slope = 0.0f;    // weight per second, while slope_on
    uint8_t slope_on = 0;
    uint8_t weight_changed = 0;  // the channel has not been given the weight yet
    uint16_t running = 1;        // 0 once the thread halted
    float time = 0.0f;           // the thread's clock, seconds
    int32_t channel = -1;        // the model channel, -1 none
    float speed = 0.0f;          // animation seconds per second of the clock
    int32_t pc = 0;              // instruction index from the thread's first; -1 halted
    uint32_t code = 0;           // index of the thread's first instruction in the program's code
};

// Process states.
enum zba_proc_state_t : uint32_t {
    ZBA_PROC_ENDED = 0,          // every thread halted (or a fade ran out)
    ZBA_PROC_RUNNING = 1,
    ZBA_PROC_STOPPED = 2,        // stopped while running
    ZBA_PROC_STOPPED_ENDED = 3,  // stopped after its end, to fade
    ZBA_PROC_DEAD = 4,           // its channels freed; the host drops it
};

// Process flags.
enum zba_proc_flag_t : uint32_t {
    ZBA_PROC_FADE = 0x2,             // a fade-out rate was given
    ZBA_PROC_WEIGHT_CHANGING = 0x4,  // the master weight changes (while fading)
    ZBA_PROC_SUSPENDED = 0x8,        // the host's update skips it
};

// Host events.
enum zba_event_t : uint32_t {
    ZBA_EVENT_ENDED = 0,    // every thread halted
    ZBA_EVENT_RESUMED = 2,  // a suspended process was resumed
    ZBA_EVENT_SOUND = 3,    // a sound item: its text
    ZBA_EVENT_INFO = 4,     // an info item: its text
};

// The header of a program's or a process's block.
struct zba_proc_t {
    float weight = 1.0f;  // the master weight
    uint32_t thread_count = 0;
    int32_t priority = 0;
    c_item_t *item = nullptr;  // the item whose data this is
    uint32_t state = ZBA_PROC_RUNNING;
    c_item_t *source = nullptr;  // a process: the program it was copied from (counted)
    uint32_t flags = 0;
    void *node = nullptr;  // the host's record of the process (not owned)
    float overshoot = 0.0f;
    float fade_out_rate = 0.0f;  // master weight per second
    c_item_t *file = nullptr;    // the behaviour file's item; counted by a process
    uint32_t code_count = 0;     // a program: its instructions, after the threads

    zba_thread_t *threads() { return reinterpret_cast<zba_thread_t *>(this + 1); }
    const zba_thread_t *threads() const { return reinterpret_cast<const zba_thread_t *>(this + 1); }
    // A program's code (a process has none of its own).
    const zba_instr_t *code() const { return reinterpret_cast<const zba_instr_t *>(threads() + thread_count); }
    bool is_process() const { return source != nullptr; }

    // Bytes of a block with that many threads and instructions.
    static uint32_t block_size(uint32_t threads, uint32_t instructions) {
        return uint32_t(sizeof(zba_proc_t) + threads * sizeof(zba_thread_t) + instructions * sizeof(zba_instr_t));
    }

    // Advances a process by dt seconds: a running one runs its threads (and ends, with
    // host event 0, when all of them halted); a stopped one fades its master weight at
    // its rate and frees its channels when the weight falls below 0 (that end is not
    // reported). Other states: nothing.
    static void step(zba_host_t &host, c_item_t *process, float dt);
    // Stops a process: a suspended one is resumed first (host event 2); a running one
    // no longer runs its threads (state 2); with fade, the master weight falls at rate
    // per second (0 holds the pose) and an ended process fades too (state 3).
    static void stop(zba_host_t &host, c_item_t *process, bool fade, float rate);
    // Resumes a suspended process (host event 2), frees every channel of its threads
    // and marks it dead (unless it is dead already), then lets go of the holder's
    // reference. The host drops the process from its list at its next update.
    static void release(zba_host_t &host, c_item_ptr_t &process);
    // The host's update skips a suspended process.
    static void suspend(c_item_t *process);
    // Clears the mark and tells the host (event 2); nothing when not suspended.
    static void resume(zba_host_t &host, c_item_t *process);
};

// The resource of a program or a process. Unloading lets go of what a process counts:
// the program it was copied from and the behaviour file.
class zba_proc_u : public resource_unit_u {
    QRN_UNIT_CLASS(zba_proc_u, resource_unit_u);

public:
    void unload_memory() override;
    void unbind_item(c_item_t *item) override;
};

// Holds a program's or a process's item locked, with its header in place, while it
// lives. get() is null for no item, an item of another class or one without data.
class zba_proc_lock_t {
public:
    explicit zba_proc_lock_t(c_item_t *item);
    zba_proc_lock_t(const zba_proc_lock_t &) = delete;
    zba_proc_lock_t &operator=(const zba_proc_lock_t &) = delete;

    zba_proc_t *get() const { return m_proc; }
    zba_proc_t *operator->() const { return m_proc; }
    explicit operator bool() const { return m_proc != nullptr; }

private:
    c_item_lock_t m_lock;
    zba_proc_t *m_proc = nullptr;
};

// A new process of the program for the host, added to the host's process list and
// given to the caller with a reference of its own; the threads pre-run: leading `wgh`
// and `wgs` are applied, an `anm` starts its animation and the thread stays on it
// (its first step starts it again), any other instruction waits for the first step.
// Null, logged, when the host's model is not loaded ("[zba_vm:clone] model not
// loaded") or no memory can be had.
c_item_ptr_t zba_clone(zba_host_t &host, c_item_t *program, void *node, int32_t priority);

}  // namespace quarn
