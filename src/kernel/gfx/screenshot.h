#pragma once
// Numbered screenshots: a captured frame written as a PNG file of the virtual file
// system under the first free number of a name pattern. The number lives for the run:
// after number 3 was written the next screenshot starts looking at number 4.
#include <cstdint>

#include "kernel/api.h"
#include "outside/visbase/render.h"

namespace quarn {

class file_t;

constexpr uint32_t SCREENSHOT_LIMIT = 100000;
// The pattern the game's capture hook uses.
constexpr const char SCREENSHOT_PATTERN[] = "/home/screenshots/fernwold_%05u.png";

// Writes the image (RGB, 8 bits a channel, rows from the top) as a PNG through file.
// False (logged) when libpng cannot be set up, refuses the image or a write fails.
bool png_write_image(file_t &file, const r_image_t &image);
// The pattern with its one "%u" conversion (flags "0" and a width allowed, "%%" for
// "%") filled with number; false when the pattern holds another conversion or the
// name does not fit.
bool screenshot_name(char *out, size_t size, const char *pattern, uint32_t number);
// The next number tried, and setting it (tests).
uint32_t screenshot_counter();
void screenshot_set_counter(uint32_t number);

}  // namespace quarn

extern "C" {
// Writes the image under the first free name of pattern, from the run's counter on.
// False (logged) when the file cannot be created or written, or when the counter has
// reached 100000.
KERNEL_API bool screenshot_save(const quarn::r_image_t *image, const char *pattern);
}
