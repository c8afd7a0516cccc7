#pragma once
// Memory status of the machine, and the base of small units of work.
#include "qrncore/api.h"

namespace quarn {

// Physical and virtual memory in bytes, each capped at 32 bits: the interface gives
// them as 32-bit words. Every output is 64 MiB when the system does not answer.
QRNCORE_API void mem_info(unsigned *total_physical, unsigned *free_physical, unsigned *total_virtual,
                          unsigned *free_virtual);

// A unit of background or per-frame work. Nothing overridden: completed at once.
class QRNCORE_API worklet_t {
public:
    virtual ~worklet_t() = default;
    virtual void start() {}
    virtual void on_tick() {}
    virtual void finish() {}
    virtual bool is_completed() { return true; }
    virtual void cancel() {}
};

}  // namespace quarn
