#pragma once
// vprocess_t: the base of every scheduled process. The kernel keeps the processes in
// its table, calls update and handler each pass while the process runs, system every
// pass, and walks the signal from 1 (shutdown asked) through 2 (draining) to 3 (to be
// killed), waiting at 2 while the hold count is above 0.
#include <cstddef>
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/api.h"
#include "qrncore/strings/string_fixed.h"

namespace quarn {

class QRNSHARED_API vprocess_t {
public:
    enum state_t : int32_t { RUNNING = 0, SLEEPING = 1 };
    enum signal_t : int32_t { SIGNAL_NONE = 0, SIGNAL_SHUTDOWN = 1, SIGNAL_DRAINING = 2, SIGNAL_KILL = 3 };

    explicit vprocess_t(int priority);
    virtual ~vprocess_t();
    vprocess_t(const vprocess_t &) = delete;
    vprocess_t &operator=(const vprocess_t &) = delete;

    // Processes live in the host's memory like everything else of the engine; the
    // kernel deletes them through the virtual destructor. Without memory `new` gives
    // null and no constructor runs.
    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    // The per-pass work while running. The base does nothing.
    virtual void handler();
    // Called every pass, also while sleeping or shutting down. The base does nothing.
    virtual void system();
    // Asks the process to stop: a running process gets signal 1; one already
    // stopping keeps its signal. The flag is free for the derived class.
    virtual void shutdown(bool immediate);

    // Takes the pass's time step (seconds) and adds it to the process's own time.
    void update(double delta);
    // Stores the name, cut to what the record holds.
    void set_name(const char *text);
    const char *get_name() const { return name.c_str(); }
    // Holds keep a stopping process from being killed. Unlocking more often than
    // locking is a programming error.
    void lock();
    void unlock();

    // Messages tagged with the process's name: "[name] text".
    void message(const char *fmt, ...) const V_PRINTF(2, 3);
    void error(const char *fmt, ...) const V_PRINTF(2, 3);
    void verbose(const char *fmt, ...) const V_PRINTF(2, 3);

    // Read and written by the kernel's scheduler, in this order.
    int32_t hold_count = 0;
    int32_t word = 0;  // the word given to process_add; stored, never read
    int32_t state = RUNNING;
    int32_t pid = 0;
    int32_t priority;
    int32_t signal = SIGNAL_NONE;
    string_fixed_t<32> name;
    // The last step and the sum of all steps given to update, in seconds.
    double delta = 0.0;
    double time = 0.0;
};

}  // namespace quarn
