#include "kernel/net/net_packet.h"

#include <algorithm>
#include <cstring>

#include "kernel/net/net_iface.h"
#include "kernel/net/net_process.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

void put16(uint8_t *out, uint16_t value) {
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

uint16_t get16(const uint8_t *in) { return uint16_t(in[0] | in[1] << 8); }

// Copies length bytes onto the end of the chain whose last chunk is *last, taking
// new chunks as each fills.
void append_bytes(net_process_t *process, net_chunk_t **last, const uint8_t *data, uint32_t length) {
    while (length > 0) {
        net_chunk_t *chunk = *last;
        if (chunk->length == NET_CHUNK_PAYLOAD) {
            chunk->next = process->alloc_chunk();
            chunk = *last = chunk->next;
        }
        const uint32_t n = std::min(length, NET_CHUNK_PAYLOAD - chunk->length);
        std::memcpy(chunk->payload + chunk->length, data, n);
        chunk->length = uint16_t(chunk->length + n);
        data += n;
        length -= n;
    }
}

}  // namespace

net_packet_t *net_packet_gather(const net_gather_t *list, int count, uint32_t limit) {
    if (!list || count <= 0) return nullptr;
    uint64_t total = 0;
    for (int i = 0; i < count; ++i) {
        if (list[i].length > 0 && !list[i].data) {
            error("[net] gather entry %d has no data", i);
            return nullptr;
        }
        total += list[i].length;
    }
    // Cut (or with its 16-bit total wrapped above 65535), such a packet would reach
    // the far end as a part announced as whole.
    if (total > limit) {
        error("[net] packet of %llu bytes refused: at most %u fit", static_cast<unsigned long long>(total), limit);
        return nullptr;
    }
    net_process_t *process = net_process();
    if (!process) return nullptr;
    net_packet_t *packet = process->alloc_chunk();
    packet->total = uint16_t(total);
    packet->refs = 1;
    net_chunk_t *last = packet;
    for (int i = 0; i < count; ++i)
        append_bytes(process, &last, static_cast<const uint8_t *>(list[i].data), list[i].length);
    return packet;
}

net_packet_t *net_packet_from_bytes(const void *data, uint32_t length, uint32_t limit) {
    const net_gather_t one = {data, length};
    return net_packet_gather(&one, 1, limit);
}

void net_packet_release(net_packet_t *packet) {
    if (!packet) return;
    V_ASSERT(packet->refs > 0);
    if (--packet->refs > 0) return;
    net_address_release(packet->address);
    net_process_t *process = net_process();
    for (net_chunk_t *chunk = packet; chunk;) {
        net_chunk_t *next = chunk->next;
        process->free_chunk(chunk);
        chunk = next;
    }
}

uint32_t net_packet_copy_out(const net_packet_t *packet, void *buffer, uint32_t size) {
    uint8_t *out = static_cast<uint8_t *>(buffer);
    uint32_t copied = 0;
    for (const net_chunk_t *chunk = packet; chunk && copied < size; chunk = chunk->next) {
        const uint32_t n = std::min<uint32_t>(chunk->length, size - copied);
        std::memcpy(out + copied, chunk->payload, n);
        copied += n;
    }
    return copied;
}

uint32_t net_datagram_write(const net_packet_t *packet, uint16_t sender, uint8_t flag, uint8_t *out) {
    V_ASSERT(packet->total <= NET_DATAGRAM_PAYLOAD_MAX);
    put16(out, packet->channel);
    put16(out + 2, sender);
    put16(out + 4, packet->total);
    out[6] = flag;
    return NET_HEADER_SIZE + net_packet_copy_out(packet, out + NET_HEADER_SIZE, NET_DATAGRAM_PAYLOAD_MAX);
}

bool net_datagram_read(const uint8_t *data, size_t length, net_datagram_header_t *header, const char **why) {
    if (length < NET_HEADER_SIZE) {
        *why = "shorter than a header";
        return false;
    }
    header->channel = get16(data);
    header->sender = get16(data + 2);
    header->total = get16(data + 4);
    header->flag = data[6];
    if (length - NET_HEADER_SIZE != header->total) {
        *why = "the header announces another length";
        return false;
    }
    return true;
}

}  // namespace quarn
