// Hands arbitrary bytes to the network process as a datagram that arrived on an
// interface: header checks, packet assembly in chunks, delivery to the socket bound
// to the channel (0 and 1 are), and reading it back out.
#include <cstdint>
#include <cstring>
#include <vector>

#include "kernel/net/net_iface.h"
#include "kernel/net/net_process.h"
#include "kernel/net/net_socket.h"

namespace {

// An interface whose one waiting datagram is the fuzz input.
class input_iface_t : public quarn::net_iface_t {
public:
    int receive(quarn::net_address_t **address, void *buffer, int size) override {
        *address = nullptr;
        if (!input) return 0;
        *address = alloc_address();
        const size_t n = length < size_t(size) ? length : size_t(size);
        std::memcpy(buffer, input, n);
        input = nullptr;
        return int(n);
    }
    quarn::net_address_t *alloc_address() override { return new_address(quarn::NET_FAMILY_NONE); }
    void free_address(quarn::net_address_t *address) override { delete_address(address); }

    const uint8_t *input = nullptr;
    size_t length = 0;
};

struct world_t {
    world_t() {
        process = quarn::net_start();
        iface = new input_iface_t();
        for (int i = 0; i < 2; ++i) {
            sockets[i] = net_sock_alloc();
            net_sock_bind(sockets[i], i);
        }
    }
    quarn::net_process_t *process;
    input_iface_t *iface;
    quarn::net_socket_t *sockets[2];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static world_t world;
    std::vector<uint8_t> copy(data, data + size);
    world.iface->input = copy.data();
    world.iface->length = copy.size();
    world.process->receive_from(world.iface);
    std::vector<uint8_t> out(70000);
    for (auto *socket : world.sockets) {
        int id = 0;
        quarn::net_address_t *from = nullptr;
        while (net_sock_avail(socket) >= 0) {
            net_sock_recvfrom(socket, out.data(), int(out.size()), &id, &from);
            quarn::net_address_release(from);
        }
    }
    if (world.iface->address_count != 0) __builtin_trap();
    return 0;
}
