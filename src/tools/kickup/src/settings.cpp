#include "settings.h"

#include "blanks.h"
#include "disk_file.h"
#include "exceptions.h"
#include "number_text.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "settings";

// A backslash before a quote keeps the quote from ending the text; afterwards both
// characters are taken out.
std::string drop_escaped_quotes(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '"') {
            ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

class reader_t {
public:
    explicit reader_t(std::string_view text) : m_text(text) {}

    // Reads lines into section until its closing "}" (a child) or the end (the root).
    void read_block(settings_t &section, int depth) {
        std::string_view raw;
        while (next_line(&raw)) {
            const std::string_view line = trim_blanks(raw);
            if (line.empty() || line[0] == '#') continue;
            if (line[0] == '}') {
                if (depth > 0) return;
                continue;  // a stray "}" at the top is ignored
            }
            read_entry(section, line, depth);
        }
        if (depth > 0) KICKUP_THROW(settings_eof_exception_t, "EOF encountered - missing '}'");
    }

private:
    bool next_line(std::string_view *line) {
        if (m_pos >= m_text.size()) return false;
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_text.size();
        *line = m_text.substr(m_pos, end - m_pos);
        m_pos = end + 1;
        ++m_line;
        return true;
    }

    std::string on_line(const char *what) const { return std::string(what) + " on line:  " + std::to_string(m_line); }

    void read_entry(settings_t &section, std::string_view line, int depth) {
        if (line[0] != '"') KICKUP_THROW(settings_read_exception_t, on_line("Opening quote not found"));
        size_t close = 1;
        while (close < line.size() && !(line[close] == '"' && line[close - 1] != '\\')) ++close;
        if (close >= line.size()) KICKUP_THROW(settings_read_exception_t, on_line("Closing quote not found"));
        const std::string key = drop_escaped_quotes(trim_blanks(line.substr(1, close - 1)));
        if (key.empty()) KICKUP_THROW(settings_read_exception_t, on_line("Quoted string is empty"));

        const std::string_view rest = trim_blanks(line.substr(close + 1));
        if (!rest.empty() && rest[0] == '{') {
            if (depth + 1 > SETTINGS_DEPTH_MAX) KICKUP_THROW(settings_read_exception_t, on_line("Blocks nested too deeply"));
            // A second block of a name is read for its syntax and dropped: the first
            // one stays, as the first value of a key does.
            settings_t *child = section.add_section(key);
            if (child) {
                read_block(*child, depth + 1);
            } else {
                settings_t dropped(key);
                read_block(dropped, depth + 1);
            }
        } else if (!rest.empty() && rest[0] == ':') {
            const std::string value = drop_escaped_quotes(trim_blanks(rest.substr(1)));
            if (value.size() < 2 || value.front() != '"' || value.back() != '"')
                KICKUP_THROW(settings_read_exception_t,
                             "Failed to read value from key [" + key + "] in section [" + section.name() +
                                 "] on line:  " + std::to_string(m_line));
            section.add_value(key, value.substr(1, value.size() - 2));
        } else {
            section.add_value(key, "1");
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
    uint32_t m_line = 0;
};

uint32_t read_number(const settings_t &s, const std::string &key, uint32_t def, int base) {
    if (!s.has_value(key)) return def;
    uint32_t v = 0;
    if (!read_unsigned_prefix(s.get_string(key, ""), base, &v))
        KICKUP_THROW(settings_fetch_exception_t, std::string(base == 16 ? "invalid hex value for key [" : "invalid unsigned value for key [") +
                                                     key + "] in section [" + s.name() + "]");
    return v;
}

}  // namespace

const settings_t &settings_t::null_proxy() {
    static const settings_t proxy("null_proxy");
    return proxy;
}

const settings_t &settings_t::get_section(const std::string &name) const {
    const auto it = m_children.find(name);
    return it == m_children.end() ? null_proxy() : *it->second;
}

std::string settings_t::get_string(const std::string &key, const std::string &def) const {
    const auto it = m_values.find(key);
    return it == m_values.end() ? def : it->second;
}

uint32_t settings_t::get_unsigned(const std::string &key, uint32_t def) const { return read_number(*this, key, def, 10); }

uint32_t settings_t::get_hex(const std::string &key, uint32_t def) const { return read_number(*this, key, def, 16); }

void settings_t::add_value(const std::string &key, const std::string &value) {
    if (m_values.emplace(key, value).second) m_key_order.push_back(key);
}

settings_t *settings_t::add_section(const std::string &name) {
    auto [it, fresh] = m_children.emplace(name, nullptr);
    if (!fresh) return nullptr;
    it->second = std::make_unique<settings_t>(name);
    m_child_order.push_back(name);
    return it->second.get();
}

std::unique_ptr<settings_file_t> settings_parse(std::string_view text, const std::string &name) {
    auto root = std::make_unique<settings_file_t>(name);
    reader_t reader(text);
    try {
        reader.read_block(*root, 0);
    } catch (const settings_eof_exception_t &) {
        KICKUP_THROW(settings_read_exception_t, "EOF encountered before closing '}' in file:  [" + name + "]");
    }
    return root;
}

std::unique_ptr<settings_file_t> settings_load(const std::string &path) {
    std::string text;
    if (!read_disk_file(path, &text)) KICKUP_THROW(settings_file_exception_t, "Failed to open file:  [" + path + "]");
    return settings_parse(text, path);
}

}  // namespace quarn::kickup
