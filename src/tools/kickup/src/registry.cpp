#include "registry.h"

#include <vector>

#include "exceptions.h"
#include "platform/settings_store.h"
#include "string_table.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "registry";
constexpr size_t INSTALL_PATH_SIZE = 512;

}  // namespace

registry_key_t registry_key_t::current_user() { return registry_key_t(""); }

registry_key_t registry_key_t::open(const std::string &name, bool read, bool write) const {
    const std::string path = m_path.empty() ? name : m_path + "\\" + name;
    // A key opened for writing needs nothing of the store yet.
    if (read && !write && !platform::settings_key_exists(path.c_str()))
        KICKUP_THROW(registry_read_exception_t, name);
    return registry_key_t(path);
}

bool registry_key_t::read_dword(const std::string &name, uint32_t *value) const {
    return platform::settings_read_number(m_path.c_str(), name.c_str(), value);
}

bool registry_key_t::read_bool(const std::string &name, bool *value) const {
    uint32_t v = 0;
    if (!read_dword(name, &v)) return false;
    *value = v != 0;
    return true;
}

bool registry_key_t::read_text(const std::string &name, std::string *value, size_t max_size) const {
    std::vector<char> buffer(max_size);
    if (max_size == 0 || !platform::settings_read_string(m_path.c_str(), name.c_str(), buffer.data(), max_size))
        return false;
    *value = buffer.data();
    return true;
}

bool registry_key_t::write_bool(const std::string &name, bool value) const {
    return platform::settings_write_number(m_path.c_str(), name.c_str(), value ? 1 : 0);
}

void load_launcher_registry(launcher_registry_t &values) {
    try {
        const registry_key_t key = registry_key_t::current_user()
                                       .open_read("Software")
                                       .open_read(load_resource_string(110))
                                       .open_read(load_resource_string(111));
        uint32_t limit = 0;
        if (key.read_dword("LogLimit", &limit)) values.log_limit = int32_t(limit);
        key.read_bool("SuppressSetup", &values.suppress_setup);
        key.read_text("InstallPath", &values.install_path, INSTALL_PATH_SIZE);
    } catch (const base_exception_t &) {
        // A missing key means the defaults.
    }
}

void save_suppress_setup(bool suppress_setup) {
    try {
        const registry_key_t key = registry_key_t::current_user()
                                       .open_write("Software")
                                       .open_write(load_resource_string(110))
                                       .open_write(load_resource_string(111));
        key.write_bool("SuppressSetup", suppress_setup);
    } catch (const base_exception_t &) {
    }
}

}  // namespace quarn::kickup
