#pragma once
// The console that screen tests stand in for: the variables the screens read (a value
// is set on a variable the kernel already has, else the variable is registered for the
// test), recorders of the commands "menu", "init_round" and "quit" (each run is noted
// as its line, in `commands`), and a home folder mounted at "/home".
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "kernel/console/commands.h"
#include "kernel/console/cvars.h"

namespace quarn {
class fs_device_t;
}

namespace quarn::test {

class screen_console_t {
public:
    struct var_default_t {
        const char *name, *value;
    };

    // False when the home folder could not be mounted.
    bool set_up(std::initializer_list<var_default_t> variables, const std::string &home_folder);
    void tear_down();

    static inline std::vector<std::string> commands;
    // Called with each recorded line before it is noted; may add to it.
    static inline void (*annotate)(std::string &line) = nullptr;

private:
    static int record_command(const cmd_context_t *c);

    std::vector<std::unique_ptr<cvar_t>> m_vars;
    cmd_t m_menu{"menu", &record_command};
    cmd_t m_quit{"quit", &record_command};
    cmd_t m_init_round{"init_round", &record_command};
    fs_device_t *m_home = nullptr;
};

}  // namespace quarn::test
