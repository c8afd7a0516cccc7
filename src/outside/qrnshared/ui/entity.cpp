#include "outside/qrnshared/ui/entity.h"

#include <strings.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const char *skip_blanks(const char *p) {
    while (is_blank(*p)) ++p;
    return p;
}

// A decimal integer of the whole text (blanks around it allowed), in the range of
// int32_t and uint32_t together: -2147483648 to 4294967295. Numbers in layouts are
// decimal: a leading zero never means octal.
bool read_integer(const char *text, int64_t &out) {
    const char *p = skip_blanks(text);
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > int64_t(0xFFFFFFFFu) + 1) return false;
    }
    if (*skip_blanks(p)) return false;
    if (negative) value = -value;
    if (value < INT32_MIN || value > int64_t(0xFFFFFFFFu)) return false;
    out = value;
    return true;
}

// One finite decimal at p; p moves past it.
bool read_real(const char *&p, float &out) {
    p = skip_blanks(p);
    const char *end = p;
    const double d = v_strtod(p, &end);
    if (end == p || !std::isfinite(d) || !std::isfinite(float(d))) return false;
    out = float(d);
    p = end;
    return true;
}

bool read_bool(const char *text, bool &out) {
    const char *p = skip_blanks(text);
    size_t n = strlen(p);
    while (n > 0 && is_blank(p[n - 1])) --n;
    static const struct {
        const char *word;
        bool value;
    } words[] = {{"true", true}, {"false", false}, {"yes", true}, {"no", false}, {"on", true},
                 {"off", false}, {"1", true},      {"0", false}};
    for (const auto &w : words)
        if (strlen(w.word) == n && strncasecmp(p, w.word, n) == 0) {
            out = w.value;
            return true;
        }
    return false;
}

// "left bottom right top" into a rectangle kept as left, right, top, bottom.
bool read_coords(const char *text, ui_rect_t &out) {
    float v[4];
    const char *p = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            p = skip_blanks(p);
            if (*p == ',') ++p;
        }
        if (!read_real(p, v[i])) return false;
    }
    if (*skip_blanks(p)) return false;
    out = {v[0], v[2], v[3], v[1]};
    return true;
}

const char *type_text(evalue_type_t type) {
    switch (type) {
        case EVT_INT: return "an integer";
        case EVT_UINT: return "an unsigned integer";
        case EVT_FLOAT: return "a number";
        case EVT_BOOL: return "true or false";
        case EVT_TEXT: return "a text";
        case EVT_COORDS: return "four numbers: left bottom right top";
        default: return "a value of its own kind";
    }
}

array_dyn_t<const entity_reg_t *> *classes = nullptr;

void log_line(message_t::type_t type, const entity_t &e, const char *fmt, va_list args) {
    char text[1024];
    vsnprintf(text, sizeof text, fmt, args);
    const char *name = e.get_name();
    char tag[256];
    if (*name) snprintf(tag, sizeof tag, "[%s:%s]", e.get_class_name(), name);
    else snprintf(tag, sizeof tag, "[%s]", e.get_class_name());
    switch (type) {
        case message_t::ERROR: quarn::error("%s %s", tag, text); break;
        case message_t::WARNING: quarn::warning("%s %s", tag, text); break;
        case message_t::VERBOSE: quarn::verbose("%s %s", tag, text); break;
        default: quarn::message("%s %s", tag, text); break;
    }
}

}  // namespace

bool evalue_read(evalue_type_t type, const char *text, void *out) {
    if (!text || !out) return false;
    switch (type) {
        case EVT_INT:
        case EVT_UINT: {
            int64_t v;
            if (!read_integer(text, v)) return false;
            // Both take the 32 bits: "4294967295" is -1 as an int32_t.
            const uint32_t bits = uint32_t(v);
            memcpy(out, &bits, sizeof bits);
            return true;
        }
        case EVT_FLOAT: {
            const char *p = text;
            float f;
            if (!read_real(p, f) || *skip_blanks(p)) return false;
            *static_cast<float *>(out) = f;
            return true;
        }
        case EVT_BOOL: return read_bool(text, *static_cast<bool *>(out));
        case EVT_TEXT: return static_cast<mstring_t *>(out)->copy(text);
        case EVT_COORDS: return read_coords(text, *static_cast<ui_rect_t *>(out));
        default: return false;
    }
}

