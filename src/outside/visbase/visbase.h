#pragma once
// Start and stop of the graphics layer (render drivers, devices and contexts).
#define VISBASE_API __attribute__((visibility("default")))

namespace quarn {

VISBASE_API void visbase_init(void *main_module);
VISBASE_API void visbase_shutdown();

}  // namespace quarn
