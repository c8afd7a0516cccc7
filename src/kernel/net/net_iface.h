#pragma once
// Network interfaces: a driver record makes interfaces of its kind ("udp", "loop",
// "ipx"); an interface opens, binds and sends to and receives from addresses that it
// allocates itself. The exported net_iface_ functions reach the interfaces through
// the network process, which keeps the registered drivers and the added interfaces;
// without that process they refuse with -1 or null.
#include <cstddef>
#include <cstdint>

#include "kernel/api.h"

namespace quarn {

class net_iface_t;
class net_process_t;

// A driver: its name and the functions that make and unmake its interfaces.
struct net_driver_t {
    const char *name;
    net_iface_t *(*create)();
    void (*destroy)(net_iface_t *iface);
};

// Address families of the address records.
enum net_family_t : uint16_t { NET_FAMILY_NONE = 0, NET_FAMILY_IPV4 = 2, NET_FAMILY_IPX = 6 };

// An address of one interface, counted: whoever keeps it holds a reference, and the
// last release gives it back to its interface. The fields are the driver's: IPv4
// keeps its four address bytes in host[] in written order; IPX its network number in
// host[] and its node in node[]. The port is kept in the machine's order; the
// network's order is written at the socket layer.
struct net_address_t {
    net_iface_t *iface;
    int32_t refs;
    uint16_t family;
    uint16_t port;
    uint8_t host[4];
    uint8_t node[6];
};

// The base of every interface. Each operation answers as an interface that can do
// nothing: -1, no text, no address, not loop-back. An interface holds the network
// process from its construction to its destruction.
class net_iface_t {
public:
    enum flags_t : uint32_t { CONNECTED = 0x1, BOUND = 0x2, OPEN = 0x4 };

    net_iface_t();
    virtual ~net_iface_t();
    net_iface_t(const net_iface_t &) = delete;
    net_iface_t &operator=(const net_iface_t &) = delete;

    // Interfaces live in the host's memory; without memory `new` gives null.
    static void *operator new(size_t bytes) noexcept;
    static void operator delete(void *memory);

    virtual int open();
    virtual int close();
    virtual int ioctl(int command, void *argument);
    // value is the driver's: a text for "udp", a 6-byte node for "ipx".
    virtual int set_address(net_address_t *address, const void *value, int port);
    virtual int connect(net_address_t *address);
    virtual int bind(net_address_t *address);
    // Bytes sent, 0 when not open, -1 on failure.
    virtual int send(net_address_t *address, const void *data, int length);
    // Bytes received into buffer (a new address, with one reference, names the
    // sender), 0 when nothing waits, -1 on failure.
    virtual int receive(net_address_t **address, void *buffer, int size);
    // The address as text, in a buffer shared by every call; null when there is none.
    virtual const char *address_text(const net_address_t *address);
    // A new address of this interface with one reference, or null.
    virtual net_address_t *alloc_address();
    virtual void free_address(net_address_t *address);
    virtual bool is_loopback() const;

    bool has(uint32_t flag) const { return (flags & flag) != 0; }

    uint32_t flags = 0;
    int handle = -1;  // the platform's datagram socket, -1 when none
    const net_driver_t *driver = nullptr;
    int32_t address_count = 0;

protected:
    // A zeroed address record of this interface, counted in address_count; null
    // without the network process.
    net_address_t *new_address(uint16_t family);
    void delete_address(net_address_t *address);

private:
    net_process_t *m_held = nullptr;
};

// Takes one more reference on the address (null is left alone).
void net_address_retain(net_address_t *address);
// Drops one reference; the last one gives the address back to its interface.
void net_address_release(net_address_t *address);

}  // namespace quarn

extern "C" {
// Appends {key, driver} to the drivers of the network process.
KERNEL_API void net_iface_register(quarn::net_driver_t *driver, const char *key);
// A new interface of the driver registered under key, or null.
KERNEL_API quarn::net_iface_t *net_iface_alloc(const char *key);
// Unmakes the interface through its driver (taking it out of the process's list
// when it is still there). An interface whose addresses are still in use is kept.
KERNEL_API void net_iface_free(quarn::net_iface_t *iface);
// Puts the interface into / takes it out of the process's list, whose bound
// interfaces the process reads each pass. Adding twice or removing an interface that
// is not there changes nothing.
KERNEL_API void net_iface_add(quarn::net_iface_t *iface);
KERNEL_API void net_iface_del(quarn::net_iface_t *iface);
// The interface's operations: open, close, ioctl, set address, connect, bind, send,
// receive, address text, allocate and free an address.
KERNEL_API int net_iface_create(quarn::net_iface_t *iface);
KERNEL_API int net_iface_destroy(quarn::net_iface_t *iface);
KERNEL_API int net_iface_ioctl(quarn::net_iface_t *iface, int command, void *argument);
KERNEL_API int net_iface_set(quarn::net_iface_t *iface, quarn::net_address_t *address, const void *value, int port);
KERNEL_API int net_iface_connect(quarn::net_iface_t *iface, quarn::net_address_t *address);
KERNEL_API int net_iface_bind(quarn::net_iface_t *iface, quarn::net_address_t *address);
KERNEL_API int net_iface_send(quarn::net_iface_t *iface, quarn::net_address_t *address, const void *data, int length);
KERNEL_API int net_iface_recv(quarn::net_iface_t *iface, quarn::net_address_t **address, void *buffer, int size);
KERNEL_API const char *net_iface_get_address(quarn::net_iface_t *iface, quarn::net_address_t *address);
KERNEL_API quarn::net_address_t *net_iface_saddr_alloc(quarn::net_iface_t *iface);
// Drops the caller's reference: the address goes back to the interface only when no
// socket or packet holds it any more.
KERNEL_API void net_iface_saddr_free(quarn::net_iface_t *iface, quarn::net_address_t *address);
}
