#include "launcher_state.h"

#include "disk_file.h"
#include "exceptions.h"
#include "platform/process.h"
#include "platform/user_dirs.h"
#include "string_table.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "kickup";

enum cvar_id_t {
    CVAR_DEVICE = 601,
    CVAR_PATH = 602,
    CVAR_MODE = 603,
    CVAR_FULLSCREEN = 604,
    CVAR_ACCELERATION = 605,
    CVAR_MIX_RATE = 606,
    CVAR_SOUND_DEVICE = 607,
    SOUND_DEVICE_NAME = 608,
    CVAR_QUALITY = 141,
};

std::string cvar(int id) { return load_resource_string(id); }

class system_spawner_t : public spawner_t {
public:
    bool spawn(const std::vector<std::string> &argv, const std::string &folder, bool wait) override {
        std::vector<const char *> args;
        for (const std::string &a : argv) args.push_back(a.c_str());
        args.push_back(nullptr);
        int code = 0;
        return platform::process_start(args.data(), folder.c_str(), wait, &code);
    }
};

}  // namespace

std::unique_ptr<spawner_t> system_spawner() { return std::make_unique<system_spawner_t>(); }

launcher_state_t::launcher_state_t(const std::string &launcher_path, machine_t &machine, spawner_t &spawner)
    : m_machine(machine), m_spawner(spawner), m_launcher_path(launcher_path) {
    load_launcher_registry(m_registry);
    find_game(m_launcher_path);
    if (!disk_file_readable(m_game)) find_game(m_registry.install_path);
    if (!disk_file_readable(m_game))
        throw base_exception_t(SOURCE_UNIT, __LINE__, "exception", "Quarn executable was not found:  [" + m_game + "]");

    // Without a documents folder the user folder is the root, as the game's would be.
    char folder[4096];
    m_user_folder = platform::user_documents_subdir(load_resource_string(109).c_str(), folder, sizeof folder)
                        ? std::string(folder) + "/"
                        : "/";
}

void launcher_state_t::find_game(const std::string &path) {
    const size_t slash = path.rfind('/');
    m_game_folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    m_game = m_game_folder + load_resource_string(153);
}

void launcher_state_t::create_specs() {
    std::unique_ptr<device_specs_t> specs = device_spec_build(m_machine, m_game_folder + "specs.settings");
    m_specs = std::move(specs);
    load_config_cvars();
}

void launcher_state_t::start_game() {
    std::vector<std::string> argv = {m_game};
    if (m_screensaver) {
        argv.push_back("-screensaver");
    } else {
        argv.push_back("-log");
        argv.push_back(m_user_folder + load_resource_string(200));
        if (m_registry.log_limit > 0) argv.push_back(std::to_string(m_registry.log_limit));
    }
    m_spawner.spawn(argv, m_game_folder, m_screensaver);
}

std::string launcher_state_t::preset_path(int32_t level) const {
    return m_game_folder + "quality" + std::to_string(level) + ".cfg";
}

void launcher_state_t::load_config_cvars() {
    try {
        m_config = config_file_t::load(config_path());
    } catch (const config_file_open_exception_t &) {
        m_config = config_file_t();
        return;
    }
    if (!m_specs) return;
    device_specs_t &specs = *m_specs;
    const config_file_t &c = m_config;
    // Each variable that has a line is applied; one that has none keeps the record's
    // value. A device, path or mode the hardware does not offer ends the seven.
    const struct {
        int id;
        void (*apply)(device_specs_t &, const config_file_t &, const std::string &);
    } cvars[] = {
        {CVAR_DEVICE,
         [](device_specs_t &s, const config_file_t &f, const std::string &n) {
             const std::string device = f.get_value(n);
             if (!device.empty()) return s.select_device(device);
             // The game's own default names no device: the first of the current type.
             for (const auto &d : s.devices())
                 if (d->device_type() == s.device_type()) return s.select_device(d->device_name());
         }},
        {CVAR_PATH, [](device_specs_t &s, const config_file_t &f, const std::string &n) { s.select_path(f.get_int(n)); }},
        {CVAR_MODE, [](device_specs_t &s, const config_file_t &f, const std::string &n) { s.select_mode(f.get_value(n)); }},
        {CVAR_FULLSCREEN,
         [](device_specs_t &s, const config_file_t &f, const std::string &n) { s.set_fullscreen(f.get_bool(n)); }},
        {CVAR_SOUND_DEVICE,
         [](device_specs_t &s, const config_file_t &f, const std::string &n) { s.set_sound_enabled(!f.get_value(n).empty()); }},
        {CVAR_ACCELERATION,
         [](device_specs_t &s, const config_file_t &f, const std::string &n) { s.set_sound_acceleration(f.get_bool(n)); }},
        {CVAR_MIX_RATE, [](device_specs_t &s, const config_file_t &f, const std::string &n) { s.set_mix_rate(f.get_int(n)); }},
    };
    try {
        for (const auto &v : cvars) {
            const std::string name = cvar(v.id);
            if (c.has_value(name)) v.apply(specs, c, name);
        }
    } catch (const bad_spec_exception_t &) {
    }
    const std::string quality = cvar(CVAR_QUALITY);
    if (c.has_value(quality)) {
        // Only a level the dialog can show replaces the rated one.
        const int32_t level = c.get_int(quality);
        if (level == QUALITY_CUSTOM || (level >= 0 && uint32_t(level) < specs.quality_count())) specs.set_quality_level(level);
    }
}

void launcher_state_t::set_cvars(config_file_t &file, const std::string &device, int32_t path, const std::string &mode,
                                 bool fullscreen, bool sound, bool acceleration, int32_t mix_rate) const {
    file.set_value(cvar(CVAR_DEVICE), device);
    file.set_int(cvar(CVAR_PATH), path);
    file.set_value(cvar(CVAR_MODE), mode);
    file.set_bool(cvar(CVAR_FULLSCREEN), fullscreen);
    file.set_value(cvar(CVAR_SOUND_DEVICE), sound ? load_resource_string(SOUND_DEVICE_NAME) : "");
    file.set_bool(cvar(CVAR_ACCELERATION), acceleration);
    file.set_int(cvar(CVAR_MIX_RATE), mix_rate);
}

void launcher_state_t::save_config_cvars() {
    if (!m_specs) return;
    const device_specs_t &s = *m_specs;
    config_file_t copy;
    copy.merge(m_config);
    if (s.quality_level() == QUALITY_CUSTOM) copy.set_value(cvar(CVAR_QUALITY), "-1");
    else copy.merge(config_file_t::load(preset_path(s.quality_level())));
    set_cvars(copy, s.current_device().device_name(), s.current_path_id(), display_mode_text(s.current_mode()),
              s.fullscreen(), s.sound_enabled(), s.sound_acceleration(), s.mix_rate());
    copy.save(config_path());
}

void launcher_state_t::write_default_config() {
    config_file_t copy;
    copy.merge(m_config);
    copy.merge(config_file_t::load(preset_path(0)));
    set_cvars(copy, "gl", 3, "800x600x16x0", true, true, false, 44100);
    copy.save(config_path());
}

}  // namespace quarn::kickup
