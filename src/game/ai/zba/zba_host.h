#pragma once
// zba_host_t: what runs behaviour processes for one model. It holds the behaviour
// file's item, the model's channels (zba_channels.h) and the list of its processes,
// and hears what the processes report. The animation instance derives from it; tests
// and tools use it as it is.
#include <cstdint>

#include "game/ai/zba/zba_channels.h"
#include "outside/qrnshared/c_item.h"
#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

class zba_host_t {
public:
    // file: the behaviour file's item (counted while the host lives); channels: the
    // model's, not owned (null: no model, so no process can be made).
    zba_host_t(c_item_t *file, zba_channels_t *channels);
    // Releases every process still listed, so that no model channel stays held.
    virtual ~zba_host_t();
    zba_host_t(const zba_host_t &) = delete;
    zba_host_t &operator=(const zba_host_t &) = delete;

    // What a process reports (zba_event_t): 0 it ended, 2 it was resumed, 3 a sound
    // item, 4 an info item (text: the item's, valid during the call; null otherwise).
    // A process may be stopped or released, and others made, from inside the call.
    // The base does nothing.
    virtual void on_proc_event(uint32_t kind, c_item_t *process, const char *text);

    c_item_t *get_file() const { return m_file.get(); }
    zba_channels_t *get_channels() const { return m_channels; }
    void set_channels(zba_channels_t *channels) { m_channels = channels; }

    // The processes, in the order they were made; the list counts each.
    uint32_t get_process_count() const { return m_processes.get_count(); }
    c_item_t *get_process(uint32_t i) const { return m_processes[i].get(); }
    // Lists a process (zba_clone does); false when the list cannot grow.
    bool add_process(c_item_t *process);
    // Steps every listed process that is not suspended by dt, in list order; a process
    // that is dead after its step leaves the list. Only the processes listed when the
    // update begins are stepped: one made during a step (an owner starting the next
    // behaviour from inside an event) waits for the next update, so it never runs a
    // frame's time twice. Releasing a process during a step only marks it dead: the
    // list keeps its reference until the walk removes it.
    virtual void update(float dt);
    // Releases every listed process and empties the list.
    void release_all();

protected:
    c_item_ptr_t m_file;
    zba_channels_t *m_channels = nullptr;
    array_dyn_t<c_item_ptr_t> m_processes;
};

}  // namespace quarn
