#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "kernel/net/net_drivers.h"
#include "kernel/net/net_iface.h"
#include "kernel/net/net_packet.h"
#include "kernel/net/net_process.h"
#include "kernel/net/net_socket.h"
#include "kernel_fixture.h"
#include "platform/datagram.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

std::vector<uint8_t> pattern(size_t n, uint8_t seed = 1) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = uint8_t(seed + i * 7);
    return out;
}

// The kernel's scheduler with the network process; every test frees what it made, so
// the tear-down finds the process gone with the others.
class net : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        process = net_start();
        ASSERT_NE(process, nullptr);
    }

    // An open interface of the driver with an address set from text and port (and
    // bound when asked); both released by the tear-down of the test.
    struct opened_t {
        net_iface_t *iface = nullptr;
        net_address_t *address = nullptr;
    };
    opened_t open_iface(const char *key, const char *text, int port, bool bind) {
        opened_t o;
        o.iface = net_iface_alloc(key);
        EXPECT_NE(o.iface, nullptr);
        if (!o.iface) return o;
        EXPECT_EQ(net_iface_create(o.iface), 0);
        o.address = net_iface_saddr_alloc(o.iface);
        EXPECT_EQ(net_iface_set(o.iface, o.address, text, port), 0);
        if (bind) {
            EXPECT_EQ(net_iface_bind(o.iface, o.address), 0);
        }
        net_iface_add(o.iface);
        return o;
    }
    void close_iface(opened_t &o) {
        net_iface_saddr_free(o.iface, o.address);
        net_iface_destroy(o.iface);
        net_iface_free(o.iface);
        o = {};
    }

    // Runs scheduler passes until done() holds, waiting (bounded) for a datagram on
    // handle between passes. False when it never held.
    bool pump_until(int handle, const std::function<bool()> &done) {
        for (int i = 0; i < 20; ++i) {
            kernel_step();
            if (done()) return true;
            platform::datagram_wait(handle, 100);
        }
        return false;
    }

    static const net_packet_t *first_received(const net_socket_t *s) {
        return s->received.is_empty() ? nullptr : static_cast<const net_packet_t *>(s->received.get_first()->data);
    }

    net_process_t *process = nullptr;
    message_capture_t messages;
};

TEST(net_without_process, every_function_refuses_instead_of_crashing) {
    ASSERT_EQ(net_process(), nullptr);
    message_capture_t messages;
    net_driver_t driver = {"x", nullptr, nullptr};
    char buffer[8];
    int id = 0;
    net_address_t *address = nullptr;
    const net_gather_t gather = {buffer, sizeof buffer};
    // Stand-ins of the right types; none may be reached.
    auto *iface = reinterpret_cast<net_iface_t *>(buffer);
    auto *socket = reinterpret_cast<net_socket_t *>(buffer);
    auto *addr = reinterpret_cast<net_address_t *>(buffer);

    net_iface_register(&driver, "x");
    EXPECT_EQ(net_iface_alloc("udp"), nullptr);
    net_iface_free(iface);
    net_iface_add(iface);
    net_iface_del(iface);
    EXPECT_EQ(net_iface_create(iface), -1);
    EXPECT_EQ(net_iface_destroy(iface), -1);
    EXPECT_EQ(net_iface_ioctl(iface, 1, nullptr), -1);
    EXPECT_EQ(net_iface_set(iface, addr, "loop", 1), -1);
    EXPECT_EQ(net_iface_connect(iface, addr), -1);
    EXPECT_EQ(net_iface_bind(iface, addr), -1);
    EXPECT_EQ(net_iface_send(iface, addr, buffer, 1), -1);
    EXPECT_EQ(net_iface_recv(iface, &address, buffer, 1), -1);
    EXPECT_EQ(net_iface_get_address(iface, addr), nullptr);
    EXPECT_EQ(net_iface_saddr_alloc(iface), nullptr);
    net_iface_saddr_free(iface, addr);
    EXPECT_EQ(net_sock_alloc(), nullptr);
    EXPECT_EQ(net_sock_iface(socket, addr), nullptr);
    EXPECT_EQ(net_sock_bind(socket, 1), -1);
    EXPECT_EQ(net_sock_connect(socket, 1), -1);
    EXPECT_EQ(net_sock_avail(socket), -1);
    EXPECT_EQ(net_sock_recv(socket, buffer, 1), -1);
    EXPECT_EQ(net_sock_recvfrom(socket, buffer, 1, &id, &address), -1);
    EXPECT_EQ(net_sock_sendv(socket, &gather, 1, 1), -1);
    EXPECT_EQ(net_sock_sendtov(socket, &gather, 1, 1, 2, addr), -1);
    net_sock_close(socket);
    net_sock_free(socket);
    EXPECT_TRUE(messages.contains("[net] net_sock_alloc: there is no network process"));
    EXPECT_TRUE(messages.contains("[net] net_iface_free: there is no network process"));
}

