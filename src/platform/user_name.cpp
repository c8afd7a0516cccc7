#include "platform/user_name.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace quarn::platform {

bool user_name(char *out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = 0;
    long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
    size_t room = hint > 0 ? size_t(hint) : 1024;
    // The entry's texts may not fit the suggested room: grow it while the call says so.
    for (;;) {
        std::vector<char> buffer(room);
        passwd entry{};
        passwd *found = nullptr;
        const int rc = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE && room < (size_t(1) << 20)) {
            room *= 2;
            continue;
        }
        if (rc != 0 || !found || !found->pw_name) return true;  // no entry: no name
        const size_t len = strlen(found->pw_name);
        if (len + 1 > size) return false;
        memcpy(out, found->pw_name, len + 1);
        return true;
    }
}

}  // namespace quarn::platform
