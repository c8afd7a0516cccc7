#pragma once
// The launcher's model of the game's configuration file ("config.cfg") and of the
// quality presets: text lines, of which the "uset" lines set console variables:
//
//   uset r_mode "800x600x16x0"
//
// A line is a "uset" line when its first word is exactly "uset"; its second word is
// the variable's name and its third the value: a quoted word runs to the next
// unescaped quote (blanks included) and is read without its quotes and escapes, as
// the game reads it; an unquoted one runs to the next blank. One reading
// (parse_uset_line) gives the name a line is indexed under and the value it is read
// for. The launcher writes lines ending in CR LF, as the game does, quoting every
// value and every name that would not read back as itself.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quarn::kickup {

class config_file_t {
public:
    // Reads a file. Throws config_file_open_exception_t (the path) when it cannot be
    // opened and config_file_read_exception_t "cvar had zero length" for a "uset"
    // line without a name.
    static config_file_t load(const std::string &path);
    // The same reading over a text in memory.
    static config_file_t parse(const std::string &text);
    // Writes every line, replacing the file; config_file_open_exception_t when it
    // cannot be written.
    void save(const std::string &path) const;

    bool has_value(const std::string &name) const { return m_index.count(name) != 0; }
    // The value of the variable's (last) "uset" line; config_file_read_exception_t
    // "config file has missing uset command [name]" without one.
    std::string get_value(const std::string &name) const;
    // Decimal; 0 for a value that is no number.
    int32_t get_int(const std::string &name) const;
    // True exactly for "1".
    bool get_bool(const std::string &name) const;

    // Replaces the variable's "uset" line, or appends one.
    void set_value(const std::string &name, const std::string &value);
    void set_int(const std::string &name, int32_t value) { set_value(name, std::to_string(value)); }
    void set_bool(const std::string &name, bool value) { set_value(name, value ? "1" : "0"); }

    // Sets every variable of other's "uset" lines, in their order; other lines are
    // not taken. Merging into an empty model copies the variables only.
    void merge(const config_file_t &other);

    const std::vector<std::string> &lines() const { return m_lines; }

private:
    void add_line(const std::string &line);

    std::vector<std::string> m_lines;
    std::map<std::string, size_t> m_index;
};

// The variable's name and value of a "uset" line; false for any other line.
bool parse_uset_line(const std::string &line, std::string *name, std::string *value);

}  // namespace quarn::kickup
