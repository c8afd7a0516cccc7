#pragma once
// Packets of the network layer: chains of 128-byte chunks from the network process's
// pool, the first of which carries the packet's total length, its address and channel
// and its reference count. On the wire a packet is one datagram: a 7-byte header of
// little-endian fields (destination channel, sender's channel, total length, flag
// byte) and then the payload.
#include <cstddef>
#include <cstdint>

#include "kernel/api.h"

namespace quarn {

struct net_address_t;

constexpr uint32_t NET_CHUNK_PAYLOAD = 128;
constexpr uint32_t NET_DATAGRAM_MAX = 10240;
constexpr uint32_t NET_HEADER_SIZE = 7;
// The payload one datagram carries; a longer packet would be cut on the way out.
constexpr uint32_t NET_DATAGRAM_PAYLOAD_MAX = NET_DATAGRAM_MAX - NET_HEADER_SIZE;
// Lengths are 16-bit; a packet that never leaves the machine is bounded by that alone.
constexpr uint32_t NET_PACKET_MAX = 0xFFFF;

// One element of a gather list.
struct net_gather_t {
    const void *data;
    uint32_t length;
};

// A chunk; the first of a packet is the packet.
struct net_chunk_t {
    uint8_t payload[NET_CHUNK_PAYLOAD];
    uint16_t length;  // payload bytes in this chunk
    uint16_t total;   // in the first chunk: the whole packet
    net_chunk_t *next;
    net_address_t *address;  // counted
    uint16_t channel;
    uint16_t refs;
};
using net_packet_t = net_chunk_t;

// The header of a datagram.
struct net_datagram_header_t {
    uint16_t channel;  // the socket it is for
    uint16_t sender;   // the sending socket's channel
    uint16_t total;    // payload bytes after the header
    uint8_t flag;      // 1 for the first send list, 0 for the second
};

// A packet of the gather list's bytes in order, with one reference, no address and
// channel 0; null when the list is empty or holds more than limit bytes (logged), or
// without the network process.
net_packet_t *net_packet_gather(const net_gather_t *list, int count, uint32_t limit);
// A packet of length bytes, as net_packet_gather.
net_packet_t *net_packet_from_bytes(const void *data, uint32_t length, uint32_t limit);
// Drops one reference; the last one releases the address and returns every chunk.
void net_packet_release(net_packet_t *packet);
// Copies the payload in order into buffer, at most size bytes; returns the count.
uint32_t net_packet_copy_out(const net_packet_t *packet, void *buffer, uint32_t size);

// Writes header and payload into out (NET_DATAGRAM_MAX bytes); returns the datagram's
// length. The packet fits: its total was bounded when it was made.
uint32_t net_datagram_write(const net_packet_t *packet, uint16_t sender, uint8_t flag, uint8_t *out);
// Reads a datagram: false (with the reason in *why) unless it holds a whole header
// and exactly the payload the header announces.
bool net_datagram_read(const uint8_t *data, size_t length, net_datagram_header_t *header, const char **why);

}  // namespace quarn
