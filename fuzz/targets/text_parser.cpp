// Drives every reading operation of the text parser over arbitrary bytes. The first
// byte picks a schedule of operations; the rest is the text, copied into a buffer of
// exactly its size so reads past the end are caught.
#include <cstdint>
#include <cstring>
#include <vector>

#include "qrncore/strings/text_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    uint8_t schedule = data[0];
    std::vector<char> text(data + 1, data + size);
    quarn::text_parser_t parser(text.data(), uint32_t(text.size()));
    char buf[1025];
    int32_t ints[4];
    float floats[8];
    for (int step = 0; step < 4096 && !parser.finished_reading(); ++step) {
        switch ((schedule + step) % 12) {
        case 0: parser.read_token(buf, 7); break;
        case 1: parser.read_line(buf, 16); break;
        case 2: parser.read_one_line(buf, 5); break;
        case 3: parser.read_int(ints, 2, (schedule >> 4) % 3 == 0 ? 0 : 16); break;
        case 4: parser.read_float(floats, 2); break;
        case 5: parser.read_vector(floats, 1, 8); break;
        case 6: parser.read_string(buf, 1 + schedule % 9, "\0 '\"|"[step % 5]); break;
        case 7: parser.measure_block(); break;
        case 8: parser.skip_block(); break;
        case 9: parser.read_char(); parser.undo_read(); parser.read_char(); break;
        case 10: parser.skip_spaces(); parser.skip_line(); break;
        default: parser.skip_whitespace(); parser.read_token(buf, 1024); break;
        }
    }
    return 0;
}
