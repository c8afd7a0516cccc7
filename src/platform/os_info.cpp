#include "platform/os_info.h"

#include <sys/utsname.h>

#include <cstdlib>
#include <cstring>

namespace quarn::platform {

namespace {

// Copies what fits, always terminated.
void copy_cut(char *out, size_t size, const char *text) {
    const size_t len = strnlen(text, size - 1);
    memcpy(out, text, len);
    out[len] = 0;
}

}  // namespace

bool os_describe(os_info_t *info) {
    memset(info, 0, sizeof *info);
    utsname u{};
    if (uname(&u) != 0) return false;
    copy_cut(info->name, sizeof info->name, u.sysname);
    copy_cut(info->release, sizeof info->release, u.release);
    copy_cut(info->machine, sizeof info->machine, u.machine);
    char *end = nullptr;
    info->major = int(strtol(u.release, &end, 10));
    if (end && *end == '.') info->minor = int(strtol(end + 1, nullptr, 10));
    return true;
}

}  // namespace quarn::platform
