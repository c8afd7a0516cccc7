// The reader of UI layouts (docs/formats/esc.md). Entity blocks recurse, bounded by
// esc_document_t::MAX_NESTING counted across includes, and includes recurse at most
// MAX_INCLUDE_DEPTH files deep, so no input can exhaust the stack.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "outside/qrnshared/ui/esc.h"
#include "qrncore/system/messages.h"

namespace quarn {

esc_entity_t::~esc_entity_t() {
    for (esc_entity_t *child : children) delete child;
}

void esc_document_t::clear() {
    for (esc_entity_t *e : top) delete e;
    top.clear();
    files.clear();
}

namespace {

enum token_kind_t { TOKEN_END, TOKEN_WORD, TOKEN_STRING, TOKEN_OPEN, TOKEN_CLOSE, TOKEN_COLON, TOKEN_BAD };

bool is_word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '-';
}

struct token_t {
    token_kind_t kind = TOKEN_END;
    const char *text = nullptr;
    uint32_t length = 0;
    uint32_t line = 0;
};

class esc_reader_t {
public:
    esc_reader_t(esc_source_t *source, esc_document_t &doc) : m_source(source), m_doc(doc) {}

    // Reads one file's text into the list of entities (the top level or a block's
    // children), at the given include depth and entity nesting.
    bool read_file(const char *text, size_t length, const char *path, array_dyn_t<esc_entity_t *> &into,
                   int depth, int nesting);

private:
    struct cursor_t {
        const char *cur;
        const char *end;
        uint32_t line;
        uint32_t file;
    };

    bool fail(uint32_t line, const char *fmt, ...) V_PRINTF(3, 4);
    void skip_blanks();
    token_t next();
    bool read_value(mstring_t &out);
    // Items (entities, includes, and when `entity` is given its attributes) until a
    // '}' (inside a block) or the end of the file (at a file's top).
    bool read_items(array_dyn_t<esc_entity_t *> &into, esc_entity_t *entity, int nesting, uint32_t open_line);
    bool read_entity(array_dyn_t<esc_entity_t *> &into, uint32_t line, int nesting);
    bool include(const mstring_t &name, uint32_t line, array_dyn_t<esc_entity_t *> &into, int nesting);
    bool resolve(const char *name, mstring_t &out, uint32_t line);

