#include "outside/qrnshared/r_proto.h"

#include "qrncore/system/messages.h"

namespace quarn {

r_packet_t::r_packet_t() = default;

void r_packet_t::release() {
    V_ASSERT(ref_count > 0);
    if (--ref_count == 0 && free_fn) free_fn(this);
}

void r_proto_t::free() {
    for (r_packet_t *&p : packets) {
        if (p) p->release();
        p = nullptr;
    }
    if (index_packet) index_packet->release();
    index_packet = nullptr;
}

bool r_proto_t::set_vpacket(uint32_t i, r_packet_t *packet) {
    if (i >= MAX_PACKETS) return false;
    if (packet) packet->add_ref();
    if (packets[i]) packets[i]->release();
    packets[i] = packet;
    return true;
}

void r_proto_t::set_ipacket(r_packet_t *packet) {
    if (packet) packet->add_ref();
    if (index_packet) index_packet->release();
    index_packet = packet;
}

}  // namespace quarn