// ---- entity_t ----

const evalue_def_t entity_t::value_defs[] = {
    {"name", EVT_TEXT, nullptr, &entity_t::locate_name, &entity_t::name_flags, &evd_name},
};
const evalue_table_t entity_t::values = {value_defs, 1, nullptr};

entity_t::~entity_t() = default;

const evalue_table_t *entity_t::get_values() const { return &values; }

const char *entity_t::get_class_name() const { return m_reg && m_reg->class_name ? m_reg->class_name : "entity"; }

const evalue_def_t *entity_t::find_value(const char *name) const {
    if (!name) return nullptr;
    for (const evalue_table_t *t = get_values(); t; t = t->parent)
        for (uint32_t i = 0; i < t->count; ++i)
            if (strcasecmp(t->defs[i].name, name) == 0) return &t->defs[i];
    return nullptr;
}

bool entity_t::write(const evalue_def_t &def, const char *text) {
    uint8_t *flags = def.flags ? def.flags(this) : nullptr;
    bool changed = true;
    if (def.set) {
        if (!def.set(this, def, text)) return false;
    } else {
        if (def.type == EVT_CUSTOM || !def.locate) return false;
        void *place = def.locate(this);
        if (def.type == EVT_TEXT) {
            mstring_t &s = *static_cast<mstring_t *>(place);
            changed = strcmp(s.c_str(), text) != 0;
            if (!s.copy(text)) return false;
        } else {
            union {
                int32_t i;
                float f;
                bool b;
                ui_rect_t r;
            } value{};
            if (!evalue_read(def.type, text, &value)) return false;
            const size_t size = def.type == EVT_COORDS ? sizeof(ui_rect_t)
                                : def.type == EVT_BOOL ? sizeof(bool)
                                                       : sizeof(int32_t);
            changed = memcmp(place, &value, size) != 0;
            memcpy(place, &value, size);
        }
    }
    if (flags) *flags |= uint8_t(EVF_WRITTEN | (changed ? EVF_CHANGED : 0));
    return true;
}

bool entity_t::try_set_value(const char *name, const char *text) {
    const evalue_def_t *def = find_value(name);
    return def && text && write(*def, text);
}

bool entity_t::set_value(const char *name, const char *text) {
    const evalue_def_t *def = find_value(name);
    if (!def) {
        error("has no attribute '%s'", name ? name : "");
        return false;
    }
    if (!text || !write(*def, text)) {
        error("bad value '%s' for '%s': %s expected", text ? text : "", def->name, type_text(def->type));
        return false;
    }
    return true;
}

uint8_t entity_t::get_flags(const char *name) const {
    const evalue_def_t *def = find_value(name);
    return def && def->flags ? *def->flags(const_cast<entity_t *>(this)) : 0;
}

void entity_t::clear_flags(const char *name, uint8_t bits) {
    const evalue_def_t *def = find_value(name);
    if (def && def->flags) *def->flags(this) &= uint8_t(~bits);
}

void entity_t::apply_defaults() {
    // Bases first, so that a class's own default wins over its base's.
    const evalue_table_t *chain[32];
    int n = 0;
    for (const evalue_table_t *t = get_values(); t && n < 32; t = t->parent) chain[n++] = t;
    while (n-- > 0)
        for (uint32_t i = 0; i < chain[n]->count; ++i) {
            const evalue_def_t &def = chain[n]->defs[i];
            if (!def.default_text) continue;
            if (!write(def, def.default_text)) warning("bad default '%s' for '%s'", def.default_text, def.name);
            if (def.flags) *def.flags(this) = 0;
        }
}

