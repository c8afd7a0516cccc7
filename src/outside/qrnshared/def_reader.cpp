// The reader of the definition file syntax (docs/formats/def.md). It runs without
// recursion inside a file (an explicit stack of open blocks) and recurses only for
// includes, at most def_pool_t::MAX_INCLUDE_DEPTH deep, so no input can exhaust the
// machine's stack. Bases may be named before they are defined; they are resolved
// once every file has been read, and a circle of bases fails the load.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "outside/qrnshared/def_core.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

enum token_kind_t { TOKEN_END, TOKEN_WORD, TOKEN_STRING, TOKEN_OPEN, TOKEN_CLOSE, TOKEN_COLON, TOKEN_BAD };

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
}

// A growable byte buffer in host memory.
class scratch_t {
public:
    ~scratch_t() {
        if (m_data) qrncore_system_delete_vector(m_data);
    }
    // Room for n bytes; false when memory runs out.
    bool reserve(size_t n) {
        if (n <= m_capacity) return true;
        char *p = static_cast<char *>(qrncore_system_new_vector(n));
        if (!p) return false;
        if (m_data) qrncore_system_delete_vector(m_data);
        m_data = p;
        m_capacity = n;
        return true;
    }
    char *data() { return m_data; }

private:
    char *m_data = nullptr;
    size_t m_capacity = 0;
};

}  // namespace

class def_reader_t {
public:
    def_reader_t(def_core_t &core, fs_realm_t realm) : m_core(core), m_realm(realm) {}
    ~def_reader_t() {
        for (int i = 0; i < m_depth; ++i) qrncore_system_delete_vector(m_stack[i]);
    }

    // Reads a file's text as the include level below the current one.
    bool read(const char *text, size_t length, const char *path);
    // Resolves the bases named in the files and refuses circles.
    bool finish();

private:
    struct token_t {
        token_kind_t kind = TOKEN_END;
        const char *text = nullptr;  // words: the bytes in the file
        uint32_t length = 0;
        uint32_t line = 0;
    };

    // ---- the file being read ----
    bool parse();
    void skip_blanks();
    token_t next();
    token_t peek();
    // Reads the quoted value that starts at the cursor into m_value; false (logged)
    // when it is not closed on its line or holds a bad escape.
    bool read_value(uint32_t &length);
    bool include(const token_t &name_token);
    bool fail(uint32_t line, const char *fmt, ...) V_PRINTF(3, 4);

    // The path of an include relative to the including file; false (logged) when it
    // leaves the root.
    bool resolve_include(const char *name, mstring_t &out, uint32_t line);

    def_core_t &m_core;
    fs_realm_t m_realm;
    // The files being read, outermost first (owned copies of their resolved paths).
    char *m_stack[def_pool_t::MAX_INCLUDE_DEPTH + 1] = {};
    int m_depth = 0;
    // The cursor in the current file.
    const char *m_path = "";
    uint32_t m_file = 0;
    const char *m_cur = nullptr;
    const char *m_end = nullptr;
    uint32_t m_line = 1;
    scratch_t m_value;
};