    esc_source_t *m_source;
    esc_document_t &m_doc;
    // The files being read, outermost first (indexes into the document's files).
    uint32_t m_stack[esc_document_t::MAX_INCLUDE_DEPTH] = {};
    int m_depth = 0;
    cursor_t m_at{};
};

bool esc_reader_t::fail(uint32_t line, const char *fmt, ...) {
    char what[512];
    va_list args;
    va_start(args, fmt);
    vsnprintf(what, sizeof what, fmt, args);
    va_end(args);
    error("[ui] %s:%u: %s", m_doc.file_name(m_at.file), line, what);
    return false;
}

void esc_reader_t::skip_blanks() {
    while (m_at.cur < m_at.end) {
        const char c = *m_at.cur;
        if (c == '\n') {
            ++m_at.line;
            ++m_at.cur;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++m_at.cur;
        } else if (c == '#') {
            while (m_at.cur < m_at.end && *m_at.cur != '\n') ++m_at.cur;
        } else {
            return;
        }
    }
}

token_t esc_reader_t::next() {
    skip_blanks();
    token_t t;
    t.line = m_at.line;
    t.text = m_at.cur;
    if (m_at.cur >= m_at.end) return t;
    const char c = *m_at.cur;
    if (is_word_char(c)) {
        while (m_at.cur < m_at.end && is_word_char(*m_at.cur)) ++m_at.cur;
        t.kind = TOKEN_WORD;
        t.length = uint32_t(m_at.cur - t.text);
        return t;
    }
    t.length = 1;
    switch (c) {
        case '"': t.kind = TOKEN_STRING; break;  // the cursor stays on the quote
        case '{': t.kind = TOKEN_OPEN, ++m_at.cur; break;
        case '}': t.kind = TOKEN_CLOSE, ++m_at.cur; break;
        case ':': t.kind = TOKEN_COLON, ++m_at.cur; break;
        default: t.kind = TOKEN_BAD; break;
    }
    return t;
}

bool esc_reader_t::read_value(mstring_t &out) {
    const uint32_t line = m_at.line;
    const char *p = ++m_at.cur;  // past the opening quote
    out.copy("");
    // `\"` and `\\` are escapes; any other backslash is text, so that the markup's
    // colour escapes ("\y") are written as they are.
    const char *run = p;
    while (p < m_at.end && *p != '"' && *p != '\n') {
        if (*p == 0) return fail(line, "a value holds a zero byte");
        if (*p == '\\' && p + 1 < m_at.end && (p[1] == '"' || p[1] == '\\')) {
            if (!out.append(string(run), 0, uint32_t(p - run)) || !out.append(p[1])) return fail(line, "out of memory");
            p += 2;
            run = p;
            continue;
        }
        ++p;
    }
    if (p >= m_at.end || *p != '"') return fail(line, "unterminated value: the closing '\"' is missing on this line");
    if (p > run && !out.append(string(run), 0, uint32_t(p - run))) return fail(line, "out of memory");
    m_at.cur = p + 1;
    return true;
}

bool esc_reader_t::resolve(const char *name, mstring_t &out, uint32_t line) {
    mstring_dyn_t joined;
    if (name[0] != '/') {
        const char *path = m_doc.file_name(m_at.file);
        const char *slash = strrchr(path, '/');
        if (slash && !joined.copy(path, 0, 0, uint32_t(slash - path + 1))) return fail(line, "out of memory");
    }
    if (!joined.append(name)) return fail(line, "out of memory");
    // "." and ".." are resolved in the text, so that a cycle is seen however a file is
    // named and a path never climbs above the root.
    const char *src = joined.c_str();
    out.copy(src[0] == '/' ? "/" : "");
    while (*src) {
        while (*src == '/') ++src;
        const char *seg = src;
        while (*src && *src != '/') ++src;
        const uint32_t n = uint32_t(src - seg);
        if (n == 0 || (n == 1 && seg[0] == '.')) continue;
        if (n == 2 && seg[0] == '.' && seg[1] == '.') {
            const char *text = out.c_str();
            uint32_t len = out.length();
            if (len <= 1) return fail(line, "the include '%s' climbs above the root", name);
            if (text[len - 1] == '/') --len;
            while (len > 0 && text[len - 1] != '/') --len;
            out.remove(len, out.length());
            continue;
        }
        const uint32_t len = out.length();
        if (len > 0 && out.c_str()[len - 1] != '/' && !out.append('/')) return fail(line, "out of memory");
        if (!out.append(string(seg), 0, n)) return fail(line, "out of memory");
    }
    return true;
}

bool esc_reader_t::include(const mstring_t &name, uint32_t line, array_dyn_t<esc_entity_t *> &into, int nesting) {
    mstring_dyn_t path;
    if (!resolve(name.c_str(), path, line)) return false;
    for (int i = 0; i < m_depth; ++i)
        if (m_doc.files[m_stack[i]] == path.c_str())
            return fail(line, "the include '%s' is a cycle: the file is being read", path.c_str());
    if (m_depth >= esc_document_t::MAX_INCLUDE_DEPTH)
        return fail(line, "includes nest more than %d files deep at '%s'", esc_document_t::MAX_INCLUDE_DEPTH,
                    path.c_str());
    size_t length = 0;
    const char *text = m_source ? m_source->read(path.c_str(), &length) : nullptr;
    if (!text) return fail(line, "the include '%s' cannot be read", path.c_str());
    const cursor_t saved = m_at;
    const bool ok = read_file(text, length, path.c_str(), into, m_depth, nesting);
    m_at = saved;
    return ok;
}

bool esc_reader_t::read_entity(array_dyn_t<esc_entity_t *> &into, uint32_t line, int nesting) {
    if (nesting >= esc_document_t::MAX_NESTING)
        return fail(line, "entities nest more than %d deep", esc_document_t::MAX_NESTING);
    const token_t name = next();
    if (name.kind != TOKEN_WORD) return fail(name.line, "a class name must follow 'entity'");
    const token_t open = next();
    if (open.kind != TOKEN_OPEN) return fail(open.line, "'{' must follow the class name '%.*s'", int(name.length), name.text);
    esc_entity_t *e = new esc_entity_t;
    if (!e || !into.append(e)) {
        delete e;
        return fail(line, "out of memory");
    }
    e->file = m_at.file;
    e->line = line;
    if (!e->class_name.copy(string(name.text), 0, 0, name.length)) return fail(line, "out of memory");
    return read_items(e->children, e, nesting + 1, line);
}

bool esc_reader_t::read_items(array_dyn_t<esc_entity_t *> &into, esc_entity_t *entity, int nesting,
                              uint32_t open_line) {
    for (;;) {
        const token_t t = next();
        switch (t.kind) {
            case TOKEN_END:
                if (entity) return fail(open_line, "the block of '%s' opened here is not closed", entity->class_name.c_str());
                return true;
            case TOKEN_CLOSE:
                if (!entity) return fail(t.line, "'}' without a block");
                return true;
            case TOKEN_WORD: {
                if (t.length == 6 && memcmp(t.text, "entity", 6) == 0) {
                    if (!read_entity(into, t.line, nesting)) return false;
                    break;
                }
                if (t.length == 7 && memcmp(t.text, "include", 7) == 0) {
                    const token_t s = next();
                    if (s.kind != TOKEN_STRING) return fail(s.line, "a quoted path must follow 'include'");
                    mstring_dyn_t name;
                    if (!read_value(name)) return false;
                    if (name.is_empty()) return fail(s.line, "an include names no file");
                    if (!include(name, t.line, into, nesting)) return false;
                    break;
                }
                const token_t colon = next();
                if (colon.kind != TOKEN_COLON)
                    return fail(t.line, "'%.*s' is neither 'entity', 'include' nor an attribute (name: \"value\")",
                                int(t.length < 64 ? t.length : 64), t.text);
                if (!entity) return fail(t.line, "the attribute '%.*s' stands outside any entity", int(t.length < 64 ? t.length : 64), t.text);
                const token_t value = next();
                if (value.kind != TOKEN_STRING)
                    return fail(value.line, "the attribute '%.*s' needs a quoted value", int(t.length < 64 ? t.length : 64), t.text);
                esc_attr_t *a = entity->attrs.append(esc_attr_t());
                if (!a || !a->name.copy(string(t.text), 0, 0, t.length)) return fail(t.line, "out of memory");
                a->file = m_at.file;
                a->line = t.line;
                if (!read_value(a->value)) return false;
                break;
            }
            case TOKEN_STRING: return fail(t.line, "a value without an attribute name");
            case TOKEN_OPEN: return fail(t.line, "'{' without 'entity' and a class name");
            case TOKEN_COLON: return fail(t.line, "':' without an attribute name");
            default:
                return fail(t.line, "unexpected character '%c'", *t.text >= 32 && *t.text < 127 ? *t.text : '?');
        }
    }
}

bool esc_reader_t::read_file(const char *text, size_t length, const char *path, array_dyn_t<esc_entity_t *> &into,
                             int depth, int nesting) {
    mstring_dyn_t *name = m_doc.files.append(mstring_dyn_t(path));
    if (!name) {
        error("[ui] %s: out of memory", path);
        return false;
    }
    m_at = {text, text + length, 1, m_doc.files.get_count() - 1};
    if (length > esc_document_t::MAX_FILE_SIZE)
        return fail(1, "the file is larger than %zu bytes", esc_document_t::MAX_FILE_SIZE);
    m_stack[depth] = m_at.file;
    m_depth = depth + 1;
    const bool ok = read_items(into, nullptr, nesting, 1);
    m_depth = depth;
    return ok;
}

}  // namespace

bool esc_parse(const char *text, size_t length, const char *path, esc_source_t *source, esc_document_t &out) {
    out.clear();
    esc_reader_t reader(source, out);
    if (!text) text = "";
    if (!reader.read_file(text, length, path ? path : "", out.top, 0, 0)) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace quarn
