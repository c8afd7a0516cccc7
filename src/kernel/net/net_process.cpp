#include "kernel/net/net_process.h"

#include <cstring>

#include "kernel/net/net_drivers.h"
#include "kernel/net/net_socket.h"
#include "kernel/process_table.h"
#include "platform/datagram.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

net_process_t *the_process = nullptr;

// Blocks per chunk of each pool: small, the layer is idle unless a plug-in uses it.
constexpr uint32_t POOL_BLOCKS = 16;

net_socket_t *socket_of(const vptrlist_node_t *node) { return static_cast<net_socket_t *>(node->data); }

}  // namespace

net_process_t::net_process_t() : vprocess_t(0) {
    set_name("net");
    ifaces.init_mm(POOL_BLOCKS, &node_pool);
    sockets.set_pool(&node_pool);
    chunk_pool.set_pars(sizeof(net_chunk_t), POOL_BLOCKS);
    address_pool.set_pars(sizeof(net_address_t), POOL_BLOCKS);
    socket_pool.set_pars(sizeof(net_socket_t), POOL_BLOCKS);
}

net_process_t::~net_process_t() {
    // The holds kept every interface, socket and chunk from outliving the process;
    // only the lists' nodes are left to give back.
    ifaces.remove_all();
    sockets.remove_all();
    if (the_process == this) the_process = nullptr;
}

void net_process_t::handler() {
    for (vptrlist_node_t *node = sockets.get_first(); node; node = node->next) net_socket_flush(socket_of(node));
    for (vptrlist_node_t *node = ifaces.get_first(); node;) {
        // Taken first: a delivery never changes the list, but stays safe if it did.
        vptrlist_node_t *next = node->next;
        net_iface_t *iface = static_cast<net_iface_t *>(node->data);
        if (iface->has(net_iface_t::OPEN) && iface->has(net_iface_t::BOUND)) receive_from(iface);
        node = next;
    }
}

bool net_process_t::register_driver(net_driver_t *driver, const char *key) {
    driver_entry_t entry{};
    if (std::strlen(key) >= sizeof entry.key) {
        error("[net] driver key '%s' is longer than %zu characters", key, sizeof entry.key - 1);
        return false;
    }
    std::memcpy(entry.key, key, std::strlen(key) + 1);
    entry.driver = driver;
    message("registering device (%s)", driver->name);
    if (!drivers.request_capacity(drivers.get_count() + 1) || !drivers.append(entry)) {
        error("[net] no memory to register driver '%s'", driver->name);
        return false;
    }
    return true;
}

net_driver_t *net_process_t::find_driver(const char *key) const {
    for (uint32_t i = 0; i < drivers.get_count(); ++i)
        if (std::strcmp(drivers[i].key, key) == 0) return drivers[i].driver;
    return nullptr;
}

bool net_process_t::add_iface(net_iface_t *iface) {
    if (has_iface(iface)) return false;
    ifaces.append(iface);
    lock();
    return true;
}

bool net_process_t::del_iface(net_iface_t *iface) {
    vptrlist_node_t *node = ifaces.find_ptr(iface);
    if (!node) return false;
    ifaces.remove_pos(node);
    unlock();
    return true;
}

int net_process_t::receive_from(net_iface_t *iface) {
    int count = 0;
    for (; count < NET_RECEIVE_PER_PASS; ++count) {
        net_address_t *sender = nullptr;
        const int got = iface->receive(&sender, datagram, int(sizeof datagram));
        if (got <= 0) {
            net_address_release(sender);
            break;
        }
        net_datagram_header_t header;
        const char *why = "";
        net_socket_t *receiver = nullptr;
        net_packet_t *packet = nullptr;
        if (!net_datagram_read(datagram, size_t(got), &header, &why)) {
            warning("[net] datagram of %d bytes from %s dropped: %s", got, iface->address_text(sender), why);
        } else if (!(receiver = find_receiver(iface, header.channel))) {
            verbose("[net] datagram for channel %u from %s dropped: no socket is bound to it", header.channel,
                    iface->address_text(sender));
        } else if ((packet = net_packet_from_bytes(datagram + NET_HEADER_SIZE, header.total, NET_PACKET_MAX))) {
            // The receiver learns who sent it and can answer to the same address.
            packet->address = sender;
            packet->channel = header.sender;
            sender = nullptr;
            net_socket_deliver(receiver, packet);
        }
        net_address_release(sender);
    }
    return count;
}

net_socket_t *net_process_t::find_receiver(const net_iface_t *iface, uint16_t channel) const {
    for (vptrlist_node_t *node = sockets.get_first(); node; node = node->next) {
        net_socket_t *s = socket_of(node);
        if (!(s->flags & net_socket_t::BOUND) || s->local_id != channel) continue;
        if (!s->address || s->address->iface == iface) return s;
    }
    return nullptr;
}

net_address_t *net_process_t::alloc_address() {
    auto *address = static_cast<net_address_t *>(address_pool.alloc());
    std::memset(address, 0, sizeof *address);
    return address;
}

void net_process_t::free_address(net_address_t *address) { address_pool.free(address); }

net_chunk_t *net_process_t::alloc_chunk() {
    auto *chunk = static_cast<net_chunk_t *>(chunk_pool.alloc());
    std::memset(chunk, 0, sizeof *chunk);
    lock();
    return chunk;
}

void net_process_t::free_chunk(net_chunk_t *chunk) {
    chunk_pool.free(chunk);
    unlock();
}

net_process_t *net_process() { return the_process; }

net_process_t *net_process_for(const char *function) {
    // Without the process there is nothing to reach through.
    if (!the_process) error("[net] %s: there is no network process", function);
    return the_process;
}

net_process_t *net_start() {
    if (the_process) return the_process;
    auto *process = new net_process_t();
    if (!process) {
        error("[net] no memory for the network process");
        return nullptr;
    }
    the_process = process;
    process_add(process, 0);
    net_iface_register(&net_driver_udp, "udp");
    net_iface_register(&net_driver_ipx, "ipx");
    net_iface_register(&net_driver_loop, "loop");
    return process;
}

void net_release() { platform::datagram_release_all(); }

}  // namespace quarn
