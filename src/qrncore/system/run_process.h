#pragma once
// quarn::run_process_t: runs an outside program to completion, without a window,
// and collects its standard output, its standard error and its exit code. The
// program gets its parameters as separate arguments, exactly as given: nothing is
// joined into a command line or passed through a shell, so a parameter holding a
// blank or a quote stays one argument.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class QRNCORE_API run_process_t {
public:
    run_process_t() = default;
    ~run_process_t() = default;
    run_process_t(const run_process_t &) = delete;
    run_process_t &operator=(const run_process_t &) = delete;

    // The program: a path, or a name looked up on PATH when it holds no "/". False
    // when the copy cannot be had.
    bool set_command(const string &command);
    // Appends a parameter; parameters accumulate across runs. False when the array or
    // the copy cannot grow.
    bool add_parameter(const string &parameter);

    // Starts the program and waits for it to end, reading its output as it comes.
    // False only when it cannot be started; the result and the texts of an earlier
    // run then stay as they were.
    bool run();
    // The exit code of the last run: -1 before a run, and when the program did not
    // end by itself (killed by a signal).
    int32_t get_result() const { return m_result; }
    // What the last run wrote to its standard output / error; null before the first
    // run, empty (not null) when it wrote nothing. Zero bytes in the output are left
    // out: the texts are C texts.
    const mstring_t *get_stdout() const { return m_ran ? &m_stdout : nullptr; }
    const mstring_t *get_stderr() const { return m_ran ? &m_stderr : nullptr; }

private:
    mstring_dyn_t m_command;
    array_dyn_t<mstring_dyn_t> m_parameters;
    mstring_dyn_t m_stdout;
    mstring_dyn_t m_stderr;
    bool m_ran = false;
    int32_t m_result = -1;
};

}  // namespace quarn
