#pragma once
// The network process "net": it owns the tables of the network layer (registered
// drivers, added interfaces, sockets) and the pools of its records. Every interface,
// socket and packet chunk holds the process, so it lives until the last of them is
// gone. Each pass it sends what the sockets queued and reads the datagrams waiting on
// its bound interfaces, handing each to the socket bound to its channel.
#include <cstdint>

#include "kernel/api.h"
#include "kernel/net/net_iface.h"
#include "kernel/net/net_packet.h"
#include "outside/qrnshared/vprocess.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/collections/vptrlist.h"

namespace quarn {

struct net_socket_t;

// Datagrams read from one interface in one pass at most, so that a flood cannot hold
// the scheduler.
constexpr int NET_RECEIVE_PER_PASS = 64;

class net_process_t : public vprocess_t {
public:
    struct driver_entry_t {
        char key[32];
        net_driver_t *driver;
    };

    net_process_t();
    ~net_process_t() override;

    // Sends every socket's queued packets, then reads the bound interfaces.
    void handler() override;

    // Appends {key, driver}; the table grows by one entry each time. False (logged)
    // for a key longer than the entry holds.
    bool register_driver(net_driver_t *driver, const char *key);
    // The driver of the first entry with that key, or null.
    net_driver_t *find_driver(const char *key) const;

    bool add_iface(net_iface_t *iface);
    bool del_iface(net_iface_t *iface);
    bool has_iface(const net_iface_t *iface) const { return ifaces.find_ptr(iface) != nullptr; }

    // Reads at most NET_RECEIVE_PER_PASS datagrams from the interface and delivers
    // them; returns how many were read.
    int receive_from(net_iface_t *iface);
    // The socket that receives packets for channel on iface: bound to that id, and
    // talking to an address of iface or to none. Null when there is none.
    net_socket_t *find_receiver(const net_iface_t *iface, uint16_t channel) const;

    // Records of the layer; each comes from its pool zeroed.
    net_address_t *alloc_address();
    void free_address(net_address_t *address);
    net_chunk_t *alloc_chunk();
    void free_chunk(net_chunk_t *chunk);

    array_dyn_t<driver_entry_t> drivers;
    vptrlist_t ifaces;
    vptrlist_t sockets;
    // List nodes of every list of the layer: interfaces, sockets and packet lists.
    bmem_manager_t node_pool;
    bmem_manager_t chunk_pool;
    bmem_manager_t address_pool;
    bmem_manager_t socket_pool;
    // One datagram on its way out or in.
    uint8_t datagram[NET_DATAGRAM_MAX];
};

// The network process, or null when it does not exist.
net_process_t *net_process();
// The network process for a net_ function: null, with the refusal logged under the
// function's name, when it does not exist.
net_process_t *net_process_for(const char *function);
// Boot: adds the network process and registers the drivers "udp", "ipx" and "loop".
// Returns the process; null (logged) without memory. A second call returns the one
// that exists.
net_process_t *net_start();
// Exit: closes every datagram socket left open by a module that never freed its
// interface. Needs neither the core nor the process.
void net_release();

}  // namespace quarn