TEST_F(net, the_process_registers_the_three_drivers) {
    EXPECT_EQ(process_get("net"), process);
    EXPECT_EQ(process->find_driver("udp"), &net_driver_udp);
    EXPECT_EQ(process->find_driver("ipx"), &net_driver_ipx);
    EXPECT_EQ(process->find_driver("loop"), &net_driver_loop);
    EXPECT_EQ(net_iface_alloc("tcp"), nullptr);
    EXPECT_TRUE(messages.contains("[net] no interface driver 'tcp'"));
    EXPECT_EQ(net_start(), process) << "a second start keeps the one process";
}

TEST_F(net, sockets_bind_before_they_connect) {
    net_socket_t *s = net_sock_alloc();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->local_id, NET_NO_CHANNEL);
    EXPECT_EQ(net_sock_connect(s, 5), -1) << "not bound yet";
    EXPECT_EQ(s->flags, 0u);
    EXPECT_EQ(net_sock_bind(s, -1), -1);
    EXPECT_EQ(net_sock_bind(s, 65535), -1) << "the value that means unbound";
    EXPECT_EQ(net_sock_bind(s, 65536), -1) << "would wrap to channel 0";
    EXPECT_EQ(net_sock_bind(s, 7), 0);
    EXPECT_EQ(net_sock_connect(s, 5), 0);
    EXPECT_EQ(s->local_id, 7);
    EXPECT_EQ(s->remote_id, 5);
    EXPECT_EQ(s->flags, uint32_t(net_socket_t::BOUND | net_socket_t::CONNECTED));
    net_sock_close(s);
    EXPECT_EQ(s->local_id, NET_NO_CHANNEL);
    EXPECT_EQ(s->flags, 0u);
    net_sock_free(s);
}

TEST_F(net, udp_address_texts) {
    net_iface_t *iface = net_iface_alloc("udp");
    ASSERT_NE(iface, nullptr);
    net_address_t *a = net_iface_saddr_alloc(iface);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(iface->address_count, 1);
    struct case_t {
        const char *text;
        int port;
        const char *shown;  // null: refused
    };
    const case_t cases[] = {
        {"bcast", 5000, "255.255.255.255:5000"},
        {"any", 80, "0.0.0.0:80"},
        {"loop", 65535, "127.0.0.1:65535"},
        {"10.20.30.40", 1, "10.20.30.40:1"},
        {"256.1.1.1", 1, nullptr},
        {"1.2.3", 1, nullptr},
        {"1.2.3.4.5", 1, nullptr},
        {"1.2.3.x", 1, nullptr},
        {" 1.2.3.4", 1, nullptr},
        {"", 1, nullptr},
        {"localhost", 1, nullptr},
        {"loop", 65536, nullptr},
        {"loop", -1, nullptr},
    };
    for (const auto &c : cases) {
        const int result = net_iface_set(iface, a, c.text, c.port);
        if (!c.shown) {
            EXPECT_EQ(result, -1) << c.text << " " << c.port;
            continue;
        }
        ASSERT_EQ(result, 0) << c.text;
        EXPECT_EQ(a->family, NET_FAMILY_IPV4);
        EXPECT_STREQ(net_iface_get_address(iface, a), c.shown);
    }
    EXPECT_TRUE(messages.contains("[udp] '1.2.3' is not an IPv4 address"));
    net_iface_saddr_free(iface, a);
    EXPECT_EQ(iface->address_count, 0);
    net_iface_free(iface);
}

