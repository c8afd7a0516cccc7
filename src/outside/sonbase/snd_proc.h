#pragma once
// The sound layer's process "__snd_proc". It does no work of its own each pass; its
// hold count is what keeps the layer's process alive while devices still use it
// (the kernel's process_hw_lock holds it with the renderer's and the input layer's).
#include "outside/qrnshared/vprocess.h"
#include "outside/sonbase/api.h"

namespace quarn {

// Starts the process and adds it to the kernel's scheduler, which owns it from then
// on. While it lives a second call returns it again. Null (logged) when the kernel
// has not been bound (sonbase_init) or memory runs out.
SONBASE_API vprocess_t *snd_proc_init();
// The process while it lives, else null.
SONBASE_API vprocess_t *snd_proc_get();

}  // namespace quarn
