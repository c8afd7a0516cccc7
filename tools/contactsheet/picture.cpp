#include "picture.h"

#include <png.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace contactsheet {

picture_t::picture_t(uint32_t w, uint32_t h, uint8_t r, uint8_t g, uint8_t b) : width(w), height(h) {
    rgb.resize(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
}

void picture_t::set(uint32_t x, uint32_t y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t *p = at(x, y);
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

namespace {

// libpng's simplified reader, whose state lives in the image record: it keeps no
// jump buffer of ours, and png_image_free releases whatever a failed step left.
class png_reader_t {
public:
    png_reader_t() {
        m_image.version = PNG_IMAGE_VERSION;
        m_image.opaque = nullptr;
    }
    ~png_reader_t() { png_image_free(&m_image); }
    png_reader_t(const png_reader_t &) = delete;
    png_reader_t &operator=(const png_reader_t &) = delete;
    png_image &image() { return m_image; }

private:
    png_image m_image{};
};

}  // namespace

bool read_png_bytes(const std::string &bytes, const std::string &name, picture_t &out, std::string &error) {
    png_reader_t reader;
    png_image &image = reader.image();
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        error = "'" + name + "' is no PNG picture (" + image.message + ")";
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > PICTURE_SIDE_MAX || image.height > PICTURE_SIDE_MAX) {
        error = "'" + name + "' is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                " pixels: a side must be 1 to " + std::to_string(PICTURE_SIDE_MAX);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    picture_t picture(image.width, image.height);
    // A black background under any alpha, so that nothing depends on memory.
    png_color black{0, 0, 0};
    if (!png_image_finish_read(&image, &black, picture.rgb.data(), 0, nullptr)) {
        error = "'" + name + "' does not read whole (" + image.message + ")";
        return false;
    }
    out = std::move(picture);
    return true;
}

bool read_png(const std::string &path, picture_t &out, std::string &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "'" + path + "' cannot be opened";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "'" + path + "' cannot be read";
        return false;
    }
    return read_png_bytes(bytes, path, out, error);
}

bool write_png(const std::string &path, const picture_t &picture, std::string &error) {
    if (picture.empty() || picture.rgb.size() != size_t(picture.width) * picture.height * 3) {
        error = "'" + path + "': a picture without pixels is not written";
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGB;
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
    if (!written) error = "'" + path + "' is not written (" + image.message + ")";
    png_image_free(&image);
    return written;
}

picture_t shrink(const picture_t &picture, uint32_t factor) {
    if (factor <= 1 || picture.empty()) return picture;
    // A larger factor gives 1 x 1 as well, and block ends stay far from overflowing.
    factor = std::min(factor, PICTURE_SIDE_MAX);
    const uint32_t w = (picture.width + factor - 1) / factor, h = (picture.height + factor - 1) / factor;
    picture_t out(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t sum[3] = {0, 0, 0}, count = 0;
            for (uint32_t sy = y * factor; sy < std::min(picture.height, (y + 1) * factor); ++sy)
                for (uint32_t sx = x * factor; sx < std::min(picture.width, (x + 1) * factor); ++sx) {
                    const uint8_t *p = picture.at(sx, sy);
                    for (int c = 0; c < 3; ++c) sum[c] += p[c];
                    ++count;
                }
            uint8_t *o = out.at(x, y);
            for (int c = 0; c < 3; ++c) o[c] = uint8_t((sum[c] + count / 2) / count);
        }
    return out;
}

}  // namespace contactsheet
