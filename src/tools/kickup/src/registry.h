#pragma once
// The launcher's registry values, kept in the per-user settings store
// (platform/settings_store.h) under "Software\TZK Software\Fernwold", which the game
// shares. registry_key_t opens keys and reads and writes values; a missing key on
// opening for reading throws, opening for writing always succeeds (a key comes into
// being with its first value).
#include <cstdint>
#include <string>

namespace quarn::kickup {

class registry_key_t {
public:
    // The user's root, under which every key lies.
    static registry_key_t current_user();

    // A sub-key: for reading it must exist (else registry_read_exception_t with the
    // sub-key's name); for writing it is taken as it is.
    registry_key_t open_read(const std::string &name) const { return open(name, true, false); }
    registry_key_t open_write(const std::string &name) const { return open(name, false, true); }
    registry_key_t open(const std::string &name, bool read, bool write) const;

    // Reads report false when the value cannot be read, leaving the target as it was.
    bool read_dword(const std::string &name, uint32_t *value) const;
    bool read_bool(const std::string &name, bool *value) const;
    // A text of at most max_size bytes with its terminator.
    bool read_text(const std::string &name, std::string *value, size_t max_size) const;
    // Writes 1 or 0; false when the store cannot be written.
    bool write_bool(const std::string &name, bool value) const;

    const std::string &path() const { return m_path; }

private:
    explicit registry_key_t(std::string path) : m_path(std::move(path)) {}
    std::string m_path;  // "" for the root
};

// The launcher's three values with their defaults.
struct launcher_registry_t {
    int32_t log_limit = 300000;
    bool suppress_setup = false;
    std::string install_path;
};

// Reads what can be read into values; the rest keeps its defaults. Never throws.
void load_launcher_registry(launcher_registry_t &values);
// Writes SuppressSetup as 1 or 0; failures are silent.
void save_suppress_setup(bool suppress_setup);

}  // namespace quarn::kickup
