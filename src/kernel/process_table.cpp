#include "kernel/process_table.h"

#include "kernel/hw_devices.h"
#include "kernel/message_pump.h"
#include "kernel/plugins.h"
#include "kernel/sys.h"
#include "kernel/unit_garbage.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vptrlist.h"
#include "qrncore/system/messages.h"

using quarn::vprocess_t;

namespace quarn {

namespace {

// Nodes are the pointer list's own node size, 16 to a block.
constexpr uint32_t NODES_PER_BLOCK = 16;

bmem_manager_t process_pool;
vptrlist_t processes;
int32_t next_pid = 1;
vprocess_t *game_guard = nullptr;
uint64_t passes = 0;

vprocess_t *process_of(const vptrlist_node_t *node) { return static_cast<vprocess_t *>(node->data); }

void process_kill(vptrlist_node_t *node) {
    vprocess_t *process = process_of(node);
    verbose("[cor] vprocess [%d] (%s) killed", process->pid, process->get_name());
    processes.remove_pos(node);
    delete process;
}

// Moves a stopping process on by one stage: 1 to 2 at once, 2 to 3 once its holds
// are gone, and at 3 it is killed. True when it was killed.
bool advance_signal(vptrlist_node_t *node) {
    vprocess_t *process = process_of(node);
    switch (process->signal) {
        case vprocess_t::SIGNAL_SHUTDOWN: process->signal = vprocess_t::SIGNAL_DRAINING; return false;
        case vprocess_t::SIGNAL_DRAINING:
            if (process->hold_count == 0) process->signal = vprocess_t::SIGNAL_KILL;
            return false;
        case vprocess_t::SIGNAL_KILL: process_kill(node); return true;
        default: return false;
    }
}

void lock_named(const char *name, bool lock) {
    // Without a renderer, input or sound device (every headless run) the processes
    // do not exist, so absent ones are skipped.
    vprocess_t *process = process_get(name);
    if (!process) return;
    if (lock) process->lock();
    else process->unlock();
}

}  // namespace

void process_table_setup() {
    if (processes.get_pool()) return;
    processes.init_mm(NODES_PER_BLOCK, &process_pool);
}

uint32_t kernel_step() {
    ++passes;
    sys_frame();
    kernel_poll_devices();
    kernel_pump_messages();
    for (vptrlist_node_t *node = processes.get_first(); node;) {
        // Taken first: the process may be killed below, or remove itself.
        vptrlist_node_t *next = node->next;
        vprocess_t *process = process_of(node);
        if (process->state == vprocess_t::RUNNING && process->signal == vprocess_t::SIGNAL_NONE) {
            process->update(sys_get_lastdelta());
            process->handler();
        }
        process->system();
        advance_signal(node);
        node = next;
    }
    kernel_free_garbage_units();
    kernel_unload_plugins();
    return processes.get_count();
}

void kernel_loop() {
    while (kernel_step() != 0) {
    }
}

uint32_t process_count() { return processes.get_count(); }

uint64_t kernel_pass_count() { return passes; }

void game_module_set_guard(vprocess_t *guard) { game_guard = guard; }

void game_module_lock() {
    if (game_guard) game_guard->lock();
}

void game_module_unlock() {
    if (game_guard) game_guard->unlock();
}

}  // namespace quarn

using namespace quarn;

int process_add(vprocess_t *process, int word) {
    V_ASSERT(process != nullptr);
    process_table_setup();
    process->word = word;
    process->pid = next_pid++;
    vptrlist_node_t *before = processes.get_first();
    while (before && process_of(before)->priority <= process->priority) before = before->next;
    processes.insert(before, process);
    return word;
}

vprocess_t *process_sleep(vprocess_t *process) {
    if (process->state == vprocess_t::RUNNING) process->state = vprocess_t::SLEEPING;
    return process;
}

vprocess_t *process_wakeup(vprocess_t *process) {
    if (process->state == vprocess_t::SLEEPING) process->state = vprocess_t::RUNNING;
    return process;
}

vprocess_t *process_get(const char *name) {
    for (vptrlist_node_t *node = processes.get_first(); node; node = node->next) {
        if (process_of(node)->name == name) return process_of(node);
    }
    return nullptr;
}

vprocess_t *process_pid_get(int pid) {
    for (vptrlist_node_t *node = processes.get_first(); node; node = node->next) {
        if (process_of(node)->pid == pid) return process_of(node);
    }
    return nullptr;
}

void process_terminate_all() {
    for (vptrlist_node_t *node = processes.get_first(); node;) {
        vptrlist_node_t *next = node->next;
        process_of(node)->shutdown(false);
        node = next;
    }
}

void *process_register_message_loop(void *argument, process_message_loop_t function) {
    kernel_set_message_loop(argument, function);
    return argument;
}

void process_hw_lock() {
    lock_named("__rend_proc", true);
    lock_named("__inp_proc", true);
    lock_named("__snd_proc", true);
}

void process_hw_unlock() {
    lock_named("__rend_proc", false);
    lock_named("__inp_proc", false);
    lock_named("__snd_proc", false);
}

void process_mm_lock() { lock_named("mm", true); }

void process_mm_unlock() { lock_named("mm", false); }
