#include "config_file.h"

#include <cstdio>

#include "blanks.h"
#include "disk_file.h"
#include "exceptions.h"
#include "number_text.h"
#include "qrncore/strings/quoted_word.h"

namespace quarn::kickup {

namespace {

constexpr const char *SOURCE_UNIT = "config_file";

// The next word from pos on: a quoted one without its quotes and escapes, read by the
// game's own rules (qrncore/strings/quoted_word.h: to the next unescaped quote or the
// end), else up to the next blank. False at the end of the line.
bool next_word(const std::string &line, size_t &pos, std::string *word) {
    pos = line.find_first_not_of(BLANKS, pos);
    if (pos == std::string::npos) return false;
    if (line[pos] == '"') {
        const char *begin = line.data(), *end = begin + line.size();
        const size_t close = size_t(quoted_word_end(begin + pos, end) - begin);
        std::string text = line.substr(pos + 1, std::min(close, line.size()) - pos - 1);
        text.resize(quoted_word_unescape(text.data(), uint32_t(text.size())));
        *word = std::move(text);
        pos = close >= line.size() ? line.size() : close + 1;
    } else {
        const size_t end = std::min(line.find_first_of(BLANKS, pos), line.size());
        *word = line.substr(pos, end - pos);
        pos = end;
    }
    return true;
}

// text as one quoted word that reads back unchanged: '"' and '\\' escaped, as the game
// writes its own values.
std::string quoted(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// A name written as it stands reads back as itself only when it is one word that does
// not begin with a quote (a "#" would start a comment for the game): any other is
// quoted.
bool name_needs_quotes(const std::string &name) {
    return name.empty() || name[0] == '"' || name.find_first_of(BLANKS) != std::string::npos ||
           name.find('#') != std::string::npos;
}

}  // namespace

bool parse_uset_line(const std::string &line, std::string *name, std::string *value) {
    size_t pos = 0;
    std::string word;
    if (!next_word(line, pos, &word) || word != "uset" || line[0] == '"') return false;
    if (!next_word(line, pos, name)) name->clear();
    if (!next_word(line, pos, value)) value->clear();
    return true;
}

config_file_t config_file_t::load(const std::string &path) {
    std::string text;
    if (!read_disk_file(path, &text)) KICKUP_THROW(config_file_open_exception_t, path);
    return parse(text);
}

config_file_t config_file_t::parse(const std::string &text) {
    config_file_t model;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        model.add_line(std::string(trim_blanks(std::string_view(text).substr(pos, end - pos))));
        pos = end + 1;
    }
    return model;
}

void config_file_t::add_line(const std::string &line) {
    std::string name, value;
    m_lines.push_back(line);
    // The index takes the name from the same reading get_value makes of the line.
    if (!parse_uset_line(line, &name, &value)) return;
    if (name.empty()) KICKUP_THROW(config_file_read_exception_t, "cvar had zero length");
    m_index[name] = m_lines.size() - 1;  // a later line of a name wins
}

void config_file_t::save(const std::string &path) const {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) KICKUP_THROW(config_file_open_exception_t, path);
    bool ok = true;
    for (const std::string &line : m_lines) ok = ok && fputs(line.c_str(), f) >= 0 && fputs("\r\n", f) >= 0 && fflush(f) == 0;
    if (fclose(f) != 0 || !ok) KICKUP_THROW(config_file_open_exception_t, path);
}

std::string config_file_t::get_value(const std::string &name) const {
    const auto it = m_index.find(name);
    if (it == m_index.end()) KICKUP_THROW(config_file_read_exception_t, "config file has missing uset command [" + name + "]");
    std::string n, value;
    parse_uset_line(m_lines[it->second], &n, &value);
    return value;
}

int32_t config_file_t::get_int(const std::string &name) const { return read_int_or_zero(get_value(name)); }

bool config_file_t::get_bool(const std::string &name) const { return get_value(name) == "1"; }

void config_file_t::set_value(const std::string &name, const std::string &value) {
    // The name is quoted where it would not read back as itself; a value always is.
    const std::string line = "uset " + (name_needs_quotes(name) ? quoted(name) : name) + " " + quoted(value);
    const auto it = m_index.find(name);
    if (it != m_index.end()) {
        m_lines[it->second] = line;
        return;
    }
    m_lines.push_back(line);
    m_index[name] = m_lines.size() - 1;
}

void config_file_t::merge(const config_file_t &other) {
    for (const std::string &line : other.m_lines) {
        std::string name, value;
        if (parse_uset_line(line, &name, &value)) set_value(name, value);
    }
}

}  // namespace quarn::kickup
