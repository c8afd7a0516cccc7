#pragma once
// window_desc_t: a row of the game's window table, naming a window of the UI layer by
// group and name, with the flags it is inserted and shown with and its layout. The
// front-end session opens, shows and finds windows by such rows.
#include <cstdint>

namespace quarn {

struct window_desc_t {
    const char *group;
    const char *name;
    uint32_t insert_flags;
    uint32_t show_flags;
    const char *layout;
};

// The windows the game data shows: the end of a single game, and the standings
// between the rounds of a party game.
inline constexpr window_desc_t WINDOW_GAME_FINISHED = {"game", "finished", 0, 0, "/ui/gfinished.esc"};
inline constexpr window_desc_t WINDOW_DIALOG_MATCHROUND = {"dialog", "matchround", 0, 0, "/ui/gmatchround.esc"};

// The hunt's windows: the in-game HUD and the result of a round.
inline constexpr window_desc_t WINDOW_GAME_HUD = {"game", "hud", 0, 0, "/ui/ghud.esc"};
inline constexpr window_desc_t WINDOW_GAME_ROUND = {"game", "round", 0, 0, "/ui/ground.esc"};
// The round's intro screen over the trail camera's flight.
inline constexpr window_desc_t WINDOW_GAME_START_ROUND = {"game", "start_round", 0, 0, "/ui/gstart.esc"};
// What may follow a round's result: the retry offer after a lost round, the bonus
// choice before a round that unlocks one, and the tip to lower the picture settings.
inline constexpr window_desc_t WINDOW_GAME_HUB = {"game", "hub", 0, 0, "/ui/ghub.esc"};
inline constexpr window_desc_t WINDOW_GAME_BONUS = {"game", "bonus", 0, 0, "/ui/gbonus.esc"};
inline constexpr window_desc_t WINDOW_PERFORMANCE = {"menu", "performance", 0, 0, "/ui/mperformance.esc"};

// The screens around loading and idling: the loading screen (the game process's
// show_loading) and the screen over the screensaver's scene.
inline constexpr window_desc_t WINDOW_SPLASH_LOAD = {"splash", "load", 0, 0, "/ui/sload.esc"};
inline constexpr window_desc_t WINDOW_SCREENSAVER_MAIN = {"screensaver", "main", 0, 0, "/ui/mscreensaver.esc"};
// The yes/no questions of the confirm dialog: the online upload of a score, leaving
// a hunt, and resetting the high scores.
inline constexpr window_desc_t WINDOW_DIALOG_WEBUPLOAD = {"dialog", "webupload", 0, 0, "/ui/gwebupload.esc"};
inline constexpr window_desc_t WINDOW_DIALOG_FORFEITGAME = {"dialog", "forfeitgame", 0, 0, "/ui/gforfeitgame.esc"};
inline constexpr window_desc_t WINDOW_DIALOG_RESETSCORE = {"dialog", "resetscore", 0, 0, "/ui/mresetscore.esc"};
// The front end: the start screen, the menu screens (one of the group "menu" shows at a
// time) and the name entry for a new high score.
inline constexpr window_desc_t WINDOW_START_SCREEN = {"splash", "start", 0, 0, "/ui/sstart.esc"};
inline constexpr window_desc_t WINDOW_MAIN_MENU = {"menu", "main", 0, 0, "/ui/mmain.esc"};
inline constexpr window_desc_t WINDOW_HIGHSCORES = {"menu", "highscore", 0, 0, "/ui/mhighscore.esc"};
inline constexpr window_desc_t WINDOW_CREDITS = {"menu", "credits", 0, 0, "/ui/mcredits.esc"};
inline constexpr window_desc_t WINDOW_HELP = {"menu", "help", 0, 0, "/ui/mhelp.esc"};
inline constexpr window_desc_t WINDOW_PLAY_MENU = {"menu", "play", 0, 0, "/ui/mplay.esc"};
inline constexpr window_desc_t WINDOW_OPTIONS = {"menu", "options", 0, 0, "/ui/moptions.esc"};
inline constexpr window_desc_t WINDOW_PARTY_SETUP = {"menu", "partymode", 0, 0, "/ui/mparty.esc"};
inline constexpr window_desc_t WINDOW_QUIT = {"menu", "quit", 0, 0, "/ui/mquit.esc"};
inline constexpr window_desc_t WINDOW_GAME_ROSTER = {"game", "roster", 0, 0, "/ui/groster.esc"};
// The scene's colour flash: beneath every ordinary window, taking no input.
inline constexpr window_desc_t WINDOW_SYSTEM_FLASHER = {"system", "flasher", 20, 0, "/ui/gflash.esc"};
// The marker over an animal: group and name are formats that the marker numbers
// ("game7"/"animal7"), so every marker has a window of its own; passive, beneath.
inline constexpr window_desc_t WINDOW_GAME_ANIMAL = {"game%u", "animal%u", 52, 0, "/ui/ganimal.esc"};

}  // namespace quarn
