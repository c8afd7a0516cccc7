// The writer of the definition file syntax: every object of the tree in order, keys
// before children, four blanks per level, bases by their dotted name from the top.
// Includes were read into the pool, so they come out inline.
#include <cstring>

#include "outside/qrnshared/def_core.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Collects the output and hands it to the file in blocks.
class out_t {
public:
    explicit out_t(file_t &file) : m_file(file) {}

    void put(const char *text, size_t length) {
        while (length && m_ok) {
            const size_t n = length < sizeof m_buffer - m_used ? length : sizeof m_buffer - m_used;
            memcpy(m_buffer + m_used, text, n);
            m_used += n;
            text += n;
            length -= n;
            if (m_used == sizeof m_buffer) flush();
        }
    }
    void put(const char *text) { put(text, strlen(text)); }
    void indent(uint32_t level) {
        for (uint32_t i = 0; i < level; ++i) put("    ", 4);
    }
    // A value between quotes with '"', '\' and line feeds escaped.
    void quoted(const char *text) {
        put("\"", 1);
        const char *run = text;
        for (const char *p = text; *p; ++p) {
            const char *escape = *p == '"' ? "\\\"" : *p == '\\' ? "\\\\" : *p == '\n' ? "\\n" : nullptr;
            if (!escape) continue;
            put(run, size_t(p - run));
            put(escape, 2);
            run = p + 1;
        }
        put(run);
        put("\"", 1);
    }
    bool flush() {
        if (m_ok && m_used && !m_file.write(m_buffer, uint32_t(m_used))) m_ok = false;
        m_used = 0;
        return m_ok;
    }

private:
    file_t &m_file;
    char m_buffer[4096];
    size_t m_used = 0;
    bool m_ok = true;
};

}  // namespace

bool def_write(const def_core_t &core, file_t &file) {
    // Every base must be writable by name before anything is written.
    for (const def_obj_t *o = core.made; o; o = o->m_next_made) {
        if (o->get_base() && core.in_tree(o) && !core.in_tree(o->get_base())) {
            mstring_dyn_t path;
            core.path_of(o, path);
            error("[def] cannot write '%s': its base '%s' is not in the pool", path.c_str(), o->get_base()->get_name());
            return false;
        }
    }
    out_t out(file);
    mstring_dyn_t base_path;
    const def_obj_t *o = core.root.get_first_child();
    uint32_t level = 0;
    while (o) {
        out.indent(level);
        out.put("def ");
        out.put(o->get_name());
        if (o->get_base()) {
            core.path_of(o->get_base(), base_path);
            out.put(" : ");
            out.put(base_path.c_str());
        }
        out.put(" {\n");
        for (const def_value_t *v = o->get_first_value(); v; v = v->get_next()) {
            out.indent(level + 1);
            out.put(v->get_key());
            out.put(": ");
            out.quoted(v->get_text());
            out.put("\n");
        }
        if (o->get_first_child()) {
            o = o->get_first_child();
            ++level;
            continue;
        }
        // Close this block and every block it ends, up to the next sibling.
        for (;;) {
            out.indent(level);
            out.put("}\n");
            if (o->get_next()) {
                o = o->get_next();
                break;
            }
            o = o->get_parent();
            if (!o) break;
            --level;
        }
    }
    if (!out.flush()) {
        error("[def] cannot write the definitions to '%s'", file.get_name());
        return false;
    }
    return true;
}

}  // namespace quarn
