#include "qrncore/system/run_process.h"

#include <utility>

#include "platform/process.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

// Collects both outputs of a child into texts. A text grows by doubling, so a large
// output costs a few copies rather than one per chunk; when memory runs out the rest
// of that output is dropped.
class output_collector_t : public platform::process_output_t {
public:
    struct sink_t {
        mstring_dyn_t text;
        uint32_t length = 0;
        bool open = true;

        void append(const char *data, size_t len) {
            if (!open) return;
            const uint64_t need = uint64_t(length) + len + 1;
            if (need > text.get_capacity()) {
                const uint64_t doubled = uint64_t(text.get_capacity()) * 2;
                uint64_t want = need > doubled ? need : doubled;
                if (want > UINT32_MAX) want = need;
                if (want > UINT32_MAX || !text.request_capacity(uint32_t(want))) {
                    open = false;
                    return;
                }
            }
            char *out = text.data();
            for (size_t i = 0; i < len; ++i) {
                if (data[i]) out[length++] = data[i];
            }
            out[length] = 0;
        }
    };

    void on_stdout(const char *data, size_t len) override { out.append(data, len); }
    void on_stderr(const char *data, size_t len) override { err.append(data, len); }

    sink_t out, err;
};

}  // namespace

bool run_process_t::set_command(const string &command) { return m_command.copy(command); }

bool run_process_t::add_parameter(const string &parameter) {
    mstring_dyn_t copy(parameter);
    if (copy.length() != parameter.length()) return false;
    return m_parameters.append(std::move(copy)) != nullptr;
}

bool run_process_t::run() {
    if (m_command.is_empty()) return false;
    // Each parameter is its own argument: joined into one command line, a parameter
    // with a blank would become two.
    const uint32_t count = m_parameters.get_count();
    auto **argv = static_cast<const char **>(qrncore_system_new_vector(sizeof(const char *) * (size_t(count) + 2)));
    if (!argv) return false;
    argv[0] = m_command.c_str();
    for (uint32_t i = 0; i < count; ++i) argv[i + 1] = m_parameters[i].c_str();
    argv[count + 1] = nullptr;

    output_collector_t collector;
    int exit_code = -1;
    const bool started = platform::process_run(argv, &collector, &exit_code);
    qrncore_system_delete_vector(argv);
    if (!started) return false;
    m_stdout = std::move(collector.out.text);
    m_stderr = std::move(collector.err.text);
    m_result = exit_code;
    m_ran = true;
    return true;
}

}  // namespace quarn
