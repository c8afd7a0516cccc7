// Reads arbitrary text as a dotted IPv4 address; whatever is accepted must print back
// as the same text's value.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "kernel/net/net_drivers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    uint8_t address[4] = {1, 2, 3, 4};
    if (!quarn::net_parse_ipv4(text.c_str(), address)) {
        if (address[0] != 1 || address[3] != 4) __builtin_trap();
        return 0;
    }
    char shown[20];
    std::snprintf(shown, sizeof shown, "%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
    uint8_t again[4];
    if (!quarn::net_parse_ipv4(shown, again) || std::memcmp(address, again, 4) != 0) __builtin_trap();
    return 0;
}
