#pragma once
// The launcher's one state: its registry values, the folders it works in, the game
// program, the configuration model and the current spec record. It also starts the
// game: a separate process told where to write its log and how large it may grow, or
// that it runs as a screensaver.
#include <memory>
#include <string>
#include <vector>

#include "config_file.h"
#include "device_specs.h"
#include "registry.h"

namespace quarn::kickup {

// Starts programs; the tests record what would have run.
class spawner_t {
public:
    virtual ~spawner_t() = default;
    // Starts argv (argv[0] the program) in folder ("": the current one), waiting for
    // it when asked. False when it cannot be started.
    virtual bool spawn(const std::vector<std::string> &argv, const std::string &folder, bool wait) = 0;
};

// Starts real processes (platform/process.h).
std::unique_ptr<spawner_t> system_spawner();

class launcher_state_t {
public:
    // Reads the registry, finds the game beside launcher_path (else where InstallPath
    // says) and makes the user folder. Throws base_exception_t "Quarn executable was
    // not found:  [path]" when the game is in neither place.
    launcher_state_t(const std::string &launcher_path, machine_t &machine, spawner_t &spawner);

    // The game folder is path up to its last "/" (with it; "./" without one), the game
    // that folder + "fernwold": the last component of path is always dropped.
    void find_game(const std::string &path);
    // Builds a new spec record from the machine and the game folder's "specs.settings"
    // and reads "config.cfg" into it. When building fails the old record stays and the
    // exception travels on.
    void create_specs();
    // Starts the game in its folder: {game, "-screensaver"} in screensaver mode (and
    // waits for it), else {game, "-log", <user folder>quarn3d.log[, LogLimit]}.
    // Failures are silent.
    void start_game();

    // Reads "config.cfg" into the model and the spec record: r_device, r_path, r_mode,
    // r_fullscreen, s_device, s_acceleration, s_mix_rate, then g_quality. A missing
    // file leaves the record as built; a variable without its line keeps the record's
    // value; a device, path or mode not offered ends the seven there.
    void load_config_cvars();
    // Writes the record's choices and the quality preset into "config.cfg".
    void save_config_cvars();
    // Writes the fresh defaults ("gl", path 3, "800x600x16x0", fullscreen, sound at
    // 44100 Hz) with preset 0, for a machine that cannot be probed.
    void write_default_config();

    launcher_registry_t &registry() { return m_registry; }
    bool screensaver_mode() const { return m_screensaver; }
    void set_screensaver_mode(bool on) { m_screensaver = on; }
    const std::string &launcher_path() const { return m_launcher_path; }
    const std::string &game_folder() const { return m_game_folder; }
    const std::string &game_executable() const { return m_game; }
    const std::string &user_folder() const { return m_user_folder; }
    std::string config_path() const { return m_user_folder + "config.cfg"; }
    std::string preset_path(int32_t level) const;
    const config_file_t &config() const { return m_config; }
    device_specs_t *specs() const { return m_specs.get(); }
    machine_t &machine() const { return m_machine; }
    spawner_t &spawner() const { return m_spawner; }

private:
    void set_cvars(config_file_t &file, const std::string &device, int32_t path, const std::string &mode,
                   bool fullscreen, bool sound, bool acceleration, int32_t mix_rate) const;

    machine_t &m_machine;
    spawner_t &m_spawner;
    launcher_registry_t m_registry;
    bool m_screensaver = false;
    std::string m_launcher_path;
    config_file_t m_config;
    std::string m_game_folder, m_game, m_user_folder;
    std::unique_ptr<device_specs_t> m_specs;
};

}  // namespace quarn::kickup
