#include <gtest/gtest.h>

#include <string>

#include "platform/datagram.h"

namespace quarn::platform {
namespace {

ipv4_endpoint_t loopback(uint16_t port = 0) {
    ipv4_endpoint_t e;
    e.address[0] = 127;
    e.address[3] = 1;
    e.port = port;
    return e;
}

// A socket bound to 127.0.0.1 on a port the system picks.
int bound_socket(ipv4_endpoint_t *here) {
    const int s = datagram_open();
    EXPECT_NE(s, DATAGRAM_NONE);
    EXPECT_TRUE(datagram_bind(s, loopback()));
    EXPECT_TRUE(datagram_local(s, here));
    EXPECT_NE(here->port, 0);
    return s;
}

TEST(platform_datagram, send_wait_and_receive_on_127_0_0_1) {
    ipv4_endpoint_t a_at, b_at;
    const int a = bound_socket(&a_at);
    const int b = bound_socket(&b_at);
    char buffer[16] = {};
    ipv4_endpoint_t from;
    EXPECT_EQ(datagram_waiting(b), 0);
    EXPECT_EQ(datagram_receive(b, buffer, sizeof buffer, &from), 0) << "nothing waits: no blocking";

    // An empty datagram first: it must not hide the one behind it.
    EXPECT_EQ(datagram_send_to(a, "", 0, b_at), 0);
    EXPECT_EQ(datagram_send_to(a, "hello", 5, b_at), 5);
    ASSERT_TRUE(datagram_wait(b, 2000));
    EXPECT_EQ(datagram_waiting(b), 5);
    EXPECT_EQ(datagram_receive(b, buffer, sizeof buffer, &from), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(from.port, a_at.port);
    EXPECT_EQ(from.address[0], 127);
    EXPECT_EQ(from.address[3], 1);

    // A short buffer takes what fits; the rest of that datagram is gone.
    EXPECT_EQ(datagram_send_to(a, "abcdef", 6, b_at), 6);
    ASSERT_TRUE(datagram_wait(b, 2000));
    EXPECT_EQ(datagram_receive(b, buffer, 2, nullptr), 2);
    EXPECT_EQ(datagram_waiting(b), 0);

    // A second socket can not take a port in use; the reason is kept.
    const int c = datagram_open();
    EXPECT_FALSE(datagram_bind(c, b_at));
    EXPECT_STRNE(datagram_error_text(), "");
    datagram_close(c);
    datagram_close(a);
    datagram_close(b);
}

TEST(platform_datagram, closing_touches_only_open_sockets_and_release_closes_the_rest) {
    ipv4_endpoint_t at;
    const int a = bound_socket(&at);
    datagram_close(a);
    datagram_close(a);
    datagram_close(DATAGRAM_NONE);
    EXPECT_FALSE(datagram_wait(a, 0));
    EXPECT_EQ(datagram_release_all(), 0);
    bound_socket(&at);
    bound_socket(&at);
    EXPECT_EQ(datagram_release_all(), 2);
    EXPECT_EQ(datagram_release_all(), 0);
}

}  // namespace
}  // namespace quarn::platform
