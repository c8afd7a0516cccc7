#pragma once
// The model source of the game's ".zba" resources: descriptors and animations come
// from the model library's resources (model_lib.h). Installed while the module is
// registered (its rows), so every behaviour file the game loads finds its model.
#include "game/ai/zba/zba_model_source.h"

namespace quarn {

class zba_model_library_source_t : public zba_model_source_t {
public:
    // The descriptor's item, with the reference the obtain function took.
    c_item_t *obtain_descriptor(const char *path) override;
    // Obtains the animation for its length and gives it back at once.
    bool animation_length(const char *path, float *seconds) override;
};

}  // namespace quarn
