// Reads arbitrary bytes as a landscape file ("landscape.lnd"): when the view accepts
// them, every chunk's box and flags and every layer of every slot record are read (and
// one slot past the count, which must give the identity). The sanitizers stop any read
// outside the exact-size copy.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "game/world/landscape_file.h"
#include "qrncore/system/messages.h"

namespace {

class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    std::unique_ptr<uint8_t[]> image(new uint8_t[size ? size : 1]);
    if (size) memcpy(image.get(), data, size);
    quarn::landscape_file_view_t view;
    if (!view.open(image.get(), size, "/fuzz/landscape.lnd")) return 0;
    // Huge counts of tiny records are accepted only when the file holds them all.
    const uint32_t chunks = view.get_chunk_count(), slots = view.get_slot_count();
    if (uint64_t(chunks) * view.get_record_size() > size) abort();
    float sink = 0.0f;
    for (uint32_t c = 0; c < chunks; ++c) {
        const quarn::aabox_t box = view.get_chunk_box(c);
        for (int k = 0; k < 3; ++k)
            if (!std::isfinite(box.min[k]) || !std::isfinite(box.max[k])) abort();
        sink += float(view.has_collision(c)) + float(view.has_model(c));
        float layer[3];
        for (uint32_t s = 0; s < slots && s < 64; ++s)
            for (uint32_t l = 0; l < 3; ++l)
                if (view.get_slot_layer(c, s, l, layer)) sink += layer[0] + layer[1] + layer[2];
        if (view.get_slot_layer(c, slots, 0, layer) || layer[0] != 1.0f || layer[1] != 0.0f) abort();
    }
    volatile float keep = sink;
    (void)keep;
    return 0;
}
