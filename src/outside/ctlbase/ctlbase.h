#pragma once
// Start and stop of the input layer (the input device base).
#define CTLBASE_API __attribute__((visibility("default")))

namespace quarn {

CTLBASE_API void ctlbase_init(void *main_module);
CTLBASE_API void ctlbase_shutdown();

}  // namespace quarn
