#pragma once
// What the operating system says about itself: its name, version and machine.
#include <cstddef>

#include "platform/api.h"

namespace quarn::platform {

struct os_info_t {
    char name[64];     // the kernel's name, "Linux" here
    char release[64];  // its full release text, "6.1.0-18-amd64"
    char machine[32];  // the processor family, "x86_64"
    int major;         // the release's leading numbers; 0 when it has none
    int minor;
};

// Fills info; false (info zeroed) when the system does not answer.
QRN_PLATFORM_API bool os_describe(os_info_t *info);

}  // namespace quarn::platform
