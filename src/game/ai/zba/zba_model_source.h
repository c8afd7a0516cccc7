#pragma once
// zba_model_source_t: how a behaviour file reaches its model when it is initialised:
// the model descriptor it names and the natural length of each animation. The game's
// source goes to the model resources; tests give their own.
#include <cstdint>

namespace quarn {

class c_item_t;

class zba_model_source_t {
public:
    virtual ~zba_model_source_t() = default;

    // The model descriptor at path (a ".zmd" path of the virtual tree), loaded, with
    // one reference for the caller; null when it cannot be had.
    virtual c_item_t *obtain_descriptor(const char *path) = 0;
    // The animation at path (a ".zma" path) loaded: its length in seconds in *seconds.
    // False when it cannot be had.
    virtual bool animation_length(const char *path, float *seconds) = 0;
};

// The source that loads of ".zba" resources use; null (the default) fails every
// load at its model descriptor. The caller keeps the source alive while it is set.
void zba_set_model_source(zba_model_source_t *source);
zba_model_source_t *zba_get_model_source();

}  // namespace quarn
