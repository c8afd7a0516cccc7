// The "ipx" driver. This system has no IPX sockets, so an IPX interface never opens:
// it makes and names addresses as the driver table describes, and every operation that
// needs an open socket answers as on a closed one.
#include <cstdio>
#include <cstring>

#include "kernel/net/net_drivers.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

class ipx_iface_t : public net_iface_t {
public:
    int open() override {
        error("[ipx] network error (IPX networking does not exist on this system)");
        return -1;
    }

    int close() override {
        flags &= ~uint32_t(OPEN);
        return 0;
    }

    // value: "any", "bcast" or a 6-byte node. Both words are read no further than
    // their terminating zero, which lies within the six bytes of a node.
    int set_address(net_address_t *address, const void *value, int port) override {
        if (!value) return -1;
        if (port < 0 || port > 0xFFFF) {
            error("[ipx] port %d out of range", port);
            return -1;
        }
        address->family = NET_FAMILY_IPX;
        address->port = uint16_t(port);
        std::memset(address->host, 0, 4);
        if (std::memcmp(value, "any", 4) == 0) std::memset(address->node, 0, 6);
        else if (std::memcmp(value, "bcast", 6) == 0) std::memset(address->node, 0xFF, 6);
        else std::memcpy(address->node, value, 6);
        return 0;
    }

    int connect(net_address_t *) override { return -1; }
    int bind(net_address_t *) override { return -1; }
    int send(net_address_t *, const void *, int) override { return 0; }

    int receive(net_address_t **address, void *, int) override {
        *address = nullptr;
        return 0;
    }

    const char *address_text(const net_address_t *address) override {
        static char text[32];
        const uint8_t *n = address->node;
        const unsigned network = unsigned(address->host[0]) << 24 | unsigned(address->host[1]) << 16 |
                                 unsigned(address->host[2]) << 8 | address->host[3];
        std::snprintf(text, sizeof text, "%.4x:%.2x%.2x%.2x%.2x%.2x%.2x:%d", network, n[0], n[1], n[2], n[3], n[4],
                      n[5], int(address->port));
        return text;
    }

    net_address_t *alloc_address() override { return new_address(NET_FAMILY_IPX); }
    void free_address(net_address_t *address) override { delete_address(address); }
};

net_iface_t *ipx_create() { return new ipx_iface_t(); }
void ipx_destroy(net_iface_t *iface) { delete iface; }

}  // namespace

net_driver_t net_driver_ipx = {"ipx", ipx_create, ipx_destroy};

}  // namespace quarn
