// Feeds arbitrary bytes to the TGA reader. The image and the destination are copies
// of exactly their sizes, so any read or write outside them is caught.
#include <cstdint>
#include <vector>

#include "qrncore/qrnutils/hbmp/tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    quarn::tga_header_t h;
    if (!quarn::tga_read_header(&h, image.data(), image.size())) {
        quarn::tga_decompress(nullptr, image.data(), image.size());
        return 0;
    }
    size_t bytes = size_t(quarn::tga_x_size(h)) * quarn::tga_y_size(h) * quarn::hbmp_pixel_size(quarn::tga_type(h));
    // Headers may claim gigabytes; the reader's bounds do not depend on the size.
    if (bytes > (size_t(1) << 24)) return 0;
    std::vector<uint8_t> pixels(bytes);
    quarn::tga_decompress(pixels.data(), image.data(), image.size());
    return 0;
}
