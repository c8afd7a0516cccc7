#pragma once
// Sockets of the network layer: a socket is bound to a 16-bit channel id and talks
// to one interface address. Packets it sends wait in one of two send lists until the
// network process's next pass (or the socket's close) writes them out, the first list
// before the second; packets for a loop-back interface go straight to the receiving
// socket. Received packets wait in its receive list.
#include <cstdint>

#include "kernel/api.h"
#include "kernel/net/net_iface.h"
#include "kernel/net/net_packet.h"
#include "qrncore/collections/vptrlist.h"

namespace quarn {

constexpr uint16_t NET_NO_CHANNEL = 0xFFFF;

struct net_socket_t {
    enum flags_t : uint32_t { CONNECTED = 0x1, BOUND = 0x2 };

    uint16_t local_id;   // NET_NO_CHANNEL when unbound
    uint16_t remote_id;  // NET_NO_CHANNEL when unconnected
    uint32_t flags;
    net_address_t *address;  // counted
    vptrlist_t send_first;   // written with the flag byte 1
    vptrlist_t send_second;  // written with the flag byte 0
    vptrlist_t received;
};

// Writes both send lists out and empties them.
void net_socket_flush(net_socket_t *socket);
// Appends a received packet (taking over its reference).
void net_socket_deliver(net_socket_t *socket, net_packet_t *packet);

}  // namespace quarn

extern "C" {
// A new socket, unbound and unconnected, in the process's socket list.
KERNEL_API quarn::net_socket_t *net_sock_alloc();
// The socket talks to address from now on (its earlier address is dropped). Returns
// address.
KERNEL_API quarn::net_address_t *net_sock_iface(quarn::net_socket_t *socket, quarn::net_address_t *address);
// Binds the socket to channel id (0-65534): 0, or -1 for -1 and ids out of range.
KERNEL_API int net_sock_bind(quarn::net_socket_t *socket, int id);
// Connects a bound socket to the remote channel id: 0, or -1 when not bound.
KERNEL_API int net_sock_connect(quarn::net_socket_t *socket, int id);
// The total length of the first received packet, -1 when none waits.
KERNEL_API int net_sock_avail(quarn::net_socket_t *socket);
// Takes the first received packet: copies at most size bytes of it into buffer (the
// rest is lost), gives its sender's channel and address (one reference, for the
// caller to release) and returns the bytes copied; -1 when none waits.
KERNEL_API int net_sock_recv(quarn::net_socket_t *socket, void *buffer, int size);
KERNEL_API int net_sock_recvfrom(quarn::net_socket_t *socket, void *buffer, int size, int *id,
                                 quarn::net_address_t **address);
// Makes a packet of the gather list for the socket's address and remote channel / for
// the given address and channel. Loop-back packets are delivered at once; others are
// queued on the first send list when first_list is non-zero, else on the second.
// Returns the packet's length, or -1: empty list, no address, a packet too long (more
// than one datagram carries, or than 65535 bytes on a loop-back interface), or no
// loop-back receiver on the channel.
KERNEL_API int net_sock_sendv(quarn::net_socket_t *socket, const quarn::net_gather_t *list, int count, int first_list);
KERNEL_API int net_sock_sendtov(quarn::net_socket_t *socket, const quarn::net_gather_t *list, int count,
                                int first_list, int id, quarn::net_address_t *address);
// Writes out both send lists, then unbinds, disconnects and drops the address.
KERNEL_API void net_sock_close(quarn::net_socket_t *socket);
// Closes the socket, releases every packet it still keeps and deletes it.
KERNEL_API void net_sock_free(quarn::net_socket_t *socket);
}
