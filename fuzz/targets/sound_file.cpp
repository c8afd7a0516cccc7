// Feeds arbitrary bytes to the sound layer's file reader: WAV files by its own parser,
// Ogg Vorbis through libvorbisfile, both behind the one open. What opens is read from
// a few positions, past its end included.
#include <cstdint>
#include <vector>

#include "outside/sonbase/streamer.h"
#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/system/messages.h"

namespace {

// Messages are the reader's answers; nobody needs to see them.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    std::vector<uint8_t> bytes(data, data + size);
    quarn::auto_ptr_t<quarn::file_t> file = quarn::mem_file_bind(bytes.data(), uint32_t(bytes.size()));
    quarn::auto_ptr_t<quarn::sound::streamer_t> s =
        quarn::sound::streamer_t::open_file(static_cast<quarn::auto_ptr_t<quarn::file_t> &&>(file), "<fuzz>");
    if (!s) return 0;
    const uint64_t length = s->get_length();
    uint8_t out[4096];
    const uint64_t positions[] = {0, length / 2, length ? length - 1 : 0, length + 3};
    for (uint64_t p : positions) {
        s->request_data(out, p, sizeof out);
        s->request_done();
    }
    return 0;
}
