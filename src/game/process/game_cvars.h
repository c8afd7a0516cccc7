#pragma once
// The game's 25 console variables (the settings read from the configuration files at
// start and stored in "/home/config.cfg" at exit, all but "fx_flat_factor") and what
// their hooks keep:
// - "g_zclip" accepts numbers from 0 to 1.01 and is the view-distance factor;
// - "g_grass_density" stores a negative number as 0 and marks the grass density as
//   changed (game/world/grass_flags.h) on every assignment;
// - "g_lang" changes the language: through the game process while it runs, through
//   the module while it is hosted;
// - "fx_flat_factor" (any value) is the effects' flat-shading factor.
#include <cstdint>

namespace quarn {

class cvar_t;

constexpr uint32_t GAME_CVAR_COUNT = 25;

// The records in their registration order.
cvar_t *game_cvar(uint32_t index);
// Registers the 25 records with the kernel in order.
void register_game_cvars();
// Registers the two the hosted module uses: "g_minicon" and "g_lang".
void register_hosted_cvars();
// Takes every game record out of the kernel's list.
void unregister_game_cvars();

// What the hooks keep.
float game_view_distance_factor();
float game_flat_factor();

}  // namespace quarn
