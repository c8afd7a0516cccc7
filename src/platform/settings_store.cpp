#include "platform/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace quarn::platform {

namespace {

// A store larger than this is not a settings file: it is refused, never loaded.
constexpr size_t STORE_SIZE_MAX = 16u << 20;
constexpr std::string_view SEPARATOR = " = ";

void default_sink(const char *text) { fprintf(stderr, "%s\n", text); }

void (*warning_sink)(const char *) = default_sink;

void warn(const std::string &text) { warning_sink(("[settings] " + text).c_str()); }

char fold(char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; }

bool same_text(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

// The key is k itself or lies below it.
bool key_within(std::string_view key, std::string_view k) {
    if (key.size() < k.size() || !same_text(key.substr(0, k.size()), k)) return false;
    return key.size() == k.size() || key[k.size()] == '\\';
}

struct line_t {
    std::string text;  // as read, without its line end
    bool valid = false;
    std::string key, name;
    settings_value_type_t type = SETTINGS_ABSENT;
    uint32_t number = 0;
    std::string string;
};

std::string escape(std::string_view value) {
    std::string out;
    for (char c : value) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out += c;
    }
    return out;
}

// Undoes escape; false on an escape it never writes.
bool unescape(std::string_view text, std::string *out) {
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            *out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        switch (text[i]) {
            case '\\': *out += '\\'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            default: return false;
        }
    }
    return true;
}

bool has_control(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// Parses one line; the reason when it is malformed, "" when it is no value (blank or
// a comment) or a valid one.
std::string parse(line_t &line) {
    std::string_view s = line.text;
    if (!s.empty() && s.back() == '\r') s.remove_suffix(1);
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos || s[first] == '#') return {};
    const size_t sep = s.find(SEPARATOR);
    if (sep == std::string_view::npos) return "no \" = \"";
    const std::string_view path = s.substr(0, sep), rest = s.substr(sep + SEPARATOR.size());
    const size_t slash = path.rfind('\\');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == path.size()) return "no KEY\\NAME before \" = \"";
    line.key = std::string(path.substr(0, slash));
    line.name = std::string(path.substr(slash + 1));
    if (rest.starts_with("number:")) {
        const std::string_view digits = rest.substr(7);
        uint32_t v = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || digits[0] == '-')
            return "a number must be decimal digits within 0..4294967295";
        line.type = SETTINGS_NUMBER;
        line.number = v;
    } else if (rest.starts_with("string:")) {
        if (!unescape(rest.substr(7), &line.string)) return "an escape other than \\\\, \\n or \\r";
        line.type = SETTINGS_STRING;
    } else {
        return "the type is neither \"number:\" nor \"string:\"";
    }
    line.valid = true;
    return {};
}

// The lines of the store's file; missing is empty. False when it exists but cannot
// be read.
bool load(const std::string &path, std::vector<line_t> *lines) {
    lines->clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    std::string text;
    char chunk[8192];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || text.size() + size_t(n) > STORE_SIZE_MAX) {
            ok = false;
            break;
        }
        if (n == 0) break;
        text.append(chunk, size_t(n));
    }
    ::close(fd);
    if (!ok) {
        warn(path + ": cannot be read, or is larger than " + std::to_string(STORE_SIZE_MAX) + " bytes");
        return false;
    }
    size_t pos = 0, number = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        line_t line;
        line.text = text.substr(pos, end - pos);
        ++number;
        const std::string why = parse(line);
        if (!why.empty()) warn(path + ":" + std::to_string(number) + ": malformed line skipped: " + why);
        lines->push_back(std::move(line));
        pos = end + 1;
    }
    return true;
}

const line_t *find(const std::vector<line_t> &lines, std::string_view key, std::string_view name) {
    for (const line_t &l : lines)
        if (l.valid && same_text(l.key, key) && same_text(l.name, name)) return &l;
    return nullptr;
}

// The value the caller asks for, or null. Files that cannot be read hold nothing.
bool lookup(const char *key, const char *name, line_t *out) {
    char path[4096];
    if (!key || !name || !settings_store_path(path, sizeof path)) return false;
    std::vector<line_t> lines;
    if (!load(path, &lines)) return false;
    const line_t *l = find(lines, key, name);
    if (!l) return false;
    *out = *l;
    return true;
}

bool storable(const char *key, const char *name) {
    if (!key || !name || !*key || !*name) return false;
    const std::string_view k = key, n = name;
    if (has_control(k) || has_control(n) || n.find('\\') != std::string_view::npos) return false;
    if (k.front() == '\\' || k.back() == '\\' || k.find("\\\\") != std::string_view::npos) return false;
    // The line must split back at its own separator.
    const std::string line = std::string(k) + "\\" + std::string(n) + std::string(SEPARATOR);
    return line.find(SEPARATOR) == line.size() - SEPARATOR.size();
}

