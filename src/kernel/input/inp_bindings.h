#pragma once
// The input front-end's names and bindings (inp_bindings.cpp), as the rest of the
// front-end (input.cpp) calls them at boot and shutdown.
#include <cstdint>

#include "kernel/input/inp_state.h"

namespace quarn {

// Fills names and display texts of the triggers and the name table (boot).
bool inp_name_triggers(inp_state_t &state);
// Registers (phase 0) or unregisters (phase 1) the binding commands.
void inp_bind_commands(int phase);
// Rebuilds the name table's entry of one impulse name after a rename.
void inp_index_impulse_name(const char *name);
// Lower-cases name into key (16 bytes); false when it is empty or longer than 15.
bool inp_name_key(const char *name, char *key, uint32_t &length);

}  // namespace quarn
