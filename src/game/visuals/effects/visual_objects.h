#pragma once
// The visual-object module: what registers the effects' classes and loader
// (docs/effects.md). visual_objects_register holds the memory manager's process
// (process_mm_lock), registers the ".btr" loader and, through a bindery, the console
// variable "p_profile_draws" and the unit types particle_gen, particle_set and
// tree_leaf_base; visual_objects_unregister undoes all of it in the same bindery's
// unregistering phase and lets the process go. The game module runs them in its
// rows REGISTER_VISUAL_OBJECTS and KILL_VISUAL_OBJECTS.
//
// The module also keeps the frame's visual-object pass: draws that belong after the
// scene, with the main camera's matrices already loaded (camera-facing debug texts,
// effects gathered over the whole scene). The game process runs it once a frame,
// between the controller's draw and its overlay pass, and flushes the shader
// library's queues after it.
#include <cstdint>

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

// One draw of the pass, with the pointer it was added with.
using visual_objects_pass_t = void (*)(void *user);
inline constexpr uint32_t VISUAL_OBJECTS_MAX_PASSES = 16;
// Adds a draw to the pass (run in the order added). The same function and user are
// kept once; false (logged "[effects]") for a null function or a full pass.
bool visual_objects_add_pass(visual_objects_pass_t pass, void *user);
// False when the pair was not in the pass.
bool visual_objects_remove_pass(visual_objects_pass_t pass, void *user);
uint32_t visual_objects_pass_count();
// Runs every draw of the pass. A draw must not add or remove draws while it runs.
void visual_objects_render();

}  // namespace quarn
