#pragma once
// The game's 17 console commands, all on the game process's queue (queue 1), so they
// run between frames from the game process's own frame. "screensaver" and "quit" are
// registered always, the other 15 only outside the screensaver. Commands marked as
// the process's call a method of the game process and fail with -3 when there is
// none. Usage texts and messages are the exact texts of docs/game-process.md.
#include <cstdint>

namespace quarn {

class base_ctrl_u;
class cmd_t;

// Registers the commands with the kernel for queue 1 (in the documented order).
void register_game_commands(bool screensaver);
// Takes every registered game command out of the kernel's list.
void unregister_game_commands();
// The records in registration order (17); null past the end.
cmd_t *game_command(uint32_t index);
constexpr uint32_t GAME_COMMAND_COUNT = 17;

// "animalcam": the index of the animal an argument names among the controller's
// animals: the first of that name, else the argument read as a whole decimal number
// below the count. -1 when neither fits (also for a text that is not a whole number).
int32_t game_find_animal(base_ctrl_u *ctrl, const char *argument);

}  // namespace quarn
