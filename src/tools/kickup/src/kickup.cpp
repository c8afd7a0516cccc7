#include "kickup.h"

#include <cstdio>

#include "blanks.h"
#include "exceptions.h"
#include "message_host.h"
#include "string_table.h"

namespace quarn::kickup {

namespace {

// In the order they are tried.
constexpr const char *SWITCHES[] = {"e", "p", "c", "s", "q", "m"};

}  // namespace

launcher_command_t parse_launcher_command(const std::vector<std::string> &args) {
    std::string text;
    for (size_t i = 0; i < args.size(); ++i) text += (i ? " " : "") + args[i];
    text = std::string(trim_blanks(text));
    for (char &ch : text) ch = ch >= 'A' && ch <= 'Z' ? char(ch + ('a' - 'A')) : ch;

    launcher_command_t command;
    if (text.empty()) {
        command.task = launcher_command_t::DEFAULT;
        return command;
    }
    size_t pos = 0;
    bool behind_e = false;
    std::string word;
    for (;;) {
        if (text[pos] != '-' && text[pos] != '/') return command;
        // A switch counts where its word first occurs in the text, right after the
        // "-" or "/" at hand.
        word.clear();
        for (const char *s : SWITCHES) {
            if (text.find(s) == pos + 1) {
                word = s;
                break;
            }
        }
        if (word.empty()) return command;
        if (word != "e") break;
        behind_e = true;
        pos = text.find_first_of("-/", pos + 1);
        if (pos == std::string::npos) {
            command.task = launcher_command_t::DEFAULT;
            return command;
        }
    }
    // The window: the first number from the third character on.
    const size_t digit = text.find_first_of("0123456789", 2);
    if (digit != std::string::npos) {
        command.has_window = true;
        for (size_t i = digit; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            command.window = command.window > (UINT64_MAX - 9) / 10 ? UINT64_MAX : command.window * 10 + uint64_t(text[i] - '0');
    }
    switch (word[0]) {
        case 'p': command.task = launcher_command_t::PREVIEW; break;
        // Behind "e" the launcher is the second run already.
        case 'c': command.task = behind_e ? launcher_command_t::SETTINGS : launcher_command_t::RERUN; break;
        case 's': command.task = launcher_command_t::SCREENSAVER; break;
        case 'q': command.task = launcher_command_t::QUIET; break;
        default: command.task = launcher_command_t::SCREEN_SAVER_NOW; break;
    }
    return command;
}

launcher_app_t::launcher_app_t(std::vector<std::string> args, std::string launcher_path, machine_t &machine,
                               spawner_t &spawner, launcher_ui_t &ui)
    : m_args(std::move(args)), m_launcher_path(std::move(launcher_path)), m_machine(machine), m_spawner(spawner),
      m_ui(ui) {}

launcher_state_t &launcher_app_t::state() {
    if (!m_state) m_state = std::make_unique<launcher_state_t>(m_launcher_path, m_machine, m_spawner);
    return *m_state;
}

int launcher_app_t::run() {
    try {
        return do_task(parse_launcher_command(m_args));
    } catch (const base_exception_t &e) {
        report_exception(e);
    } catch (...) {
        show_error(load_resource_string(112) + "\nUnknown Error");
    }
    return 0;
}

int launcher_app_t::no_display(const char *what) {
    fprintf(stderr, "launcher: no display to show the %s on\n", what);
    return 1;
}

int launcher_app_t::do_task(const launcher_command_t &command) {
    switch (command.task) {
        case launcher_command_t::NOTHING: return 0;
        case launcher_command_t::DEFAULT:
            if (state().registry().suppress_setup) {
                state().start_game();
                return 0;
            }
            return run_dialog(0);
        case launcher_command_t::PREVIEW:
            if (!command.has_window) return 0;
            if (!m_ui.open_display()) return no_display("screensaver preview");
            m_ui.run_preview(command.window);
            return 0;
        case launcher_command_t::RERUN: rerun_with_e(); return 0;
        case launcher_command_t::SETTINGS:
            if (command.has_window) state().set_screensaver_mode(true);
            return run_dialog(command.has_window ? command.window : 0);
        case launcher_command_t::SCREENSAVER:
            state().set_screensaver_mode(true);
            state().start_game();
            return 0;
        case launcher_command_t::QUIET: silent_configuration(); return 0;
        case launcher_command_t::SCREEN_SAVER_NOW:
            // As the desktop allows: silent when it cannot.
            m_spawner.spawn({"xdg-screensaver", "activate"}, "", true);
            return 0;
    }
    return 0;
}

int launcher_app_t::run_dialog(uint64_t parent) {
    launcher_state_t &s = state();
    if (!m_ui.open_display()) return no_display("settings dialog");
    dialog_presenter_t presenter(s);
    if (presenter.open()) m_ui.run_dialog(presenter, parent);
    if (presenter.result() != DIALOG_OK) return 0;
    try {
        save_suppress_setup(s.registry().suppress_setup);
        s.save_config_cvars();
    } catch (const base_exception_t &e) {
        report_exception(e);
    } catch (...) {
        show_error(load_resource_string(112) + "\nUnknown Error");
    }
    if (!s.screensaver_mode()) s.start_game();
    return 0;
}

void launcher_app_t::rerun_with_e() {
    std::vector<std::string> argv = {m_launcher_path, "/e"};
    argv.insert(argv.end(), m_args.begin(), m_args.end());
    try {
        m_spawner.spawn(argv, "", true);
    } catch (...) {
    }
}

void launcher_app_t::silent_configuration() {
    try {
        state().create_specs();
        state().save_config_cvars();
    } catch (const device_init_exception_t &) {
        try {
            state().write_default_config();
        } catch (const base_exception_t &e) {
            report_exception(e);
        }
        show_error_string(108);
    } catch (const base_exception_t &e) {
        report_exception(e);
    } catch (...) {
        show_error(load_resource_string(112) + "\nUnknown Error");
    }
}

}  // namespace quarn::kickup
