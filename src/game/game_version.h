#pragma once
// The game's version and build number, as the start-up log, the main menu and the
// console show them.
namespace quarn {

inline constexpr const char *GAME_VERSION = "1.52D";
inline constexpr const char *GAME_BUILD = "32571";

}  // namespace quarn