bool make_dirs(const std::string &dir) {
    for (size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos < dir.size() && dir[pos] != '/') continue;
        const std::string part = dir.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

bool write_all(int fd, const std::string &text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// Holds the store's lock file locked while it lives.
class store_lock_t {
public:
    explicit store_lock_t(const std::string &path) {
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0) return;
        while (flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~store_lock_t() {
        if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
    }
    store_lock_t(const store_lock_t &) = delete;
    store_lock_t &operator=(const store_lock_t &) = delete;
    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Re-reads the store under the lock, lets edit change the lines, and renames the
// result over the file. Lines edit does not touch stay as they were, malformed ones
// included, so nothing a person wrote by hand is lost.
template <typename edit_t>
bool rewrite(edit_t &&edit) {
    char path_buf[4096];
    if (!settings_store_path(path_buf, sizeof path_buf)) {
        warn("no folder for the store: neither XDG_CONFIG_HOME nor HOME is an absolute path");
        return false;
    }
    const std::string path = path_buf, dir = path.substr(0, path.rfind('/'));
    if (!make_dirs(dir)) {
        warn(dir + ": cannot be created: " + strerror(errno));
        return false;
    }
    store_lock_t lock(path + ".lock");
    if (!lock.held()) {
        warn(path + ".lock: cannot be locked: " + strerror(errno));
        return false;
    }
    std::vector<line_t> lines;
    if (!load(path, &lines)) return false;
    if (!edit(lines)) return true;  // nothing to change

    std::string text;
    for (const line_t &l : lines) text += l.text + "\n";
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        warn(dir + ": cannot make a temporary file: " + strerror(errno));
        return false;
    }
    const bool ok = write_all(fd, text) && fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        warn(path + ": cannot be written: " + strerror(ok ? errno : saved));
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool write_value(const char *key, const char *name, std::string value_text) {
    if (!storable(key, name)) return false;
    const std::string text = std::string(key) + "\\" + name + std::string(SEPARATOR) + value_text;
    return rewrite([&](std::vector<line_t> &lines) {
        line_t fresh;
        fresh.text = text;
        parse(fresh);
        // The first line of the value takes the new text and keeps the spelling the
        // file gave its key and name; a new value joins the other values of its key.
        size_t after = lines.size();
        bool key_seen = false;
        for (size_t i = 0; i < lines.size(); ++i) {
            line_t &l = lines[i];
            if (!l.valid || !same_text(l.key, key)) continue;
            if (same_text(l.name, name)) {
                fresh.text = l.key + "\\" + l.name + std::string(SEPARATOR) + value_text;
                parse(fresh);
                l = fresh;
                return true;
            }
            after = i + 1;
            key_seen = true;
        }
        lines.insert(key_seen ? lines.begin() + long(after) : lines.end(), fresh);
        return true;
    });
}

}  // namespace

bool settings_store_path(char *out, size_t size) {
    std::string path;
    const char *xdg = getenv("XDG_CONFIG_HOME");
    const char *home = getenv("HOME");
    if (xdg && *xdg == '/') path = xdg;
    else if (home && *home == '/') path = std::string(home) + "/.config";
    else return false;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    path += "/fernwold/registry";
    if (path.size() + 1 > size) return false;
    memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

bool settings_key_exists(const char *key) {
    char path[4096];
    if (!key || !settings_store_path(path, sizeof path)) return false;
    std::string_view k = key;
    while (!k.empty() && k.back() == '\\') k.remove_suffix(1);  // "Software\" is "Software"
    if (k.empty()) return false;
    std::vector<line_t> lines;
    if (!load(path, &lines)) return false;
    for (const line_t &l : lines)
        if (l.valid && key_within(l.key, k)) return true;
    return false;
}

settings_value_type_t settings_value_type(const char *key, const char *name) {
    line_t l;
    return lookup(key, name, &l) ? l.type : SETTINGS_ABSENT;
}

bool settings_read_number(const char *key, const char *name, uint32_t *value) {
    line_t l;
    if (!lookup(key, name, &l) || l.type != SETTINGS_NUMBER) return false;
    *value = l.number;
    return true;
}

bool settings_read_string(const char *key, const char *name, char *out, size_t size) {
    line_t l;
    if (!lookup(key, name, &l) || l.type != SETTINGS_STRING || l.string.size() + 1 > size) return false;
    memcpy(out, l.string.c_str(), l.string.size() + 1);
    return true;
}

bool settings_write_number(const char *key, const char *name, uint32_t value) {
    return write_value(key, name, "number:" + std::to_string(value));
}

bool settings_write_string(const char *key, const char *name, const char *value) {
    if (!value) return false;
    return write_value(key, name, "string:" + escape(value));
}

bool settings_delete_value(const char *key, const char *name) {
    if (!key || !name) return false;
    return rewrite([&](std::vector<line_t> &lines) {
        const size_t before = lines.size();
        std::erase_if(lines, [&](const line_t &l) { return l.valid && same_text(l.key, key) && same_text(l.name, name); });
        return lines.size() != before;
    });
}

void settings_store_set_warning_sink(void (*sink)(const char *text)) { warning_sink = sink ? sink : default_sink; }

}  // namespace quarn::platform