bool def_reader_t::fail(uint32_t line, const char *fmt, ...) {
    char what[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(what, sizeof what, fmt, args);
    va_end(args);
    error("[def] %s:%u: %s", m_path, line, what);
    return false;
}

void def_reader_t::skip_blanks() {
    while (m_cur < m_end) {
        const char c = *m_cur;
        if (c == '\n') {
            ++m_line;
            ++m_cur;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++m_cur;
        } else if (c == '#') {
            while (m_cur < m_end && *m_cur != '\n') ++m_cur;
        } else {
            return;
        }
    }
}

def_reader_t::token_t def_reader_t::next() {
    skip_blanks();
    token_t t;
    t.line = m_line;
    t.text = m_cur;
    if (m_cur >= m_end) return t;
    const char c = *m_cur;
    if (is_name_char(c)) {
        while (m_cur < m_end && is_name_char(*m_cur)) ++m_cur;
        t.kind = TOKEN_WORD;
        t.length = uint32_t(m_cur - t.text);
        return t;
    }
    t.length = 1;
    switch (c) {
        case '"': t.kind = TOKEN_STRING; break;  // the cursor stays on the quote
        case '{': t.kind = TOKEN_OPEN, ++m_cur; break;
        case '}': t.kind = TOKEN_CLOSE, ++m_cur; break;
        case ':': t.kind = TOKEN_COLON, ++m_cur; break;
        default: t.kind = TOKEN_BAD; break;
    }
    return t;
}

def_reader_t::token_t def_reader_t::peek() {
    const char *cur = m_cur;
    const uint32_t line = m_line;
    const token_t t = next();
    m_cur = cur;
    m_line = line;
    return t;
}

bool def_reader_t::read_value(uint32_t &length) {
    const uint32_t line = m_line;
    const char *start = ++m_cur;  // past the opening quote
    // Escapes only shorten the text, so the raw span bounds the value.
    const char *p = start;
    while (p < m_end && *p != '"' && *p != '\n') p += (*p == '\\' && p + 1 < m_end && p[1] != '\n') ? 2 : 1;
    if (p >= m_end || *p != '"') return fail(line, "unterminated value: the closing '\"' is missing on this line");
    if (!m_value.reserve(size_t(p - start) + 1)) return fail(line, "out of memory");
    char *out = m_value.data();
    uint32_t n = 0;
    for (const char *q = start; q < p; ++q) {
        char c = *q;
        if (c == 0) return fail(line, "a value holds a zero byte");
        if (c == '\\') {
            switch (*++q) {
                case '"': c = '"'; break;
                case '\\': c = '\\'; break;
                case 'n': c = '\n'; break;
                default: return fail(line, "unknown escape '\\%c' in a value (known: \\\" \\\\ \\n)", *q ? *q : '0');
            }
        }
        out[n++] = c;
    }
    out[n] = 0;
    length = n;
    m_cur = p + 1;
    return true;
}

bool def_reader_t::resolve_include(const char *name, mstring_t &out, uint32_t line) {
    // The including file's folder, unless the name is absolute.
    mstring_dyn_t joined;
    if (name[0] != '/') {
        const char *slash = strrchr(m_path, '/');
        if (slash && !joined.copy(m_path, 0, 0, uint32_t(slash - m_path + 1))) return fail(line, "out of memory");
    }
    if (!joined.append(name)) return fail(line, "out of memory");
    // "." and ".." are taken out by the text, so that a cycle is seen whatever way a
    // file is named and a path never climbs above the root of its realm.
    const char *src = joined.c_str();
    const bool rooted = src[0] == '/';
    if (!out.request_capacity(joined.length() + 1)) return fail(line, "out of memory");
    char *dst = out.data();
    uint32_t n = 0;
    if (rooted) dst[n++] = '/';
    const char *p = src;
    while (*p) {
        while (*p == '/') ++p;
        if (!*p) break;
        const char *e = p;
        while (*e && *e != '/') ++e;
        const size_t len = size_t(e - p);
        if (len == 1 && p[0] == '.') {
        } else if (len == 2 && p[0] == '.' && p[1] == '.') {
            const uint32_t floor = rooted ? 1 : 0;
            if (n <= floor) {
                dst[n] = 0;
                return fail(line, "the include '%s' climbs above the root", name);
            }
            // Drop the last component and its separator.
            if (n > floor && dst[n - 1] == '/') --n;
            while (n > floor && dst[n - 1] != '/') --n;
        } else {
            if (n > 0 && dst[n - 1] != '/') dst[n++] = '/';
            memcpy(dst + n, p, len);
            n += uint32_t(len);
        }
        p = e;
    }
    dst[n] = 0;
    if (n == 0 || dst[n - 1] == '/') return fail(line, "the include '%s' names no file", name);
    return true;
}

bool def_reader_t::include(const token_t &at) {
    uint32_t length = 0;
    if (!read_value(length)) return false;
    mstring_dyn_t name(m_value.data());
    mstring_dyn_t path;
    if (!resolve_include(name.c_str(), path, at.line)) return false;
    for (int i = 0; i < m_depth; ++i)
        if (strcmp(m_stack[i], path.c_str()) == 0)
            return fail(at.line, "include cycle: '%s' is already being read", path.c_str());
    if (m_depth > def_pool_t::MAX_INCLUDE_DEPTH - 1)
        return fail(at.line, "includes nest deeper than %d files", def_pool_t::MAX_INCLUDE_DEPTH);
    auto_ptr_t<file_t> file(fs_open(path.c_str(), m_realm));
    if (!file.get()) return fail(at.line, "cannot open the include '%s'", path.c_str());
    const uint64_t size = file->size();
    if (size > def_pool_t::MAX_FILE_SIZE) return fail(at.line, "the include '%s' is too large", path.c_str());
    scratch_t text;
    if (!text.reserve(size_t(size) + 1)) return fail(at.line, "out of memory reading '%s'", path.c_str());
    if (size && !file->block_read(text.data(), uint32_t(size), 0))
        return fail(at.line, "cannot read the include '%s'", path.c_str());
    // The including file's cursor, restored after the include.
    const char *saved_path = m_path;
    const uint32_t saved_file = m_file;
    const char *saved_cur = m_cur, *saved_end = m_end;
    const uint32_t saved_line = m_line;
    const bool ok = read(text.data(), size_t(size), path.c_str());
    m_path = saved_path;
    m_file = saved_file;
    m_cur = saved_cur;
    m_end = saved_end;
    m_line = saved_line;
    return ok;
}

bool def_reader_t::read(const char *text, size_t length, const char *path) {
    if (length > def_pool_t::MAX_FILE_SIZE) {
        error("[def] %s: the file is too large", path);
        return false;
    }
    const size_t path_length = strlen(path);
    char *copy = static_cast<char *>(qrncore_system_new_vector(path_length + 1));
    if (!copy) {
        error("[def] %s: out of memory", path);
        return false;
    }
    memcpy(copy, path, path_length + 1);
    m_stack[m_depth++] = copy;
    m_file = m_core.add_file(path);
    m_path = copy;
    m_cur = text;
    m_end = text + length;
    m_line = 1;
    const bool ok = m_file != 0 ? parse() : fail(1, "out of memory");
    qrncore_system_delete_vector(m_stack[--m_depth]);
    m_stack[m_depth] = nullptr;
    return ok;
}

bool def_reader_t::parse() {
    // The open blocks of this file; 0 is the top level.
    def_obj_t *open[def_pool_t::MAX_NESTING + 1];
    uint32_t open_line[def_pool_t::MAX_NESTING + 1];
    int depth = 0;
    open[0] = &m_core.root;
    for (;;) {
        const token_t t = next();
        switch (t.kind) {
            case TOKEN_END:
                if (depth > 0)
                    return fail(open_line[depth], "the block '%s' is not closed", open[depth]->get_name());
                return true;
            case TOKEN_CLOSE:
                if (depth == 0) return fail(t.line, "'}' without an open block");
                --depth;
                continue;
            case TOKEN_STRING: return fail(t.line, "a quoted value without a key");
            case TOKEN_OPEN: return fail(t.line, "'{' without 'def name'");
            case TOKEN_COLON: return fail(t.line, "':' without a key");
            case TOKEN_BAD: {
                const unsigned char c = static_cast<unsigned char>(*t.text);
                if (c >= 0x20 && c < 0x7f) return fail(t.line, "unexpected character '%c'", c);
                return fail(t.line, "unexpected byte 0x%02x", c);
            }
            case TOKEN_WORD: break;
        }

        // A key, a block or an include, told apart by what follows the word.
        const token_t after = peek();
        if (after.kind == TOKEN_COLON) {
            if (!def_core_t::is_word(t.text, t.length))
                return fail(t.line, "'%.*s' is no key name (letters, digits and '_')", int(t.length), t.text);
            if (depth == 0) return fail(t.line, "the key '%.*s' stands outside any block", int(t.length), t.text);
            next();
            skip_blanks();
            if (m_cur >= m_end || *m_cur != '"')
                return fail(t.line, "the value of '%.*s' must be a double-quoted text", int(t.length), t.text);
            uint32_t length = 0;
            if (!read_value(length)) return false;
            if (!m_core.set_value(open[depth], t.text, t.length, m_value.data(), length, m_file, t.line))
                return fail(t.line, "out of memory");
            continue;
        }
        if (t.length == 7 && memcmp(t.text, "extdefs", 7) == 0) {
            if (after.kind != TOKEN_STRING) return fail(t.line, "extdefs needs a double-quoted file name");
            if (depth > 0) return fail(t.line, "extdefs inside a block: includes belong to the top level");
            skip_blanks();
            if (!include(t)) return false;
            continue;
        }
        if (t.length != 3 || memcmp(t.text, "def", 3) != 0)
            return fail(t.line, "unexpected '%.*s': expected a key, 'def' or 'extdefs'", int(t.length), t.text);

        // def name [: base] {
        const token_t name = next();
        if (name.kind != TOKEN_WORD || !def_core_t::is_word(name.text, name.length))
            return fail(t.line, "'def' needs an object name (letters, digits and '_')");
        token_t base{};
        token_t brace = next();
        if (brace.kind == TOKEN_COLON) {
            base = next();
            if (base.kind != TOKEN_WORD) return fail(t.line, "':' after '%.*s' needs the name of a base", int(name.length), name.text);
            // A dotted name of words: no empty parts.
            bool good = base.text[0] != '.' && base.text[base.length - 1] != '.' && base.length <= 4096;
            for (uint32_t i = 1; good && i < base.length; ++i) good = !(base.text[i] == '.' && base.text[i - 1] == '.');
            if (!good) return fail(t.line, "'%.*s' is no base name", int(base.length), base.text);
            brace = next();
        }
        if (brace.kind != TOKEN_OPEN) return fail(t.line, "'{' expected after 'def %.*s'", int(name.length), name.text);
        if (depth == def_pool_t::MAX_NESTING)
            return fail(t.line, "blocks nest deeper than %d levels", def_pool_t::MAX_NESTING);

        def_obj_t *parent = open[depth];
        def_obj_t *object = m_core.own_child(parent, name.text, name.length);
        if (object) {
            // A block defined again goes on where the first ended; its base may only
            // be repeated, since a changed base could close a circle or change what
            // the first part inherits.
            const char *had = object->m_base_name;
            const bool same = base.kind == TOKEN_END
                                  ? true
                                  : had && strlen(had) == base.length && memcmp(had, base.text, base.length) == 0;
            if (!same)
                return fail(t.line, "'%.*s' is defined again with another base", int(name.length), name.text);
        } else {
            object = m_core.make_object(name.text, name.length, m_file, t.line);
            if (!object || !m_core.attach(object, parent)) return fail(t.line, "out of memory");
            if (base.kind == TOKEN_WORD) {
                char *copy = static_cast<char *>(qrncore_system_new_vector(base.length + 1));
                if (!copy) return fail(t.line, "out of memory");
                memcpy(copy, base.text, base.length);
                copy[base.length] = 0;
                object->m_base_name = copy;
            }
        }
        open[++depth] = object;
        open_line[depth] = t.line;
    }
}

bool def_reader_t::finish() {
    bool ok = true;
    uint32_t count = 0;
    for (def_obj_t *o = m_core.made; o; o = o->m_next_made) {
        ++count;
        if (!o->m_base_name) continue;
        def_obj_t *base = m_core.follow(&m_core.root, o->m_base_name, -1, false);
        if (!base) {
            error("[def] %s:%u: unknown base '%s' of '%s'", m_core.file_name(o->m_file), o->m_line, o->m_base_name,
                  o->m_name);
            ok = false;
        }
        o->m_base = base;
    }
    // Each object has one base, so a chain longer than the number of objects runs in
    // a circle.
    for (def_obj_t *o = m_core.made; ok && o; o = o->m_next_made) {
        uint32_t steps = 0;
        for (const def_obj_t *b = o->m_base; b && ok; b = b->m_base) {
            if (++steps > count) {
                error("[def] %s:%u: the bases of '%s' run in a circle", m_core.file_name(o->m_file), o->m_line,
                      o->m_name);
                ok = false;
            }
        }
    }
    for (def_obj_t *o = m_core.made; o; o = o->m_next_made) {
        if (o->m_base_name) qrncore_system_delete_vector(o->m_base_name);
        o->m_base_name = nullptr;
    }
    return ok;
}

bool def_read(def_core_t &core, const char *text, size_t length, const char *path, fs_realm_t realm) {
    def_reader_t reader(core, realm);
    return reader.read(text ? text : "", text ? length : 0, path) && reader.finish();
}

bool def_read_file(def_core_t &core, file_t &file, const char *path, fs_realm_t realm) {
    const uint64_t size = file.size();
    if (file.get_error() != FS_ERR_NONE) {
        error("[def] %s: cannot tell the file's size", path);
        return false;
    }
    if (size > def_pool_t::MAX_FILE_SIZE) {
        error("[def] %s: the file is too large", path);
        return false;
    }
    char *text = static_cast<char *>(qrncore_system_new_vector(size_t(size) + 1));
    if (!text) {
        error("[def] %s: out of memory", path);
        return false;
    }
    bool ok = size == 0 || file.block_read(text, uint32_t(size), 0);
    if (!ok) error("[def] %s: cannot read the file", path);
    ok = ok && def_read(core, text, size_t(size), path, realm);
    qrncore_system_delete_vector(text);
    return ok;
}

}  // namespace quarn
