#pragma once
// The grass's "density changed" flag. Assigning "g_grass_density" marks it; the grass
// takes it at its next draw, throws its cells away and generates them again around the
// last viewer. One flag for the module: the setting is global, whichever scene draws.
namespace quarn {

// Marks the density as changed (the variable's change hook).
void grass_mark_density_changed();
// True when the density changed since the last take; clears the flag.
bool grass_take_density_changed();
// The flag without clearing it.
bool grass_density_changed();

}  // namespace quarn
