#pragma once
// Child processes with captured output. The program is started from an argument
// vector (never through a shell), its standard output and error are read in bounded
// chunks until both close, and its exit code is returned.
#include <cstddef>

#include "platform/api.h"

namespace quarn::platform {

// Receives the output of a child as it arrives.
class QRN_PLATFORM_API process_output_t {
public:
    virtual ~process_output_t() = default;
    virtual void on_stdout(const char *data, size_t len) = 0;
    virtual void on_stderr(const char *data, size_t len) = 0;
};

// Runs argv[0] (looked up on PATH when it has no "/") with the arguments of the
// null-terminated argv, standard input from /dev/null. Returns false when the program
// cannot be started (exit_code untouched); otherwise waits for it and sets exit_code
// (-1 when it did not exit normally, for example killed by a signal).
QRN_PLATFORM_API bool process_run(const char *const *argv, process_output_t *output, int *exit_code);

// Starts argv[0] (looked up on PATH when it has no "/") with the arguments of the
// null-terminated argv, never through a shell: in working_dir (null or "": the
// caller's), with the caller's environment, standard input from /dev/null, standard
// output and error shared with the caller. With wait it returns when the program has
// ended and sets exit_code (-1 when it did not exit normally); without, it returns at
// once and the program runs on as the caller's child, for callers that end soon
// after (a launcher). False when it cannot be started (also a bad working_dir).
QRN_PLATFORM_API bool process_start(const char *const *argv, const char *working_dir, bool wait, int *exit_code);

// Opens a web page in the user's browser: only "http:" and "https:" addresses are
// accepted. Returns false when refused or when no opener could be started.
QRN_PLATFORM_API bool process_open_url(const char *url);

}  // namespace quarn::platform