TEST_F(net, udp_operations_on_a_closed_or_unbound_interface) {
    net_iface_t *iface = net_iface_alloc("udp");
    ASSERT_NE(iface, nullptr);
    net_address_t *a = net_iface_saddr_alloc(iface);
    ASSERT_EQ(net_iface_set(iface, a, "loop", 0), 0);
    char buffer[16] = {};
    net_address_t *from = nullptr;
    EXPECT_EQ(net_iface_connect(iface, a), -1);
    EXPECT_EQ(net_iface_bind(iface, a), -1);
    EXPECT_EQ(net_iface_send(iface, a, buffer, 4), 0);
    EXPECT_EQ(net_iface_recv(iface, &from, buffer, sizeof buffer), 0);

    ASSERT_EQ(net_iface_create(iface), 0);
    EXPECT_TRUE(iface->has(net_iface_t::OPEN));
    EXPECT_EQ(net_iface_recv(iface, &from, buffer, sizeof buffer), 0) << "open but not bound";
    EXPECT_EQ(from, nullptr);
    EXPECT_EQ(net_iface_connect(iface, a), 0);
    EXPECT_EQ(net_iface_bind(iface, a), 0);
    EXPECT_NE(a->port, 0) << "the port the system chose";
    EXPECT_TRUE(messages.contains("[udp] socket bound to (127.0.0.1:0)"));
    EXPECT_EQ(net_iface_recv(iface, &from, buffer, sizeof buffer), 0) << "nothing waits";
    EXPECT_EQ(net_iface_ioctl(iface, 1, nullptr), -1);

    // A second interface can not take the same port: the bind fails and says so.
    net_iface_t *other = net_iface_alloc("udp");
    net_address_t *b = net_iface_saddr_alloc(other);
    ASSERT_EQ(net_iface_set(other, b, "loop", a->port), 0);
    ASSERT_EQ(net_iface_create(other), 0);
    EXPECT_EQ(net_iface_bind(other, b), -1);
    EXPECT_FALSE(other->has(net_iface_t::BOUND));
    EXPECT_TRUE(messages.contains("[udp] can not bind to (127.0.0.1:"));
    net_iface_saddr_free(other, b);
    net_iface_free(other);

    EXPECT_EQ(net_iface_destroy(iface), 0);
    EXPECT_EQ(iface->flags, 0u);
    net_iface_saddr_free(iface, a);
    net_iface_free(iface);
}

