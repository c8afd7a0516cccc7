// The model library's rows in the game module's registration table: its lock hooks
// and classes at registration, and, while the guard waits for its holds, the model
// resources nothing uses any more (each holds the guard while it is bound).
#include "game/game_rows.h"
#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"

namespace quarn {

namespace {

bool set_locks(const game_row_args_t &) {
    model_lib_set_lock_callbacks(game_module_lock, game_module_unlock);
    return true;
}

bool register_classes(const game_row_args_t &args) { return args.bank && model_register_classes(*args.bank); }

// Descriptors first: each lets go of its geometry, which then goes in the same pass.
// Runs on every pass while the guard waits.
bool release_resources(const game_row_args_t &) {
    const unit_descriptor_t *classes[] = {&model_desc_u::unit_descriptor, &model_geom_u::unit_descriptor,
                                          &model_coll_u::unit_descriptor, &model_anim_u::unit_descriptor};
    for (const unit_descriptor_t *d : classes) {
        _mm_mem_free_unreferenced(-1, d);
        mm_remove_unreferenced(-1, d);
    }
    return true;
}

}  // namespace

}  // namespace quarn

using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(models,
                 game_row(game_step_t::REGISTER_LOCK_MODELS, "model_lib_set_lock_callbacks", quarn::set_locks),
                 game_row(game_step_t::REGISTER_MODEL_CLASSES, "model_register_classes", quarn::register_classes),
                 game_row(game_step_t::DRAIN_MODELS, "model_release_unreferenced", quarn::release_resources));
