#include "game/visuals/effects/visual_objects.h"

#include "game/game_rows.h"
#include "game/visuals/effects/kdop_resource.h"
#include "game/visuals/effects/merged_model.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/tree_leaf.h"
#include "kernel/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/bindery.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

namespace {

cvar_t profile_draws("p_profile_draws", "0");
unit_bank_t *registered_bank = nullptr;

// One list for both phases.
bool bind_all(bindery_t &b, unit_bank_t &bank) {
    bool ok = b.update_cvar(profile_draws);
    for (const unit_descriptor_t *d :
         {&particle_gen_u::unit_descriptor, &particle_set_u::unit_descriptor, &tree_leaf_base::unit_descriptor})
        ok = b.update_class(bank, *d) && ok;
    return ok;
}

}  // namespace

cvar_t &visual_objects_profile_draws() { return profile_draws; }

bool visual_objects_registered() { return registered_bank != nullptr; }

bool visual_objects_register(unit_bank_t &bank) {
    if (registered_bank) return true;
    process_mm_lock();
    bool ok = mm_register_loader(&btr_loader());
    bindery_t b(bindery_t::REGISTER);
    ok = bind_all(b, bank) && ok;
    registered_bank = &bank;
    return ok;
}

void visual_objects_unregister() {
    if (!registered_bank) return;
    bindery_t b(bindery_t::UNREGISTER);
    bind_all(b, *registered_bank);
    registered_bank = nullptr;
    if (btr_loader().registered) mm_unregister_loader(&btr_loader());
    process_mm_unlock();
}

// ---- the game module's rows ----

namespace {

bool register_row(const game_row_args_t &args) { return args.bank && visual_objects_register(*args.bank); }

bool unregister_row(const game_row_args_t &) {
    visual_objects_unregister();
    return true;
}

}  // namespace

}  // namespace quarn

using quarn::game_class_row;
using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(visual_objects,
                 game_class_row(quarn::merged_model_u::unit_descriptor),
                 game_row(game_step_t::REGISTER_VISUAL_OBJECTS, "visual_objects_register", quarn::register_row),
                 game_row(game_step_t::KILL_VISUAL_OBJECTS, "visual_objects_unregister", quarn::unregister_row));
