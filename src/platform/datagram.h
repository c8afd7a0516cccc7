#pragma once
// IPv4 datagram sockets for the kernel's network drivers. Sockets are non-blocking
// and may send to the broadcast address; a socket is named by a small handle, -1 for
// none. Every failure keeps its reason for datagram_error_text.
#include <cstddef>
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

constexpr int DATAGRAM_NONE = -1;

// An IPv4 end point as people write it: 127.0.0.1 is {127, 0, 0, 1}; the port in the
// machine's own order. Conversion to the network's order happens inside.
struct ipv4_endpoint_t {
    uint8_t address[4] = {0, 0, 0, 0};
    uint16_t port = 0;
};

// A new non-blocking IPv4 datagram socket with broadcasts allowed; its handle, or
// DATAGRAM_NONE on failure.
QRN_PLATFORM_API int datagram_open();
// Closes the socket; DATAGRAM_NONE and unknown handles are left alone.
QRN_PLATFORM_API void datagram_close(int handle);
// Binds to the local end point (address 0: every local address; port 0: one the
// system picks). False on failure.
QRN_PLATFORM_API bool datagram_bind(int handle, const ipv4_endpoint_t &local);
// The end point the socket is bound to; false when it cannot be read.
QRN_PLATFORM_API bool datagram_local(int handle, ipv4_endpoint_t *local);
// Sends one datagram; the bytes sent, or -1 (also when the socket would block).
QRN_PLATFORM_API int64_t datagram_send_to(int handle, const void *data, size_t length, const ipv4_endpoint_t &to);
// The size of the next waiting datagram, 0 when none waits, -1 on failure. Empty
// datagrams waiting in front are taken away.
QRN_PLATFORM_API int64_t datagram_waiting(int handle);
// Takes the next datagram: the bytes copied into the buffer (the rest of a longer
// datagram is lost), 0 when none waits, -1 on failure. The sender goes to from.
QRN_PLATFORM_API int64_t datagram_receive(int handle, void *buffer, size_t size, ipv4_endpoint_t *from);
// Waits at most msec milliseconds for a datagram; true when one waits.
QRN_PLATFORM_API bool datagram_wait(int handle, int msec);
// The reason of the last failure of this interface ("" when none).
QRN_PLATFORM_API const char *datagram_error_text();
// Closes every socket this interface opened and nobody closed; returns how many.
// Run once at exit, after every user of the network is gone.
QRN_PLATFORM_API int datagram_release_all();

}  // namespace quarn::platform
