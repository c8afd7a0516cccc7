#include "game/visuals/effects/visual_objects.h"

#include "game/game_rows.h"
#include "game/visuals/effects/kdop_resource.h"
#include "game/visuals/effects/merged_model.h"
#include "game/visuals/effects/particle_gen.h"
#include "game/visuals/effects/particle_set.h"
#include "game/visuals/effects/tree_leaf.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "outside/qrnshared/bindery.h"
#include "outside/qrnshared/cvar.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

namespace {

cvar_t profile_draws("p_profile_draws", "0");
unit_bank_t *registered_bank = nullptr;

// The frame's pass: a fixed table, so that nothing is allocated for it at start or
// left to free at exit.
struct pass_entry_t {
    visual_objects_pass_t pass;
    void *user;
};
pass_entry_t passes[VISUAL_OBJECTS_MAX_PASSES] = {};
uint32_t pass_count = 0;

int32_t find_pass(visual_objects_pass_t pass, void *user) {
    for (uint32_t i = 0; i < pass_count; ++i)
        if (passes[i].pass == pass && passes[i].user == user) return int32_t(i);
    return -1;
}

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

// ---- the frame's pass ----

bool visual_objects_add_pass(visual_objects_pass_t pass, void *user) {
    if (!pass) {
        error("[effects] A visual-object draw without a function is not added");
        return false;
    }
    if (find_pass(pass, user) >= 0) return true;
    if (pass_count == VISUAL_OBJECTS_MAX_PASSES) {
        error("[effects] The visual-object pass holds %u draws already: one more is not added",
              VISUAL_OBJECTS_MAX_PASSES);
        return false;
    }
    passes[pass_count++] = {pass, user};
    return true;
}

bool visual_objects_remove_pass(visual_objects_pass_t pass, void *user) {
    const int32_t at = find_pass(pass, user);
    if (at < 0) return false;
    for (uint32_t i = uint32_t(at); i + 1 < pass_count; ++i) passes[i] = passes[i + 1];
    passes[--pass_count] = {};
    return true;
}

uint32_t visual_objects_pass_count() { return pass_count; }

void visual_objects_render() {
    for (uint32_t i = 0; i < pass_count; ++i) passes[i].pass(passes[i].user);
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
