#pragma once
// What the screens ask about the scene and of the game process.
//
// Screens tell a hunt from a menu by the unit type the current controller derives
// from, found by its registered name ("hunt_ctrl", "menu_ctrl"), so they build and
// run whether or not those classes are linked: without such a type nothing is one.
//
// Pausing the hunt, ending the loading splash, the graphics mode, the language and web
// links are the game process's; the screens reach them through screen_process_t,
// which the game process implements and installs (set_screen_process) while it runs.
// Without one, pausing does nothing and the splash is ended through the UI layer
// alone. (The other way round, the game process reaches the loading screen's handler
// through loading_screen_t, loading_screen.h.)
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"

namespace quarn {

class base_ctrl_u;

inline constexpr char HUNT_CTRL_TYPE[] = "hunt_ctrl";
inline constexpr char MENU_CTRL_TYPE[] = "menu_ctrl";

// True when the controller's type is the registered type of that name or derives
// from it; false for null, or when the controller's bank has no such type.
bool ctrl_derives_from(const base_ctrl_u *ctrl, const char *type_name);
// The current controller (get_current_ctrl) is a hunt / a menu controller.
bool current_ctrl_is_hunt();
bool current_ctrl_is_menu();

class screen_process_t {
public:
    // While paused the game process skips the controller's update.
    virtual void set_paused(bool paused) = 0;
    // The flag set_paused left (false unless the process keeps one).
    virtual bool is_paused() const { return false; }
    // Ends the loading splash: the UI splash cleared, the loading window removed, the
    // controller running.
    virtual void close_splash() = 0;
    // Asks for a graphics mode switch at the next frame; false for a mode line that
    // does not parse.
    virtual bool request_mode(const char *driver, const char *device, const char *mode_line, bool fullscreen) = 0;
    // Loads the texts of the language; the UI renders again at the next frame.
    virtual void set_language(const char *language) = 0;
    // Opens the translation of the key in the web browser.
    virtual void open_link(const char *key) = 0;
    // The game process's last step in seconds (0 before its first).
    virtual double get_process_time() const { return 0.0; }
    // Frames per second averaged over the hunt's frames; negative: not measured.
    virtual float get_average_fps() const { return -1.0f; }
    // Appends the 1-based numbers of the rounds of the progression played on the map;
    // true when the progression holds any round at all (the list may stay empty).
    virtual bool find_rounds_on_map(const char *map_name, array_dyn_t<uint32_t> &rounds) const {
        (void)map_name;
        (void)rounds;
        return false;
    }

protected:
    ~screen_process_t() = default;
};

// The process the screens talk to; null lets go.
void set_screen_process(screen_process_t *process);
screen_process_t *get_screen_process();

// Through the installed process: nothing without one.
void screens_set_paused(bool paused);
// Through the installed process: false without one.
bool screens_is_paused();
// Through the installed process: nothing without one (logged for the link).
void screens_open_link(const char *key);
// Through the installed process: 0 without one.
double screens_process_time();
// Through the installed process: negative (not measured) without one.
float screens_average_fps();
// Through the installed process: false, nothing appended, without one.
bool screens_find_rounds_on_map(const char *map_name, array_dyn_t<uint32_t> &rounds);
// Through the installed process; without one the UI splash is cleared and the window
// "splash"/"load" removed.
void screens_close_splash();

}  // namespace quarn
