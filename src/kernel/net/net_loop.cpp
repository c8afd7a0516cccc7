// The "loop" driver: an interface whose packets stay in the process. The sockets
// hand its packets straight to the socket bound to their channel, so the interface
// itself never sends or receives anything.
#include "kernel/net/net_drivers.h"

namespace quarn {

namespace {

class loop_iface_t : public net_iface_t {
public:
    int open() override {
        flags |= OPEN;
        return 0;
    }

    int close() override {
        flags &= ~uint32_t(OPEN);
        return 0;
    }

    // Only the port means anything here.
    int set_address(net_address_t *address, const void *, int port) override {
        address->port = uint16_t(port);
        return 0;
    }

    int connect(net_address_t *) override {
        flags |= CONNECTED;
        return 0;
    }

    int bind(net_address_t *) override {
        flags |= BOUND;
        return 0;
    }

    int send(net_address_t *, const void *, int length) override { return length; }

    int receive(net_address_t **address, void *, int) override {
        *address = nullptr;
        return 0;
    }

    const char *address_text(const net_address_t *) override { return "loop"; }
    net_address_t *alloc_address() override { return new_address(NET_FAMILY_NONE); }
    void free_address(net_address_t *address) override { delete_address(address); }
    bool is_loopback() const override { return true; }
};

net_iface_t *loop_create() { return new loop_iface_t(); }
void loop_destroy(net_iface_t *iface) { delete iface; }

}  // namespace

net_driver_t net_driver_loop = {"loop", loop_create, loop_destroy};

}  // namespace quarn
