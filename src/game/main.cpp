// The program's entry: builds the kernel's fixed argument list and hands it over.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "kernel/fixed_clock.h"
#include "kernel/kernel.h"
#include "platform/user_dirs.h"

namespace {

// The kernel takes at most this many arguments; the rest are dropped.
constexpr int MAX_ARGS = 64;

}  // namespace

int main(int argc, char **argv) {
    // Test support: a clock that moves by a fixed step each pass makes a run repeat.
    if (const char *step = getenv("FERNWOLD_FIXED_STEP_US")) {
        uint32_t usec = 0;
        if (!quarn::fixed_clock_parse_step(step, &usec)) {
            fprintf(stderr, "FERNWOLD_FIXED_STEP_US: '%s' is not a step of 1 to %u microseconds\n", step,
                    quarn::FIXED_CLOCK_MAX_STEP_USEC);
            return 1;
        }
        quarn::fixed_clock_start(usec);
    }
    char *args[MAX_ARGS];
    int count = 0;
    auto add = [&](const char *a) {
        if (count < MAX_ARGS) args[count++] = const_cast<char *>(a);
    };
    add(argc > 0 ? argv[0] : "fernwold");
    for (const char *a : {"-load", "lib/snddev", "lib/loaders", "lib/gl", "lib/inpdev", "-exec", "lib/game"}) add(a);

    static char screensaver_log[4096];
    if (argc == 2 && strcmp(argv[1], "-screensaver") == 0) {
        add("-screensaver");
        // The folder is made when missing: without it the log could not be written.
        char folder[4096];
        if (quarn::platform::user_documents_subdir("Fernwold", folder, sizeof folder)) {
            int n = snprintf(screensaver_log, sizeof screensaver_log, "%s/screensaver.log", folder);
            if (n > 0 && size_t(n) < sizeof screensaver_log) {
                add("-log");
                add(screensaver_log);
                add("300000");
            }
        }
    } else {
        for (int i = 1; i < argc; ++i) add(argv[i]);
    }
    return quarn::kernel_main(count, args);
}
