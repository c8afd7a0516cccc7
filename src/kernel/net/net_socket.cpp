#include "kernel/net/net_socket.h"

#include <cstring>

#include "kernel/net/net_process.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

void send_list(net_process_t *process, net_socket_t *socket, vptrlist_t &list, uint8_t flag) {
    while (!list.is_empty()) {
        auto *packet = static_cast<net_packet_t *>(list.remove_first());
        const uint32_t length = net_datagram_write(packet, socket->local_id, flag, process->datagram);
        net_iface_t *iface = packet->address->iface;
        // A closed interface takes nothing: say so rather than lose the packet unseen
        // (send errors the driver logs itself).
        if (iface->send(packet->address, process->datagram, int(length)) == 0)
            warning("[net] packet for %s dropped: the interface is not open", iface->address_text(packet->address));
        net_packet_release(packet);
    }
}

void release_all(vptrlist_t &list) {
    while (!list.is_empty()) net_packet_release(static_cast<net_packet_t *>(list.remove_first()));
}

// Gives the socket's hold on its address back.
void drop_address(net_socket_t *socket) {
    net_address_release(socket->address);
    socket->address = nullptr;
}

// Sends a packet of the gather list to channel id at address: delivered at once on a
// loop-back interface, else queued. The packet's length, or -1.
int send_packet(net_socket_t *socket, const net_gather_t *list, int count, int first_list, uint16_t id,
                net_address_t *address) {
    net_process_t *process = net_process();
    if (count <= 0 || !list) return -1;
    if (!address) {
        // There is no address to reach through.
        error("[net] the socket has no address to send to");
        return -1;
    }
    const bool loopback = address->iface->is_loopback();
    net_socket_t *receiver = nullptr;
    if (loopback) {
        // A loop-back packet is sent only when a socket receives it.
        receiver = process->find_receiver(address->iface, id);
        if (!receiver) {
            error("[net] no socket on channel %u of the loop-back interface", unsigned(id));
            return -1;
        }
    }
    net_packet_t *packet = net_packet_gather(list, count, loopback ? NET_PACKET_MAX : NET_DATAGRAM_PAYLOAD_MAX);
    if (!packet) return -1;
    net_address_retain(address);
    packet->address = address;
    packet->channel = id;
    const int total = packet->total;
    if (loopback) {
        // The receiver reads the sender's channel, as from a datagram.
        packet->channel = socket->local_id;
        net_socket_deliver(receiver, packet);
    } else {
        (first_list ? socket->send_first : socket->send_second).append(packet);
    }
    return total;
}

}  // namespace

void net_socket_flush(net_socket_t *socket) {
    net_process_t *process = net_process();
    send_list(process, socket, socket->send_first, 1);
    send_list(process, socket, socket->send_second, 0);
}

void net_socket_deliver(net_socket_t *socket, net_packet_t *packet) { socket->received.append(packet); }

}  // namespace quarn

using namespace quarn;

net_socket_t *net_sock_alloc() {
    net_process_t *process = net_process_for("net_sock_alloc");
    if (!process) return nullptr;
    auto *socket = static_cast<net_socket_t *>(process->socket_pool.alloc());
    std::memset(static_cast<void *>(socket), 0, sizeof *socket);
    socket->local_id = NET_NO_CHANNEL;
    socket->remote_id = NET_NO_CHANNEL;
    socket->send_first.set_pool(&process->node_pool);
    socket->send_second.set_pool(&process->node_pool);
    socket->received.set_pool(&process->node_pool);
    process->sockets.append(socket);
    process->lock();
    return socket;
}

net_address_t *net_sock_iface(net_socket_t *socket, net_address_t *address) {
    if (!net_process_for("net_sock_iface") || !socket) return nullptr;
    // Taken before the old one is dropped: the two may be the same address.
    net_address_retain(address);
    drop_address(socket);
    socket->address = address;
    return address;
}

int net_sock_bind(net_socket_t *socket, int id) {
    if (!net_process_for("net_sock_bind") || !socket) return -1;
    // Cut to 16 bits, 65535 and 65536 would mean "unbound" and channel 0.
    if (id < 0 || id >= NET_NO_CHANNEL) {
        socket->local_id = NET_NO_CHANNEL;
        socket->flags &= ~uint32_t(net_socket_t::BOUND);
        return -1;
    }
    socket->local_id = uint16_t(id);
    socket->flags |= net_socket_t::BOUND;
    return 0;
}

int net_sock_connect(net_socket_t *socket, int id) {
    if (!net_process_for("net_sock_connect") || !socket) return -1;
    if (!(socket->flags & net_socket_t::BOUND)) return -1;
    socket->remote_id = uint16_t(id);
    socket->flags |= net_socket_t::CONNECTED;
    return 0;
}

int net_sock_avail(net_socket_t *socket) {
    if (!net_process_for("net_sock_avail") || !socket || socket->received.is_empty()) return -1;
    return static_cast<const net_packet_t *>(socket->received.get_first()->data)->total;
}

int net_sock_recvfrom(net_socket_t *socket, void *buffer, int size, int *id, net_address_t **address) {
    if (!net_process_for("net_sock_recvfrom") || !socket || socket->received.is_empty()) return -1;
    if (!buffer || size < 0) return -1;
    auto *packet = static_cast<net_packet_t *>(socket->received.remove_first());
    const int copied = int(net_packet_copy_out(packet, buffer, uint32_t(size)));
    if (id) *id = packet->channel;
    if (address) {
        net_address_retain(packet->address);
        *address = packet->address;
    }
    net_packet_release(packet);
    return copied;
}

int net_sock_recv(net_socket_t *socket, void *buffer, int size) {
    return net_sock_recvfrom(socket, buffer, size, nullptr, nullptr);
}

int net_sock_sendv(net_socket_t *socket, const net_gather_t *list, int count, int first_list) {
    if (!net_process_for("net_sock_sendv") || !socket) return -1;
    return send_packet(socket, list, count, first_list, socket->remote_id, socket->address);
}

int net_sock_sendtov(net_socket_t *socket, const net_gather_t *list, int count, int first_list, int id,
                     net_address_t *address) {
    if (!net_process_for("net_sock_sendtov") || !socket) return -1;
    return send_packet(socket, list, count, first_list, uint16_t(id), address);
}

void net_sock_close(net_socket_t *socket) {
    if (!net_process_for("net_sock_close") || !socket) return;
    net_socket_flush(socket);
    socket->local_id = NET_NO_CHANNEL;
    drop_address(socket);
    socket->flags = 0;
}

void net_sock_free(net_socket_t *socket) {
    net_process_t *process = net_process_for("net_sock_free");
    if (!process || !socket) return;
    net_sock_close(socket);
    release_all(socket->received);
    release_all(socket->send_first);
    release_all(socket->send_second);
    vptrlist_node_t *node = process->sockets.find_ptr(socket);
    V_ASSERT(node != nullptr);
    process->sockets.remove_pos(node);
    process->socket_pool.free(socket);
    process->unlock();
}
