#include "kernel/net/net_iface.h"

#include "kernel/net/net_process.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

net_iface_t::net_iface_t() : m_held(net_process()) {
    if (m_held) m_held->lock();
}

net_iface_t::~net_iface_t() {
    if (m_held) m_held->unlock();
}

void *net_iface_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void net_iface_t::operator delete(void *memory) { qrncore_system_delete(memory); }

int net_iface_t::open() { return -1; }
int net_iface_t::close() { return -1; }
int net_iface_t::ioctl(int, void *) { return -1; }
int net_iface_t::set_address(net_address_t *, const void *, int) { return -1; }
int net_iface_t::connect(net_address_t *) { return -1; }
int net_iface_t::bind(net_address_t *) { return -1; }
int net_iface_t::send(net_address_t *, const void *, int) { return -1; }
int net_iface_t::receive(net_address_t **, void *, int) { return -1; }
const char *net_iface_t::address_text(const net_address_t *) { return nullptr; }
net_address_t *net_iface_t::alloc_address() { return nullptr; }
void net_iface_t::free_address(net_address_t *) {}
bool net_iface_t::is_loopback() const { return false; }

net_address_t *net_iface_t::new_address(uint16_t family) {
    net_process_t *process = net_process();
    if (!process) return nullptr;
    net_address_t *address = process->alloc_address();
    address->iface = this;
    address->refs = 1;
    address->family = family;
    ++address_count;
    return address;
}

void net_iface_t::delete_address(net_address_t *address) {
    V_ASSERT(address->iface == this && address_count > 0);
    --address_count;
    // Addresses live no longer than the interfaces they count in, and those hold the
    // process.
    net_process()->free_address(address);
}

void net_address_retain(net_address_t *address) {
    if (address) ++address->refs;
}

void net_address_release(net_address_t *address) {
    if (!address) return;
    V_ASSERT(address->refs > 0);
    if (--address->refs == 0) address->iface->free_address(address);
}

}  // namespace quarn

using namespace quarn;

void net_iface_register(net_driver_t *driver, const char *key) {
    net_process_t *process = net_process_for("net_iface_register");
    if (!process) return;
    if (!driver || !key) {
        error("[net] net_iface_register: a driver and a key are needed");
        return;
    }
    process->register_driver(driver, key);
}

net_iface_t *net_iface_alloc(const char *key) {
    net_process_t *process = net_process_for("net_iface_alloc");
    if (!process) return nullptr;
    net_driver_t *driver = key ? process->find_driver(key) : nullptr;
    if (!driver) {
        error("[net] no interface driver '%s'", key ? key : "(null)");
        return nullptr;
    }
    net_iface_t *iface = driver->create();
    if (!iface) {
        error("[net] driver '%s' could not make an interface", driver->name);
        return nullptr;
    }
    iface->driver = driver;
    return iface;
}

void net_iface_free(net_iface_t *iface) {
    net_process_t *process = net_process_for("net_iface_free");
    if (!process || !iface) return;
    // Sockets and queued packets still point through the interface's addresses: such
    // an interface is kept, not deleted under them.
    if (iface->address_count > 0) {
        error("[net] interface '%s' still has %d addresses in use - not freed",
              iface->driver ? iface->driver->name : "?", int(iface->address_count));
        return;
    }
    // Freed while still added, it would stay in the list the process reads each pass.
    process->del_iface(iface);
    if (iface->driver) iface->driver->destroy(iface);
    else delete iface;
}

void net_iface_add(net_iface_t *iface) {
    net_process_t *process = net_process_for("net_iface_add");
    if (process && iface) process->add_iface(iface);
}

void net_iface_del(net_iface_t *iface) {
    net_process_t *process = net_process_for("net_iface_del");
    if (process && iface) process->del_iface(iface);
}

// Each call needs the process and an interface; anything else is refused with fail.
#define NET_IFACE_CALL(function, fail, call)            \
    do {                                                \
        if (!net_process_for(function) || !iface) return fail; \
        return iface->call;                             \
    } while (0)

int net_iface_create(net_iface_t *iface) { NET_IFACE_CALL("net_iface_create", -1, open()); }

int net_iface_destroy(net_iface_t *iface) { NET_IFACE_CALL("net_iface_destroy", -1, close()); }

int net_iface_ioctl(net_iface_t *iface, int command, void *argument) {
    NET_IFACE_CALL("net_iface_ioctl", -1, ioctl(command, argument));
}

int net_iface_set(net_iface_t *iface, net_address_t *address, const void *value, int port) {
    if (!address) return -1;
    NET_IFACE_CALL("net_iface_set", -1, set_address(address, value, port));
}

int net_iface_connect(net_iface_t *iface, net_address_t *address) {
    NET_IFACE_CALL("net_iface_connect", -1, connect(address));
}

int net_iface_bind(net_iface_t *iface, net_address_t *address) {
    if (!address) return -1;
    NET_IFACE_CALL("net_iface_bind", -1, bind(address));
}

int net_iface_send(net_iface_t *iface, net_address_t *address, const void *data, int length) {
    if (!address || !data || length < 0) return -1;
    NET_IFACE_CALL("net_iface_send", -1, send(address, data, length));
}

int net_iface_recv(net_iface_t *iface, net_address_t **address, void *buffer, int size) {
    if (!address || !buffer || size < 0) return -1;
    NET_IFACE_CALL("net_iface_recv", -1, receive(address, buffer, size));
}

const char *net_iface_get_address(net_iface_t *iface, net_address_t *address) {
    if (!address) return nullptr;
    NET_IFACE_CALL("net_iface_get_address", nullptr, address_text(address));
}

net_address_t *net_iface_saddr_alloc(net_iface_t *iface) {
    NET_IFACE_CALL("net_iface_saddr_alloc", nullptr, alloc_address());
}

void net_iface_saddr_free(net_iface_t *iface, net_address_t *address) {
    if (!net_process_for("net_iface_saddr_free") || !iface || !address) return;
    V_ASSERT(address->iface == iface);
    // Freeing outright would leave sockets and queued packets pointing at a freed
    // record; the caller's reference is dropped instead.
    net_address_release(address);
}

#undef NET_IFACE_CALL
