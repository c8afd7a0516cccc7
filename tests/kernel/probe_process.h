#pragma once
// A process for scheduler tests: records every call the scheduler makes on it, with
// the signal it had at the time.
#include <string>
#include <vector>

#include "outside/qrnshared/vprocess.h"

namespace quarn::test {

using call_log_t = std::vector<std::string>;

class probe_process_t : public vprocess_t {
public:
    probe_process_t(int prio, const char *process_name, call_log_t *log) : vprocess_t(prio), m_log(log) {
        set_name(process_name);
    }
    ~probe_process_t() override { record("deleted"); }

    void handler() override {
        last_delta = delta;
        record("handler");
    }
    void system() override { record("system" + std::to_string(signal)); }

    double last_delta = -1.0;

private:
    void record(const std::string &what) {
        if (m_log) m_log->push_back(std::string(get_name()) + ":" + what);
    }
    call_log_t *m_log;
};

}  // namespace quarn::test
