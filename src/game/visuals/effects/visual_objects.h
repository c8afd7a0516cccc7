#pragma once
// The visual-object module: what registers the effects' classes and loader
// (docs/effects.md). visual_objects_register holds the memory manager's process
// (process_mm_lock), registers the ".btr" loader and, through a bindery, the console
// variable "p_profile_draws" and the unit types particle_gen, particle_set and
// tree_leaf_base; visual_objects_unregister undoes all of it in the same bindery's
// unregistering phase and lets the process go. The game module runs them in its
// rows REGISTER_VISUAL_OBJECTS and KILL_VISUAL_OBJECTS.
namespace quarn {

class cvar_t;
class unit_bank_t;

// False when a step failed (the others still run); registering twice does nothing
// the second time.
bool visual_objects_register(unit_bank_t &bank);
void visual_objects_unregister();
bool visual_objects_registered();

// "p_profile_draws": registered for the draw profiling of the renderer; the effects
// do not read it.
cvar_t &visual_objects_profile_draws();

}  // namespace quarn
