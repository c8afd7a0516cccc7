#pragma once
// The kernel's interface drivers: "udp" (IPv4 datagrams), "ipx" (which this system
// does not have: it makes addresses and their text, and never opens) and "loop" (a
// loop-back interface whose packets never leave the process). The network process
// registers all three under their names when it starts.
#include <cstdint>

#include "kernel/net/net_iface.h"

namespace quarn {

extern net_driver_t net_driver_udp;
extern net_driver_t net_driver_ipx;
extern net_driver_t net_driver_loop;

// Reads a dotted IPv4 address of exactly four decimal parts of 0-255 (no blanks,
// signs or other bases). False for anything else, out untouched.
bool net_parse_ipv4(const char *text, uint8_t out[4]);

}  // namespace quarn