void entity_t::copy_from(const entity_t &other) {
    if (other.get_values() != get_values()) return;
    entity_t &src = const_cast<entity_t &>(other);
    for (const evalue_table_t *t = get_values(); t; t = t->parent)
        for (uint32_t i = 0; i < t->count; ++i) {
            const evalue_def_t &def = t->defs[i];
            if (def.type == EVT_CUSTOM || !def.locate) continue;
            void *to = def.locate(this);
            const void *from = def.locate(&src);
            switch (def.type) {
                case EVT_TEXT:
                    static_cast<mstring_t *>(to)->copy(static_cast<const mstring_t *>(from)->c_str());
                    break;
                case EVT_COORDS: memcpy(to, from, sizeof(ui_rect_t)); break;
                case EVT_BOOL: memcpy(to, from, sizeof(bool)); break;
                default: memcpy(to, from, sizeof(int32_t)); break;
            }
        }
}

void entity_t::message(const char *fmt, ...) const {
    va_list args;
    va_start(args, fmt);
    log_line(message_t::MESSAGE, *this, fmt, args);
    va_end(args);
}

void entity_t::warning(const char *fmt, ...) const {
    va_list args;
    va_start(args, fmt);
    log_line(message_t::WARNING, *this, fmt, args);
    va_end(args);
}

void entity_t::error(const char *fmt, ...) const {
    va_list args;
    va_start(args, fmt);
    log_line(message_t::ERROR, *this, fmt, args);
    va_end(args);
}

void entity_t::verbose(const char *fmt, ...) const {
    va_list args;
    va_start(args, fmt);
    log_line(message_t::VERBOSE, *this, fmt, args);
    va_end(args);
}

// ---- the framework's attribute readers ----

bool evd_id(entity_t *entity, const evalue_def_t &def, const char *text) {
    return def.locate && evalue_read(EVT_INT, text, def.locate(entity));
}

bool evd_coords(entity_t *entity, const evalue_def_t &def, const char *text) {
    return def.locate && evalue_read(EVT_COORDS, text, def.locate(entity));
}

bool evd_layer(entity_t *entity, const evalue_def_t &def, const char *text) {
    return def.locate && evalue_read(EVT_INT, text, def.locate(entity));
}

bool evd_name(entity_t *entity, const evalue_def_t &def, const char *text) {
    return def.locate && evalue_read(EVT_TEXT, text, def.locate(entity));
}

// ---- registration ----

bool entity_register(const entity_reg_t *reg) {
    if (!reg || !reg->class_name || !*reg->class_name || !reg->factory || !reg->release ||
        reg->object_size < sizeof(entity_t)) {
        error("[ui] A malformed entity class record is refused ('%s')", reg && reg->class_name ? reg->class_name : "");
        return false;
    }
    if (const entity_reg_t *held = entity_find_class(reg->class_name)) {
        if (held == reg) {
            verbose("[ui] The entity class '%s' is registered already", reg->class_name);
            return true;
        }
        error("[ui] The entity class '%s' is registered already: the second record is refused", reg->class_name);
        return false;
    }
    if (!classes) classes = new array_dyn_t<const entity_reg_t *>;
    if (!classes || !classes->append(reg)) {
        error("[ui] No memory to register the entity class '%s'", reg->class_name);
        return false;
    }
    return true;
}

bool entity_unregister(const entity_reg_t *reg) {
    if (!classes || !reg) return false;
    for (uint32_t i = 0; i < classes->get_count(); ++i)
        if ((*classes)[i] == reg) {
            classes->remove(i);
            if (classes->is_empty()) {
                delete classes;
                classes = nullptr;
            }
            return true;
        }
    return false;
}

const entity_reg_t *entity_find_class(const char *class_name) {
    if (!classes || !class_name) return nullptr;
    for (const entity_reg_t *reg : *classes)
        if (strcmp(reg->class_name, class_name) == 0) return reg;
    return nullptr;
}

uint32_t entity_class_count() { return classes ? classes->get_count() : 0; }

const entity_reg_t *entity_class_get(uint32_t i) { return classes && i < classes->get_count() ? (*classes)[i] : nullptr; }

}  // namespace quarn
