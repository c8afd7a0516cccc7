#pragma once
// The UI effect hookup of the hosted module: the effect instances of
// "/script/hookup/0_uifx.unit" loaded into the default unit system and kept by the
// module (game_module_uifx_hookup) until its first stop stage. While the game process
// runs, the scene root loads the hookup files itself each time it is built.
namespace quarn {

inline constexpr const char *UIFX_HOOKUP_PATH = "/script/hookup/0_uifx.unit";

// Empties the module's hookup, then loads the file into it. A missing file or one
// that fails to load (the reader says why) leaves the hookup empty; the answer is
// true all the same, as the module goes on without effects.
bool uifx_load_hookup();

}  // namespace quarn
