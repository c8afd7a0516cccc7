#include "kernel/gfx/screenshot.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

uint32_t counter = 0;

// Where libpng's output goes: the open file, and whether a write failed (later
// writes are skipped).
struct png_sink_t {
    file_t *file;
    bool failed;
};

void sink_write(png_structp png, png_bytep data, size_t length) {
    png_sink_t *sink = static_cast<png_sink_t *>(png_get_io_ptr(png));
    if (sink->failed) return;
    if (length > UINT32_MAX || !sink->file->write(data, uint32_t(length))) sink->failed = true;
}

void sink_flush(png_structp) {}

// The part that runs under libpng's error return. Only plain data lives here: a
// longjmp out of libpng must not skip a destructor.
bool write_under_error_return(png_structp png, png_infop info, const r_image_t *image, png_bytep *rows,
                              png_sink_t *sink) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, sink, sink_write, sink_flush);
    png_set_IHDR(png, info, image->width, image->height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (uint32_t i = 0; i < image->height; ++i) rows[i] = image->pixels + size_t(i) * image->width * 3;
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool png_write_image(file_t &file, const r_image_t &image) {
    // libpng refuses a structure made for another version than its own, and no
    // screenshot would be written: the header's own version is asked for.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        error("[png] Failed to configure libpng library.");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error("[png] Failed to configure libpng library for image writing.");
        return false;
    }
    png_bytep *rows = static_cast<png_bytep *>(qrncore_system_new_vector(sizeof(png_bytep) * (image.height + 1u)));
    png_sink_t sink{&file, false};
    const bool written = rows && image.pixels && write_under_error_return(png, info, &image, rows, &sink);
    png_destroy_write_struct(&png, &info);
    if (rows) qrncore_system_delete_vector(rows);
    if (!written) return false;
    if (sink.failed) {
        error("[png] Error writing screenshot file.");
        return false;
    }
    return true;
}

bool screenshot_name(char *out, size_t size, const char *pattern, uint32_t number) {
    if (size == 0) return false;
    size_t n = 0;
    bool used = false;
    auto put = [&](char c) {
        if (n + 1 >= size) return false;
        out[n++] = c;
        return true;
    };
    for (const char *p = pattern; *p; ++p) {
        if (*p != '%') {
            if (!put(*p)) return false;
            continue;
        }
        ++p;
        if (*p == '%') {
            if (!put('%')) return false;
            continue;
        }
        const bool zero = *p == '0';
        if (zero) ++p;
        unsigned width = 0;
        while (*p >= '0' && *p <= '9' && width < 100) width = width * 10 + unsigned(*p++ - '0');
        if (*p != 'u' || used) return false;
        used = true;
        char digits[16];
        const int len = snprintf(digits, sizeof digits, "%u", number);
        for (unsigned pad = unsigned(len); pad < width; ++pad)
            if (!put(zero ? '0' : ' ')) return false;
        for (int i = 0; i < len; ++i)
            if (!put(digits[i])) return false;
    }
    out[n] = 0;
    return true;
}

uint32_t screenshot_counter() { return counter; }

void screenshot_set_counter(uint32_t number) { counter = number; }

}  // namespace quarn

using namespace quarn;

bool screenshot_save(const r_image_t *image, const char *pattern) {
    while (counter < SCREENSHOT_LIMIT) {
        char name[FS_PATH_MAX];
        if (!screenshot_name(name, sizeof name, pattern, counter)) {
            error("Bad screenshot file name pattern '%s'.", pattern);
            return false;
        }
        ++counter;
        fs_stat_t st;
        if (fs_stat(name, &st, FS_REALM_VIRTUAL)) continue;
        auto_ptr_t<file_t> file(fs_create(name, FS_REALM_VIRTUAL));
        if (!file) {
            error("Unable to create screenshot file '%s'.", name);
            return false;
        }
        if (!png_write_image(*file, *image)) {
            error("Error writing screenshot image '%s'.", name);
            return false;
        }
        message("Screenshot written: '%s'.", name);
        return true;
    }
    error("Refusing to create more screenshot images. (%u limit exceeded)", SCREENSHOT_LIMIT);
    return false;
}
