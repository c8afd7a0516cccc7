#pragma once
// The hardware database's file format ("specs.settings"): nested sections of quoted
// keys with quoted values, read into a tree that the probes and the ratings query.
//
//   # comment
//   "ratings" {
//       "quality_count" : "3"
//       "use_custom"                 <- a flag: the value "1"
//   }
//
// A section keeps its values ordered by key (byte-wise) and also in the order they
// were first read; children by name and in the order their blocks were read. The
// first value of a key wins, and so does the first block of a name. Nothing writes
// the file.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::kickup {

class settings_t {
public:
    explicit settings_t(std::string name) : m_name(std::move(name)) {}
    virtual ~settings_t() = default;
    settings_t(const settings_t &) = delete;
    settings_t &operator=(const settings_t &) = delete;

    const std::string &name() const { return m_name; }

    // The child of that name, or the shared empty section "null_proxy", whose reads
    // all give their defaults.
    const settings_t &get_section(const std::string &name) const;
    bool has_value(const std::string &key) const { return m_values.count(key) != 0; }
    std::string get_string(const std::string &key, const std::string &def) const;
    // The value read as a decimal or hexadecimal (digits only) unsigned 32-bit number:
    // leading blanks are skipped and reading stops at the first character that is no
    // digit; a value that yields no number at all throws settings_fetch_exception_t.
    // An absent key gives the default.
    uint32_t get_unsigned(const std::string &key, uint32_t def) const;
    uint32_t get_hex(const std::string &key, uint32_t def) const;

    size_t key_count() const { return m_key_order.size(); }
    const std::string &key_at(size_t i) const { return m_key_order.at(i); }
    size_t child_count() const { return m_child_order.size(); }
    const std::string &child_name_at(size_t i) const { return m_child_order.at(i); }
    const settings_t &child_at(size_t i) const { return get_section(m_child_order.at(i)); }

    // Stores a value when the key has none yet; a second value is ignored.
    void add_value(const std::string &key, const std::string &value);
    // A new empty child listed last; null when a child of that name exists.
    settings_t *add_section(const std::string &name);

    static const settings_t &null_proxy();

private:
    std::string m_name;
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_key_order;
    std::map<std::string, std::unique_ptr<settings_t>> m_children;
    std::vector<std::string> m_child_order;
};

// The root section, named after the path it was read from.
class settings_file_t : public settings_t {
public:
    using settings_t::settings_t;
};

// Blocks nest at most this deep; a deeper block is a read error naming its line.
constexpr int SETTINGS_DEPTH_MAX = 32;

// Reads a file whole. Throws settings_file_exception_t when it cannot be opened and
// settings_read_exception_t for a syntax error (the message ends with the line).
std::unique_ptr<settings_file_t> settings_load(const std::string &path);
// The same reading over a text in memory; name stands for the path in the tree and in
// messages.
std::unique_ptr<settings_file_t> settings_parse(std::string_view text, const std::string &name);

}  // namespace quarn::kickup
