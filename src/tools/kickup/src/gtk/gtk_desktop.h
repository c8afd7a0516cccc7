#pragma once
// The launcher's desktop on GTK 3: the settings dialog, the screensaver preview inside
// a window of another program (X11), and message boxes. Messages go to standard error
// while no display can be opened.
#include <functional>

#include "../kickup.h"
#include "../message_host.h"

namespace quarn::kickup {

class gtk_dialog_view_t;

class gtk_desktop_t : public launcher_ui_t, public message_host_t {
public:
    bool open_display() override;
    void run_dialog(dialog_presenter_t &presenter, uint64_t parent) override;
    void run_preview(uint64_t window) override;

    void show_message(const std::string &text, const std::string &caption, message_icon_t icon) override;
    bool ask_yes_no(const std::string &text, const std::string &caption) override;

    // Called once the dialog is on screen, inside its loop: tests play the user here.
    std::function<void(gtk_dialog_view_t &)> on_shown;

private:
    int m_display = 0;  // 0 not tried, 1 open, -1 none
    gtk_dialog_view_t *m_view = nullptr;
};

}  // namespace quarn::kickup
