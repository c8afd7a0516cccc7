#include "platform/os_info.h"

#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quarn::platform {

bool os_describe(os_info_t *info) {
    memset(info, 0, sizeof *info);
    utsname u{};
    if (uname(&u) != 0) return false;
    snprintf(info->name, sizeof info->name, "%s", u.sysname);
    snprintf(info->release, sizeof info->release, "%s", u.release);
    snprintf(info->machine, sizeof info->machine, "%s", u.machine);
    char *end = nullptr;
    info->major = int(strtol(u.release, &end, 10));
    if (end && *end == '.') info->minor = int(strtol(end + 1, nullptr, 10));
    return true;
}

}  // namespace quarn::platform
