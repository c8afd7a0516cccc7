#pragma once
// The launcher program: its command line and its tasks. The arguments, joined by
// single blanks, are read as switches after "-" or "/":
//
//   (none), /e  the settings dialog, then the game (or the game at once when
//               SuppressSetup is set)
//   /c[:N]      the dialog as the screensaver's settings (with window N as its parent:
//               the game is not started); without N the launcher runs itself again
//               with "/e" in front of its arguments
//   /p N        the screensaver's preview inside window N
//   /s          the game as a screensaver, waited for
//   /q          silent configuration: probe, rate and write "config.cfg"
//   /m          start the desktop's screen saver
//
// Switches are matched without regard to case; anything else does nothing. A window
// number is an X11 window id.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialog_presenter.h"
#include "launcher_state.h"

namespace quarn::kickup {

// What the launcher needs of the desktop: the dialog and the preview.
class launcher_ui_t {
public:
    virtual ~launcher_ui_t() = default;
    // Opens the display for a dialog or a preview; false when there is none.
    virtual bool open_display() = 0;
    // Runs the dialog over an opened presenter until it has a result. parent: an X11
    // window id, 0 for none; ignored where the display is not X11.
    virtual void run_dialog(dialog_presenter_t &presenter, uint64_t parent) = 0;
    // Draws the preview picture into a child of the X11 window until it goes away.
    virtual void run_preview(uint64_t window) = 0;
};

// The command line read into a task.
struct launcher_command_t {
    enum task_t { NOTHING, DEFAULT, PREVIEW, SETTINGS, RERUN, SCREENSAVER, QUIET, SCREEN_SAVER_NOW } task = NOTHING;
    bool has_window = false;
    uint64_t window = 0;
};

launcher_command_t parse_launcher_command(const std::vector<std::string> &args);

class launcher_app_t {
public:
    launcher_app_t(std::vector<std::string> args, std::string launcher_path, machine_t &machine, spawner_t &spawner,
                   launcher_ui_t &ui);

    // Does the task of the command line. 0, or 1 (with a line on standard error) when
    // the task needs the display and none opens.
    int run();

    // The launcher state, created on first use (it throws when the game is missing).
    launcher_state_t &state();

    // The settings dialog; after OK: SuppressSetup and "config.cfg" are written and,
    // unless in screensaver-settings mode, the game is started.
    int run_dialog(uint64_t parent);
    void rerun_with_e();
    void silent_configuration();

private:
    int do_task(const launcher_command_t &command);
    int no_display(const char *what);

    std::vector<std::string> m_args;
    std::string m_launcher_path;
    machine_t &m_machine;
    spawner_t &m_spawner;
    launcher_ui_t &m_ui;
    std::unique_ptr<launcher_state_t> m_state;
};

}  // namespace quarn::kickup
