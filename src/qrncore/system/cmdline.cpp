#include "qrncore/system/cmdline.h"

#include <cstring>

namespace quarn {

namespace {
const char *args[CDL_MAX_ARGS];
char text[CDL_TEXT_SIZE];
unsigned host_count = 0;    // the count the host passed
unsigned stored_count = 0;  // the arguments actually kept
unsigned window_first = 0;
unsigned window_end = 0;
}  // namespace

void cdl_init(int argc, const char *const *argv) {
    host_count = argc > 0 ? unsigned(argc) : 0;
    stored_count = 0;
    size_t used = 0;
    for (unsigned i = 0; i < host_count && i < CDL_MAX_ARGS; ++i) {
        const char *a = argv[i] ? argv[i] : "";
        size_t len = strlen(a) + 1;
        // An argument that does not fit ends the store: keeping later ones would shift
        // option values onto the wrong options.
        if (len > CDL_TEXT_SIZE - used) break;
        memcpy(text + used, a, len);
        args[i] = text + used;
        used += len;
        ++stored_count;
    }
    window_first = 0;
    window_end = host_count;
}

unsigned cdl_param(const char *name, unsigned start) {
    for (unsigned i = start; i < stored_count; ++i) {
        if (strcmp(args[i], name) != 0) continue;
        window_first = i;
        window_end = i + 1;
        while (window_end < stored_count && args[window_end][0] != '-') ++window_end;
        if (window_end == stored_count) window_end = host_count;
        return i;
    }
    window_first = host_count;
    window_end = host_count;
    return unsigned(-1);
}

unsigned cdl_argc() { return window_end - window_first; }

const char *cdl_argv(unsigned i) {
    unsigned index = window_first + i;
    if (index < window_first || index >= stored_count) return nullptr;
    return args[index];
}

unsigned cdl_dropped() { return host_count - stored_count; }

}  // namespace quarn
