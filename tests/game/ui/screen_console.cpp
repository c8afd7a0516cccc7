#include "screen_console.h"

#include <filesystem>

#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn::test {

int screen_console_t::record_command(const cmd_context_t *c) {
    std::string line;
    for (uint32_t i = 0; i < c->argc(); ++i) line += (i ? " " : "") + std::string(c->argv(i));
    if (annotate) annotate(line);
    commands.push_back(line);
    return cmd_t::DONE;
}

bool screen_console_t::set_up(std::initializer_list<var_default_t> variables, const std::string &home_folder) {
    for (const var_default_t &v : variables) {
        if (cvar_t *existing = cvar_get(v.name)) {
            existing->set(v.value);
            continue;
        }
        m_vars.push_back(std::make_unique<cvar_t>(v.name, v.value));
        cvar_register_variable(m_vars.back().get());
    }
    commands.clear();
    cmd_register_command(&m_menu);
    cmd_register_command(&m_quit);
    cmd_register_command(&m_init_round);
    std::filesystem::create_directories(home_folder);
    m_home = ufs_mount(FS_DEVICE_DIRECTORY, home_folder.c_str(), "/home", false, 80);
    return m_home != nullptr;
}

void screen_console_t::tear_down() {
    cmd_unregister_command(&m_menu);
    cmd_unregister_command(&m_quit);
    cmd_unregister_command(&m_init_round);
    for (auto &v : m_vars) cvar_unregister_variable(v.get());
    m_vars.clear();
    if (m_home) ufs_unmount(m_home);
    m_home = nullptr;
    annotate = nullptr;
}

}  // namespace quarn::test
