#include "platform/datagram.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace quarn::platform {

namespace {

// The engine is single-threaded; these serve its one thread.
int last_errno = 0;
std::vector<int> open_handles;

bool fail() {
    last_errno = errno;
    return false;
}

sockaddr_in to_native(const ipv4_endpoint_t &e) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(e.port);
    std::memcpy(&sa.sin_addr.s_addr, e.address, 4);
    return sa;
}

ipv4_endpoint_t from_native(const sockaddr_in &sa) {
    ipv4_endpoint_t e;
    std::memcpy(e.address, &sa.sin_addr.s_addr, 4);
    e.port = ntohs(sa.sin_port);
    return e;
}

bool is_open(int handle) {
    return handle >= 0 && std::find(open_handles.begin(), open_handles.end(), handle) != open_handles.end();
}

}  // namespace

int datagram_open() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        fail();
        return DATAGRAM_NONE;
    }
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        fail();
        ::close(fd);
        return DATAGRAM_NONE;
    }
    open_handles.push_back(fd);
    return fd;
}

void datagram_close(int handle) {
    // Only our own sockets: a stale handle must never close a descriptor that has
    // been reused for a file since.
    auto at = std::find(open_handles.begin(), open_handles.end(), handle);
    if (handle < 0 || at == open_handles.end()) return;
    open_handles.erase(at);
    ::close(handle);
}

bool datagram_bind(int handle, const ipv4_endpoint_t &local) {
    const sockaddr_in sa = to_native(local);
    if (bind(handle, reinterpret_cast<const sockaddr *>(&sa), sizeof sa) != 0) return fail();
    return true;
}

bool datagram_local(int handle, ipv4_endpoint_t *local) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(handle, reinterpret_cast<sockaddr *>(&sa), &len) != 0) return fail();
    if (sa.sin_family != AF_INET) {
        last_errno = EAFNOSUPPORT;
        return false;
    }
    *local = from_native(sa);
    return true;
}

int64_t datagram_send_to(int handle, const void *data, size_t length, const ipv4_endpoint_t &to) {
    const sockaddr_in sa = to_native(to);
    const ssize_t sent = sendto(handle, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&sa), sizeof sa);
    if (sent < 0) {
        fail();
        return -1;
    }
    return sent;
}

int64_t datagram_waiting(int handle) {
    // A peek with the real length rather than FIONREAD, which reads 0 for an empty
    // datagram just as for none: an empty one at the head would hide every datagram
    // behind it from a caller that only reads when something waits. Empty datagrams
    // carry nothing, so they are taken away here.
    for (;;) {
        char byte;
        const ssize_t n = recv(handle, &byte, 1, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
            fail();
            return -1;
        }
        if (n > 0) return n;
        if (recv(handle, &byte, 0, MSG_DONTWAIT) < 0) {
            fail();
            return -1;
        }
    }
}

int64_t datagram_receive(int handle, void *buffer, size_t size, ipv4_endpoint_t *from) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    const ssize_t got = recvfrom(handle, buffer, size, 0, reinterpret_cast<sockaddr *>(&sa), &len);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        fail();
        return -1;
    }
    if (from) *from = from_native(sa);
    return got;
}

bool datagram_wait(int handle, int msec) {
    if (!is_open(handle)) return false;
    pollfd p{handle, POLLIN, 0};
    const int n = poll(&p, 1, std::max(msec, 0));
    if (n < 0) return fail();
    return n > 0 && (p.revents & POLLIN) != 0;
}

const char *datagram_error_text() { return last_errno ? std::strerror(last_errno) : ""; }

int datagram_release_all() {
    const int count = int(open_handles.size());
    for (int fd : open_handles) ::close(fd);
    open_handles.clear();
    open_handles.shrink_to_fit();
    return count;
}

}  // namespace quarn::platform
