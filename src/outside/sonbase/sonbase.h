#pragma once
// Start and stop of the sound layer (sound devices, buffers, channels, listener).
#define SONBASE_API __attribute__((visibility("default")))

namespace quarn {

SONBASE_API void sonbase_init(void *main_module);
SONBASE_API void sonbase_shutdown();

}  // namespace quarn
