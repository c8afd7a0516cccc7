#include "outside/qrnshared/cvar.h"

#include <cstdio>
#include <cstring>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/strings/quoted_word.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// Copies text into a record field; false when it had to be cut.
bool copy_cut(char *field, size_t size, const char *text) {
    if (!text) text = "";
    const size_t len = strlen(text);
    const size_t keep = len < size ? len : size - 1;
    memcpy(field, text, keep);
    field[keep] = 0;
    return keep == len;
}

// The longest link chain followed; a longer one can only be a circle that slipped
// past link().
constexpr int MAX_CHAIN = 64;

}  // namespace

cvar_t::cvar_t() { reset(); }

cvar_t::cvar_t(const char *variable_name, const char *default_text_in, uint32_t flags, validate_t validate_hook,
               change_t change_hook) {
    reset();
    set_name(variable_name);
    set_default(default_text_in);
    m_flags = flags;
    stored = (flags & STORED) ? 1 : 0;
    default_in_use = (flags & DEFAULT_IN_USE) ? 1 : 0;
    m_validate = validate_hook;
    m_change = change_hook;
    // Before registration the value is the default too.
    memcpy(value_text, default_text, sizeof value_text);
}

void *cvar_t::operator new(size_t bytes) noexcept { return qrncore_system_new(bytes); }

void cvar_t::operator delete(void *memory) { qrncore_system_delete(memory); }

void cvar_t::reset() {
    name[0] = 0;
    default_text[0] = 0;
    value_text[0] = 0;
    stored = default_in_use = dynamic = 0;
    hash = 0;
    value = default_value = nullptr;
    link_target = linked_from = next = prev = nullptr;
    m_flags = 0;
    m_validate = nullptr;
    m_change = nullptr;
}

// A cut name or value is a different one: every cut is reported.
bool cvar_t::set_name(const char *text) {
    if (copy_cut(name, sizeof name, text)) return true;
    warning("[cvar] Name '%s' is longer than %zu characters - cut to '%s'", text, sizeof name - 1, name);
    return false;
}

bool cvar_t::set_default(const char *text) {
    if (copy_cut(default_text, sizeof default_text, text)) return true;
    warning("[cvar] Default of '%s' is longer than %zu characters - cut", name, sizeof default_text - 1);
    return false;
}

bool cvar_t::set_value_text(const char *text) {
    if (copy_cut(value_text, sizeof value_text, text)) return true;
    warning("[cvar] Value of '%s' is longer than %zu characters - cut", name, sizeof value_text - 1);
    return false;
}

bool cvar_t::set(const char *text) {
    cvar_t *target = resolve();
    if (target->is_read_only()) {
        warning("[cvar] '%s' is read-only", target->name);
        return false;
    }
    if (target->m_validate && !target->m_validate(target, text ? text : "")) return false;
    target->set_value_text(text);
    target->default_in_use = 0;
    if (target->m_change) target->m_change(target);
    return true;
}

void cvar_t::print() const { message("%s = \"%s\"", name, get_text()); }

bool cvar_t::store(file_t &file) const {
    const char *text = get_text();
    // A line break would end the line inside the value and run the rest as a command
    // of its own; no escape stands for it, so such a value is left out.
    if (strchr(text, '\n')) {
        warning("[cvar] Value of '%s' holds a line break - not stored", name);
        return true;
    }
    // The value is one quoted word with '"' and '\' escaped: every escaped character
    // doubles at most.
    string_fixed_t<NAME_SIZE + 2 * TEXT_SIZE + 16> line;
    bool ok = line.printf("uset %s ", name) && quoted_word_append(line, text) && line.append("\r\n");
    return ok && file.write(line.c_str(), line.length());
}

bool cvar_t::link(cvar_t *target) {
    unlink();
    if (!target) return false;
    for (const cvar_t *v = target; v; v = v->link_target) {
        if (v == this) {
            error("[cvar] Linking '%s' to '%s' would make a circle - refused", name, target->name);
            return false;
        }
    }
    link_target = target;
    target->linked_from = this;
    return true;
}

void cvar_t::unlink() {
    if (!link_target) return;
    if (link_target->linked_from == this) link_target->linked_from = nullptr;
    link_target = nullptr;
}

const cvar_t *cvar_t::resolve() const {
    const cvar_t *v = this;
    for (int i = 0; i < MAX_CHAIN && v->link_target; ++i) v = v->link_target;
    return v;
}

cvar_t *cvar_t::resolve() { return const_cast<cvar_t *>(static_cast<const cvar_t *>(this)->resolve()); }

const char *cvar_t::get_text() const {
    const cvar_t *v = resolve();
    if (v->default_in_use) return v->default_value ? v->default_value : v->default_text;
    return v->value ? v->value : v->value_text;
}

int32_t cvar_t::get_int() const { return v_strtol(get_text(), nullptr, 0); }

float cvar_t::get_float() const { return float(v_strtod(get_text(), nullptr)); }

}  // namespace quarn
