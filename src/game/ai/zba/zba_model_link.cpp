#include "game/ai/zba/zba_model_link.h"

#include "game/game_rows.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_lib.h"

namespace quarn {

c_item_t *zba_model_library_source_t::obtain_descriptor(const char *path) {
    model_desc_u *desc = model_desc_u_obtain(path);
    if (!desc) return nullptr;
    if (c_item_t *item = desc->get_item()) return item;
    // A descriptor without an item has no count to hand over.
    model_release(desc);
    return nullptr;
}

bool zba_model_library_source_t::animation_length(const char *path, float *seconds) {
    model_ref_t<model_anim_u> anim(model_anim_u_obtain(path));
    if (!anim) return false;
    *seconds = anim->get_length();
    return true;
}

namespace {

zba_model_library_source_t library_source;

bool install_source(const game_row_args_t &) {
    zba_set_model_source(&library_source);
    return true;
}

bool remove_source(const game_row_args_t &) {
    if (zba_get_model_source() == &library_source) zba_set_model_source(nullptr);
    return true;
}

}  // namespace
}  // namespace quarn

using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(behaviour_models,
                 game_row(game_step_t::REGISTER_BEHAVIOUR_LOADER, "zba_set_model_source", quarn::install_source),
                 game_row(game_step_t::KILL_BEHAVIOUR_LOADER, "zba_set_model_source(null)", quarn::remove_source));
