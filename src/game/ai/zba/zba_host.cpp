#include "game/ai/zba/zba_host.h"

#include "game/ai/zba/zba_proc.h"

namespace quarn {

zba_host_t::zba_host_t(c_item_t *file, zba_channels_t *channels) : m_file(file), m_channels(channels) {}

zba_host_t::~zba_host_t() { release_all(); }

void zba_host_t::on_proc_event(uint32_t, c_item_t *, const char *) {}

bool zba_host_t::add_process(c_item_t *process) { return process && m_processes.append(c_item_ptr_t(process)); }

namespace {

struct marks_t {
    bool suspended = false;
    bool dead = false;
};

marks_t marks_of(c_item_t *process) {
    zba_proc_lock_t p(process);
    if (!p) return {false, true};  // no block: nothing left to run
    return {(p->flags & ZBA_PROC_SUSPENDED) != 0, p->state == ZBA_PROC_DEAD};
}

}  // namespace

void zba_host_t::update(float dt) {
    // Processes made during the pass are appended after those listed now: they wait.
    uint32_t left = m_processes.get_count();
    uint32_t i = 0;
    while (left > 0 && i < m_processes.get_count()) {
        --left;
        // Held across the step: the host may drop it from the list meanwhile.
        const c_item_ptr_t process = m_processes[i];
        if (!marks_of(process.get()).suspended) zba_proc_t::step(*this, process.get(), dt);
        // Events of the step may have changed the list: find the process again.
        uint32_t at = i;
        if (at >= m_processes.get_count() || m_processes[at].get() != process.get()) {
            at = 0;
            while (at < m_processes.get_count() && m_processes[at].get() != process.get()) ++at;
        }
        if (at >= m_processes.get_count()) continue;  // gone: what is at i now is next
        if (marks_of(process.get()).dead) {
            m_processes.remove(at);
            i = at;
        } else {
            i = at + 1;
        }
    }
}

void zba_host_t::release_all() {
    while (uint32_t n = m_processes.get_count()) {
        c_item_ptr_t process = m_processes[n - 1];
        m_processes.remove(n - 1);
        zba_proc_t::release(*this, process);
    }
}

}  // namespace quarn
