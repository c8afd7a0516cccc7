#pragma once
// The game module "lib/game", compiled into the program. For now a small stand-in:
// it registers a guard process, and executing it starts a process "game" that ends
// the run after a few passes. The real game module replaces it.
#include "qrncore/system/dl_lib.h"

extern "C" __attribute__((visibility("default"))) quarn::dl_ops_t *game_get_dl_ops();