TEST_F(net, ipx_does_not_open_but_names_its_addresses) {
    net_iface_t *iface = net_iface_alloc("ipx");
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(net_iface_create(iface), -1);
    EXPECT_TRUE(messages.contains("[ipx] network error (IPX networking does not exist on this system)"));
    EXPECT_FALSE(iface->has(net_iface_t::OPEN));
    net_address_t *a = net_iface_saddr_alloc(iface);
    ASSERT_EQ(net_iface_set(iface, a, "bcast", 17), 0);
    EXPECT_STREQ(net_iface_get_address(iface, a), "0000:ffffffffffff:17");
    ASSERT_EQ(net_iface_set(iface, a, "any", 1), 0);
    EXPECT_STREQ(net_iface_get_address(iface, a), "0000:000000000000:1");
    const uint8_t node[6] = {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
    ASSERT_EQ(net_iface_set(iface, a, node, 4660), 0);
    EXPECT_STREQ(net_iface_get_address(iface, a), "0000:001b2c3d4e5f:4660");
    EXPECT_EQ(a->family, NET_FAMILY_IPX);
    EXPECT_EQ(net_iface_bind(iface, a), -1);
    char buffer[4] = {};
    EXPECT_EQ(net_iface_send(iface, a, buffer, 4), 0);
    net_iface_saddr_free(iface, a);
    net_iface_free(iface);
}

// Two sockets on one loop-back interface, bound to channels 1 and 2.
class net_loop : public net {
protected:
    void SetUp() override {
        net::SetUp();
        loop = open_iface("loop", "", 9, true);
        EXPECT_STREQ(net_iface_get_address(loop.iface, loop.address), "loop");
        EXPECT_TRUE(loop.iface->is_loopback());
        for (int i = 0; i < 2; ++i) {
            s[i] = net_sock_alloc();
            ASSERT_EQ(net_sock_bind(s[i], i + 1), 0);
            net_sock_iface(s[i], loop.address);
        }
        ASSERT_EQ(net_sock_connect(s[0], 2), 0);
    }
    void TearDown() override {
        for (auto *sock : s) net_sock_free(sock);
        close_iface(loop);
        net::TearDown();
    }

    opened_t loop;
    net_socket_t *s[2] = {};
};

TEST_F(net_loop, a_300_byte_gather_list_arrives_as_chunks_of_128_128_and_44) {
    const std::vector<uint8_t> data = pattern(300);
    // Pieces that cross the chunk boundaries at other places than 128.
    const net_gather_t list[] = {{data.data(), 100}, {data.data() + 100, 0}, {data.data() + 100, 150},
                                 {data.data() + 250, 50}};
    ASSERT_EQ(net_sock_sendv(s[0], list, 4, 1), 300);
    ASSERT_EQ(net_sock_avail(s[1]), 300);
    const net_packet_t *packet = first_received(s[1]);
    ASSERT_NE(packet, nullptr);
    std::vector<int> lengths, totals;
    for (const net_chunk_t *c = packet; c; c = c->next) {
        lengths.push_back(c->length);
        totals.push_back(c->total);
    }
    EXPECT_EQ(lengths, (std::vector<int>{128, 128, 44}));
    EXPECT_EQ(totals.front(), 300);
    EXPECT_EQ(net_sock_avail(s[0]), -1) << "the sender receives nothing";

    std::vector<uint8_t> got(400);
    int id = -5;
    net_address_t *from = nullptr;
    ASSERT_EQ(net_sock_recvfrom(s[1], got.data(), int(got.size()), &id, &from), 300);
    got.resize(300);
    EXPECT_EQ(got, data);
    EXPECT_EQ(id, 1) << "tagged with the sender's channel";
    EXPECT_EQ(from, loop.address);
    EXPECT_EQ(net_sock_avail(s[1]), -1);

    // An answer to where it came from reaches the sender.
    const uint8_t reply[] = {9, 8, 7};
    const net_gather_t answer = {reply, 3};
    EXPECT_EQ(net_sock_sendtov(s[1], &answer, 1, 0, id, from), 3);
    net_address_release(from);
    uint8_t small[2] = {};
    EXPECT_EQ(net_sock_recv(s[0], small, 2), 2) << "a short buffer takes what fits";
    EXPECT_EQ(small[0], 9);
    EXPECT_EQ(small[1], 8);
    EXPECT_EQ(net_sock_recv(s[0], small, 2), -1);
}

TEST_F(net_loop, sends_that_cannot_be_delivered_are_refused) {
    const std::vector<uint8_t> big = pattern(NET_PACKET_MAX + 1);
    const net_gather_t too_long = {big.data(), NET_PACKET_MAX + 1};
    EXPECT_EQ(net_sock_sendv(s[0], &too_long, 1, 1), -1) << "the 16-bit total would wrap";
    EXPECT_TRUE(messages.contains("[net] packet of 65536 bytes refused: at most 65535 fit"));
    const net_gather_t longest = {big.data(), NET_PACKET_MAX};
    EXPECT_EQ(net_sock_sendv(s[0], &longest, 1, 1), int(NET_PACKET_MAX));
    EXPECT_EQ(net_sock_avail(s[1]), int(NET_PACKET_MAX));

    const net_gather_t one = {big.data(), 1};
    EXPECT_EQ(net_sock_sendv(s[0], &one, 0, 1), -1) << "an empty gather list";
    EXPECT_EQ(net_sock_sendtov(s[0], &one, 1, 1, 3, loop.address), -1) << "nobody on channel 3";
    EXPECT_TRUE(messages.contains("[net] no socket on channel 3 of the loop-back interface"));
    net_socket_t *lone = net_sock_alloc();
    EXPECT_EQ(net_sock_sendv(lone, &one, 1, 1), -1) << "no address to send to";
    net_sock_free(lone);
    // Freeing a socket releases what still waits in it.
    EXPECT_EQ(net_sock_sendv(s[0], &one, 1, 1), 1);
}

TEST_F(net_loop, holds_keep_the_process_until_the_last_user_is_gone) {
    const uint8_t byte = 1;
    const net_gather_t one = {&byte, 1};
    ASSERT_EQ(net_sock_sendv(s[0], &one, 1, 1), 1);
    // The interface, its list entry, two sockets and one chunk.
    EXPECT_EQ(process->hold_count, 5);
    process_terminate_all();
    for (int i = 0; i < 5; ++i) kernel_step();
    ASSERT_EQ(process_get("net"), process);
    EXPECT_EQ(process->signal, vprocess_t::SIGNAL_DRAINING);

    // An interface whose address is still in use stays.
    net_iface_free(loop.iface);
    EXPECT_TRUE(messages.contains("[net] interface 'loop' still has 1 addresses in use - not freed"));
    EXPECT_TRUE(process->has_iface(loop.iface));
    // The tear-down frees the rest; then the process goes with the others.
}

// Two UDP interfaces on 127.0.0.1, each with a socket: channel 1 on A, channel 2 on B.
class net_udp : public net {
protected:
    void SetUp() override {
        net::SetUp();
        a = open_iface("udp", "loop", 0, true);
        b = open_iface("udp", "loop", 0, true);
        ASSERT_TRUE(a.iface && b.iface);
        ASSERT_TRUE(a.iface->has(net_iface_t::BOUND) && b.iface->has(net_iface_t::BOUND));
        // A's socket talks to B's address.
        to_b = net_iface_saddr_alloc(a.iface);
        ASSERT_EQ(net_iface_set(a.iface, to_b, "loop", b.address->port), 0);
        sa = net_sock_alloc();
        sb = net_sock_alloc();
        ASSERT_EQ(net_sock_bind(sa, 1), 0);
        ASSERT_EQ(net_sock_bind(sb, 2), 0);
        ASSERT_EQ(net_sock_connect(sa, 2), 0);
        net_sock_iface(sa, to_b);
        net_sock_iface(sb, b.address);
    }
    void TearDown() override {
        net_sock_free(sa);
        net_sock_free(sb);
        net_iface_saddr_free(a.iface, to_b);
        close_iface(a);
        close_iface(b);
        net::TearDown();
    }

    opened_t a, b;
    net_address_t *to_b = nullptr;
    net_socket_t *sa = nullptr, *sb = nullptr;
};

TEST_F(net_udp, a_round_trip_on_127_0_0_1) {
    const std::vector<uint8_t> data = pattern(1000, 3);
    const net_gather_t list[] = {{data.data(), 600}, {data.data() + 600, 400}};
    ASSERT_EQ(net_sock_sendv(sa, list, 2, 0), 1000);
    EXPECT_EQ(sa->send_second.get_count(), 1u) << "queued until the process's pass";
    ASSERT_TRUE(pump_until(b.iface->handle, [&] { return net_sock_avail(sb) >= 0; }));
    EXPECT_TRUE(sa->send_second.is_empty());
    EXPECT_EQ(net_sock_avail(sb), 1000);

    std::vector<uint8_t> got(2000);
    int id = 0;
    net_address_t *from = nullptr;
    ASSERT_EQ(net_sock_recvfrom(sb, got.data(), int(got.size()), &id, &from), 1000);
    got.resize(1000);
    EXPECT_EQ(got, data);
    EXPECT_EQ(id, 1);
    ASSERT_NE(from, nullptr);
    EXPECT_EQ(from->iface, b.iface);
    EXPECT_EQ(std::string(net_iface_get_address(b.iface, from)),
              "127.0.0.1:" + std::to_string(a.address->port));

    // The answer goes back to the address and channel the packet came from.
    const char reply[] = "pong";
    const net_gather_t answer = {reply, 4};
    ASSERT_EQ(net_sock_sendtov(sb, &answer, 1, 1, id, from), 4);
    net_address_release(from);
    ASSERT_TRUE(pump_until(a.iface->handle, [&] { return net_sock_avail(sa) >= 0; }));
    char text[8] = {};
    EXPECT_EQ(net_sock_recvfrom(sa, text, sizeof text, &id, nullptr), 4);
    EXPECT_STREQ(text, "pong");
    EXPECT_EQ(id, 2);
}

TEST_F(net_udp, packets_longer_than_one_datagram_are_refused) {
    const std::vector<uint8_t> data = pattern(NET_DATAGRAM_PAYLOAD_MAX + 1);
    const net_gather_t too_long = {data.data(), NET_DATAGRAM_PAYLOAD_MAX + 1};
    EXPECT_EQ(net_sock_sendv(sa, &too_long, 1, 1), -1);
    EXPECT_TRUE(messages.contains("[net] packet of 10234 bytes refused: at most 10233 fit"));
    EXPECT_TRUE(sa->send_first.is_empty());

    // The longest that fits arrives whole.
    const net_gather_t longest = {data.data(), NET_DATAGRAM_PAYLOAD_MAX};
    ASSERT_EQ(net_sock_sendv(sa, &longest, 1, 1), int(NET_DATAGRAM_PAYLOAD_MAX));
    ASSERT_TRUE(pump_until(b.iface->handle, [&] { return net_sock_avail(sb) >= 0; }));
    std::vector<uint8_t> got(NET_DATAGRAM_MAX);
    ASSERT_EQ(net_sock_recv(sb, got.data(), int(got.size())), int(NET_DATAGRAM_PAYLOAD_MAX));
    got.resize(NET_DATAGRAM_PAYLOAD_MAX);
    EXPECT_EQ(got, std::vector<uint8_t>(data.begin(), data.end() - 1));
}

// A plain datagram socket of the platform on 127.0.0.1, to see and make raw datagrams.
class raw_socket_t {
public:
    raw_socket_t() {
        handle = platform::datagram_open();
        platform::ipv4_endpoint_t local;
        local.address[0] = 127;
        local.address[3] = 1;
        EXPECT_TRUE(platform::datagram_bind(handle, local));
        EXPECT_TRUE(platform::datagram_local(handle, &here));
    }
    ~raw_socket_t() { platform::datagram_close(handle); }

    std::vector<uint8_t> receive() {
        std::vector<uint8_t> out(NET_DATAGRAM_MAX + 16);
        if (!platform::datagram_wait(handle, 2000)) return {};
        const int64_t n = platform::datagram_receive(handle, out.data(), out.size(), nullptr);
        out.resize(n > 0 ? size_t(n) : 0);
        return out;
    }
    void send(const std::vector<uint8_t> &bytes, uint16_t port) {
        platform::ipv4_endpoint_t to;
        to.address[0] = 127;
        to.address[3] = 1;
        to.port = port;
        EXPECT_EQ(platform::datagram_send_to(handle, bytes.data(), bytes.size(), to), int64_t(bytes.size()));
    }

    int handle;
    platform::ipv4_endpoint_t here;
};

TEST_F(net_udp, datagrams_carry_a_little_endian_header_and_the_first_list_goes_first) {
    raw_socket_t raw;
    net_address_t *to_raw = net_iface_saddr_alloc(a.iface);
    ASSERT_EQ(net_iface_set(a.iface, to_raw, "loop", raw.here.port), 0);
    ASSERT_EQ(net_sock_bind(sa, 0x0102), 0);
    const std::vector<uint8_t> data = pattern(300);
    const net_gather_t list = {data.data(), 300};
    const uint8_t byte = 0xAB;
    const net_gather_t one = {&byte, 1};
    // Queued second list first; the first list still leaves first.
    ASSERT_EQ(net_sock_sendtov(sa, &one, 1, 0, 0x0506, to_raw), 1);
    ASSERT_EQ(net_sock_sendtov(sa, &list, 1, 1, 0x1234, to_raw), 300);
    net_iface_saddr_free(a.iface, to_raw);  // the packets hold it still
    // Closing writes both lists out.
    net_sock_close(sa);

    std::vector<uint8_t> first = raw.receive();
    ASSERT_EQ(first.size(), 307u);
    EXPECT_EQ(std::vector<uint8_t>(first.begin(), first.begin() + 7),
              (std::vector<uint8_t>{0x34, 0x12, 0x02, 0x01, 0x2C, 0x01, 1}));
    EXPECT_EQ(std::vector<uint8_t>(first.begin() + 7, first.end()), data);
    EXPECT_EQ(raw.receive(), (std::vector<uint8_t>{0x06, 0x05, 0x02, 0x01, 0x01, 0x00, 0, 0xAB}));
    EXPECT_EQ(sa->address, nullptr);
    EXPECT_EQ(a.iface->address_count, 2) << "to_raw went back with its last packet";
}

TEST_F(net_udp, broken_or_unclaimed_datagrams_are_dropped_and_the_next_still_arrives) {
    raw_socket_t raw;
    raw.send({1, 2, 3}, b.address->port);
    raw.send({2, 0, 9, 0, 5, 0, 0, 'x'}, b.address->port);  // announces 5 bytes, has 1
    raw.send({}, b.address->port);                          // empty
    raw.send({7, 0, 9, 0, 1, 0, 0, 'y'}, b.address->port);  // channel 7: nobody there
    raw.send({2, 0, 9, 0, 2, 0, 1, 'o', 'k'}, b.address->port);
    ASSERT_TRUE(pump_until(b.iface->handle, [&] { return net_sock_avail(sb) >= 0; }));
    char text[4] = {};
    int id = 0;
    EXPECT_EQ(net_sock_recvfrom(sb, text, 3, &id, nullptr), 2);
    EXPECT_STREQ(text, "ok");
    EXPECT_EQ(id, 9);
    EXPECT_TRUE(messages.contains("dropped: shorter than a header"));
    EXPECT_TRUE(messages.contains("dropped: the header announces another length"));
    EXPECT_EQ(b.iface->address_count, 1) << "every sender's address went back";
}

TEST_F(net_udp, an_interface_freed_while_added_leaves_the_list) {
    net_iface_t *c = net_iface_alloc("udp");
    ASSERT_EQ(net_iface_create(c), 0);
    net_iface_add(c);
    net_iface_add(c);
    EXPECT_TRUE(process->has_iface(c));
    const int holds = process->hold_count;
    net_iface_free(c);
    EXPECT_FALSE(process->has_iface(c));
    EXPECT_EQ(process->hold_count, holds - 2) << "the list's hold and the interface's own";
    net_iface_del(a.iface);
    net_iface_del(a.iface);
    EXPECT_FALSE(process->has_iface(a.iface));
    EXPECT_EQ(process->hold_count, holds - 3) << "a second removal lets go of nothing";
    net_iface_add(a.iface);
}

}  // namespace
}  // namespace quarn::test
