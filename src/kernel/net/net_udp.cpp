// The "udp" driver: IPv4 datagrams over the platform's sockets.
#include <cstdio>
#include <cstring>

#include "kernel/net/net_drivers.h"
#include "platform/datagram.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

platform::ipv4_endpoint_t endpoint_of(const net_address_t *address) {
    platform::ipv4_endpoint_t e;
    std::memcpy(e.address, address->host, 4);
    e.port = address->port;
    return e;
}

class udp_iface_t : public net_iface_t {
public:
    ~udp_iface_t() override { close(); }

    int open() override {
        // Opening again would lose the socket already open.
        if (has(OPEN)) return 0;
        handle = platform::datagram_open();
        if (handle == platform::DATAGRAM_NONE) {
            error("[udp] network error (%s)", platform::datagram_error_text());
            return -1;
        }
        flags |= OPEN;
        return 0;
    }

    int close() override {
        if (has(OPEN)) platform::datagram_close(handle);
        handle = platform::DATAGRAM_NONE;
        // Nothing stays bound or connected on a closed socket.
        flags = 0;
        return 0;
    }

    int set_address(net_address_t *address, const void *value, int port) override {
        const char *text = static_cast<const char *>(value);
        if (!text) return -1;
        // Cut to 16 bits, a port outside the range would name another one.
        if (port < 0 || port > 0xFFFF) {
            error("[udp] port %d out of range", port);
            return -1;
        }
        uint8_t host[4];
        if (std::strcmp(text, "any") == 0) {
            std::memset(host, 0, 4);
        } else if (std::strcmp(text, "loop") == 0) {
            const uint8_t loop[4] = {127, 0, 0, 1};
            std::memcpy(host, loop, 4);
        } else if (std::strcmp(text, "bcast") == 0) {
            std::memset(host, 0xFF, 4);
        } else if (!net_parse_ipv4(text, host)) {
            // Unreadable text must not become 255.255.255.255: a mistyped address
            // would broadcast to the whole network.
            error("[udp] '%s' is not an IPv4 address", text);
            return -1;
        }
        address->family = NET_FAMILY_IPV4;
        address->port = uint16_t(port);
        std::memcpy(address->host, host, 4);
        return 0;
    }

    int connect(net_address_t *) override {
        if (!has(OPEN)) return -1;
        flags |= CONNECTED;
        return 0;
    }

    int bind(net_address_t *address) override {
        if (!has(OPEN)) return -1;
        message("[udp] socket bound to (%s)", address_text(address));
        // Bound only when the system says so.
        if (!platform::datagram_bind(handle, endpoint_of(address))) {
            error("[udp] can not bind to (%s): %s", address_text(address), platform::datagram_error_text());
            return -1;
        }
        // Port 0 leaves the choice to the system; the address learns the port chosen.
        platform::ipv4_endpoint_t local;
        if (address->port == 0 && platform::datagram_local(handle, &local)) address->port = local.port;
        flags |= BOUND;
        return 0;
    }

    int send(net_address_t *address, const void *data, int length) override {
        if (!has(OPEN)) return 0;
        const int64_t sent = platform::datagram_send_to(handle, data, size_t(length), endpoint_of(address));
        if (sent < 0) error("[udp] network send error: %s", platform::datagram_error_text());
        return int(sent);
    }

    int receive(net_address_t **address, void *buffer, int size) override {
        *address = nullptr;
        if (!has(OPEN) || !has(BOUND)) return 0;
        const int64_t waiting = platform::datagram_waiting(handle);
        if (waiting < 0) {
            error("[udp] network error (FIONREAD): %s", platform::datagram_error_text());
            flags &= ~uint32_t(OPEN);
            return -1;
        }
        if (waiting == 0) return 0;
        net_address_t *sender = alloc_address();
        if (!sender) return -1;
        platform::ipv4_endpoint_t from;
        const int64_t got = platform::datagram_receive(handle, buffer, size_t(size), &from);
        if (got < 0) {
            error("[udp] i/o error (%s - %s)", address_text(sender), platform::datagram_error_text());
            flags &= ~uint32_t(OPEN);
            net_address_release(sender);
            return -1;
        }
        if (got == 0) {
            net_address_release(sender);
            return 0;
        }
        std::memcpy(sender->host, from.address, 4);
        sender->port = from.port;
        *address = sender;
        return int(got);
    }

    const char *address_text(const net_address_t *address) override {
        static char text[32];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u:%d", address->host[0], address->host[1], address->host[2],
                      address->host[3], int(address->port));
        return text;
    }

    net_address_t *alloc_address() override { return new_address(NET_FAMILY_IPV4); }
    void free_address(net_address_t *address) override { delete_address(address); }
};

net_iface_t *udp_create() { return new udp_iface_t(); }
void udp_destroy(net_iface_t *iface) { delete iface; }

}  // namespace

net_driver_t net_driver_udp = {"udp", udp_create, udp_destroy};

bool net_parse_ipv4(const char *text, uint8_t out[4]) {
    uint8_t parts[4];
    const char *p = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *p++ != '.') return false;
        if (*p < '0' || *p > '9') return false;
        unsigned value = 0;
        int digits = 0;
        while (*p >= '0' && *p <= '9') {
            value = value * 10 + unsigned(*p++ - '0');
            if (++digits > 3 || value > 255) return false;
        }
        parts[i] = uint8_t(value);
    }
    if (*p != '\0') return false;
    std::memcpy(out, parts, 4);
    return true;
}

}  // namespace quarn
