#pragma once
// The settings dialog without a toolkit: every control by its id with its text,
// visibility, state, entries and selection, and the user's choices as methods. A view
// (the GTK one, or a test) mirrors the controls, forwards each choice through react()
// and refreshes; it decides nothing. Message boxes and the Yes/No question go through
// the message host.
//
// Two tabs: the overview (tab 0) shows the settings chosen for this machine, the
// configuration (tab 1) changes them. The dialog works on the spec record built when
// it opens; writing the configuration and starting the game happen after it closes
// with OK.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "launcher_state.h"

namespace quarn::kickup {

// Control ids.
enum dialog_control_t : int {
    ID_OK = 1,
    ID_CANCEL = 2,
    ID_TABS = 1005,
    ID_SUPPRESS_SETUP = 1019,
    // overview
    ID_OVERVIEW_RENDERER = 1017,
    ID_OVERVIEW_DEVICE = 1022,
    ID_OVERVIEW_QUALITY = 1029,
    ID_OVERVIEW_DETAILS = 1016,
    ID_OVERVIEW_RESOLUTION = 1015,
    ID_OVERVIEW_SOUND = 1027,
    ID_OVERVIEW_SOUND_RATE = 1026,
    // configuration
    ID_DEVICES = 1021,
    ID_PATHS = 1028,
    ID_QUALITY_0 = 1030,  // to ID_QUALITY_0 + 4
    ID_QUALITY_CUSTOM = 1035,
    ID_MODES = 1013,
    ID_FULLSCREEN = 1037,
    ID_WINDOWED = 1038,
    ID_SOUND = 1036,
    ID_ACCELERATION = 1012,
    ID_SOUND_RATES = 1014,
    ID_OPENGL = 1008,
    ID_DIRECTX = 1009,
};

enum dialog_result_t { DIALOG_OPEN, DIALOG_OK, DIALOG_CANCEL };

struct control_t {
    std::string label;  // the caption beside or above it, if any
    std::string text;
    bool shown = true;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> entries;
    int selection = -1;
};

class dialog_presenter_t {
public:
    explicit dialog_presenter_t(launcher_state_t &state);

    // Builds the spec record and sets both pages up. On failure the message is shown
    // and the dialog ends with Cancel: false.
    bool open();

    std::string title() const;
    const control_t &control(int id) const { return m_controls.at(id); }
    // The controls of a tab in the order a view lays them out.
    static const std::vector<int> &page_controls(int tab);
    int current_tab() const { return m_tab; }
    // The control that should have the keyboard focus; 0 for no change.
    int focus() const { return m_focus; }
    dialog_result_t result() const { return m_result; }

    // The user's choices.
    void select_tab(int tab);
    void choose_device(int entry);
    void choose_renderer(int32_t device_type);
    void choose_path(int entry);
    void choose_mode(int entry);
    void choose_fullscreen(bool fullscreen);
    void choose_quality(int level);
    void choose_sound(bool enabled);
    void choose_acceleration(bool on);
    void choose_rate(int entry);
    void choose_suppress_setup(bool checked);
    void ok();
    void cancel();

    // Runs a choice: an exception is shown (report_exception, or string 112 with
    // "\nUnknown Error") and the dialog stays open.
    void react(const std::function<void()> &choice);

private:
    control_t &c(int id) { return m_controls[id]; }
    device_specs_t &specs() { return *m_state.specs(); }
    void refresh_overview();
    void fill_configuration();
    void fill_devices();
    void fill_paths();
    void fill_modes();
    void set_fullscreen_buttons();
    void check_quality_button();
    void enable_sound_controls();
    void device_chosen();

    launcher_state_t &m_state;
    std::map<int, control_t> m_controls;
    int m_tab = 0;
    int m_focus = 0;
    dialog_result_t m_result = DIALOG_OPEN;
    // What the entries of the lists stand for.
    std::vector<render_device_t *> m_device_entries;
    std::vector<int32_t> m_path_entries;
    std::vector<display_mode_t> m_mode_entries;
};

// The texts the dialog shows for modes and paths.
std::string mode_display_text(const display_mode_t &mode);
std::string window_size_text(const display_mode_t &mode);
std::string render_path_text(const render_path_t &path);

}  // namespace quarn::kickup
