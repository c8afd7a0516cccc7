#include "qrncore/system/crash_log.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/crash.h"

namespace quarn {

bool dumper_default_path(const char *program, char *out, unsigned size) {
    const char *slash = strrchr(program, '/');
    const char *base = slash ? slash + 1 : program;
    // Only a dot inside the base name starts an extension: a dot in a folder name
    // ("/opt/game.v2/fernwold") must not cut the path there.
    const char *dot = strrchr(base, '.');
    size_t keep = dot && dot != base ? size_t(dot - program) : strlen(program);
    static const char ext[] = ".crash";
    if (keep + sizeof ext > size) return false;
    memcpy(out, program, keep);
    memcpy(out + keep, ext, sizeof ext);
    return true;
}

namespace {

bool set_default_path() {
    char program[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", program, sizeof program - 1);
    if (n <= 0) return false;
    program[n] = 0;
    char path[platform::CRASH_PATH_MAX + 1];
    return dumper_default_path(program, path, sizeof path) && platform::crash_set_path(path);
}

}  // namespace

void dumper_init() {
    set_default_path();
    platform::crash_install();
}

bool dumper_set_file_name(const char *path) {
    if (!path) return set_default_path();
    return platform::crash_set_path(path);
}

const char *dumper_get_file_name() { return platform::crash_get_path(); }

void dumper_shutdown() { platform::crash_uninstall(); }

}  // namespace quarn
