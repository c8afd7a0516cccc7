#include "qrncore/units/unit_save.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_resource_tie.h"
#include "qrncore/units/unit_system.h"
#include "qrncore/units/unit_text.h"

namespace quarn {

namespace {

constexpr size_t BUFFER_SIZE = 64 * 1024;

const char *class_name_of(const unit_base_t *unit) { return unit->get_descriptor()->class_name->c_str(); }

// The attributes of the unit's class chain, the most derived class first.
template <class F>
bool for_each_attribute(unit_base_t *unit, F &&f) {
    for (const unit_descriptor_t *d = unit->get_descriptor(); d; d = d->parent)
        for (const unit_attribute_t *a = d->attributes; a->type != UNIT_ATTR_END; ++a)
            if (!f(a)) return false;
    return true;
}

template <class T>
bool fetch(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index, T *out) {
    return element ? unit->get_value(a, index, out) : unit->get_value(a, out);
}

}  // namespace

unit_save_t::unit_save_t(file_t &file, unit_traversal_mode_t mode) : m_file(file), m_mode(mode) {}

unit_save_t::~unit_save_t() {
    reset();
    if (m_buffer) qrncore_system_delete_vector(m_buffer);
}

void unit_save_t::reset() {
    for (uint32_t i = 0; i < m_list.get_count(); ++i) {
        unit_base_t *unit = m_list[i].get();
        if (unit->is_alive()) unit->set_save_mark(false);
    }
    m_list.clear();
    m_nameless.clear();
}

void unit_save_t::add(unit_base_t *unit) { add_listed(unit); }

void unit_save_t::add(unit_base_t *unit, unit_traversal_mode_t mode) {
    unit_traversal_mode_t saved = m_mode;
    m_mode = mode;
    add_listed(unit);
    m_mode = saved;
}

void unit_save_t::add_listed(unit_base_t *unit) {
    if (!unit || unit->is_save_marked()) return;
    if (m_depth && m_filter && unit->get_system() != m_filter) return;  // written by name only
    if (m_mode > UNIT_TRAVERSE_ALL) V_ABORT("unit_save_t::add(): Unknown unit traversal mode.");
    if (!m_list.append(ref_ptr_t<unit_base_t>(unit))) {
        error("[unit] No memory to list the unit '%s' for saving.", unit->name_text().c_str());
        return;
    }
    unit->set_save_mark(true);
    switch (m_mode) {
    case UNIT_TRAVERSE_NONE: return;
    case UNIT_TRAVERSE_OWNED:
    case UNIT_TRAVERSE_ALL: follow(unit); return;
    default: {
        unit_system_t *saved_filter = m_filter;
        m_filter = unit->get_system();
        ++m_depth;
        follow(unit);
        if (--m_depth == 0) m_filter = nullptr;
        else m_filter = saved_filter;
        return;
    }
    }
}

void unit_save_t::follow(unit_base_t *unit) {
    const bool references = m_mode == UNIT_TRAVERSE_ALL_SYSTEM || m_mode == UNIT_TRAVERSE_ALL;
    for_each_attribute(unit, [&](const unit_attribute_t *a) {
        const bool scalar = a->type == UNIT_ATTR_OWNER || (references && a->type == UNIT_ATTR_REF);
        const bool array = a->type == UNIT_ATTR_OWNER_ARRAY || (references && a->type == UNIT_ATTR_REF_ARRAY);
        if (scalar) add_listed(read_pointer(unit, a));
        if (array) {
            uint32_t count = 0;
            if (read_size(unit, a, &count))
                for (uint32_t i = 0; i < count; ++i) add_listed(read_pointer(unit, a, i));
        }
        return true;
    });
}

unit_base_t *unit_save_t::read_pointer(unit_base_t *unit, const unit_attribute_t *a) {
    unit_base_t *p = nullptr;
    if (unit->get_value(a, &p)) return p;
    error("[unit] Failed to get scalar '%s' of unit '%s'", a->name, unit->name_text().c_str());
    return nullptr;
}

unit_base_t *unit_save_t::read_pointer(unit_base_t *unit, const unit_attribute_t *a, uint32_t index) {
    unit_base_t *p = nullptr;
    if (unit->get_value(a, index, &p)) return p;
    error("[unit] Failed to get element '%s' @%u of unit '%s'", a->name, index, unit->name_text().c_str());
    return nullptr;
}

bool unit_save_t::read_size(unit_base_t *unit, const unit_attribute_t *a, uint32_t *count) {
    if (unit->get_size(a, count)) return true;
    error("[unit] Failed to get size of '%s' of unit '%s'", a->name, unit->name_text().c_str());
    return false;
}

// Pointers to nameless units outside the list cannot be written by name; enumeration
// values without a symbol could be written but never read back, so a save that wrote
// them could not claim success. Every case is reported.
bool unit_save_t::check_pointers() {
    bool ok = true;
    for (uint32_t u = 0; u < m_list.get_count(); ++u) {
        unit_base_t *unit = m_list[u].get();
        if (!unit->is_alive()) continue;
        for_each_attribute(unit, [&](const unit_attribute_t *a) {
            auto check_target = [&](unit_base_t *target) {
                if (target && !target->is_save_marked() && target->is_nameless()) {
                    error("[unit] Attempt to serialise nameless unit - attribute '%s' of unit '%s'", a->name,
                          unit->name_text().c_str());
                    ok = false;
                }
            };
            auto check_enum = [&](int32_t value) {
                if (unit_base_t::lookup_enum_symbol(static_cast<const unit_attr_enum_domain_t *>(a->domain), value))
                    return;
                error("[unit] Unit '%s' (type '%s') attribute '%s' value is outside its domain - %d!",
                      unit->name_text().c_str(), class_name_of(unit), a->name, value);
                ok = false;
            };
            uint32_t count = 0;
            int32_t value = 0;
            switch (a->type) {
            case UNIT_ATTR_OWNER:
            case UNIT_ATTR_REF: check_target(read_pointer(unit, a)); break;
            case UNIT_ATTR_OWNER_ARRAY:
            case UNIT_ATTR_REF_ARRAY:
                if (read_size(unit, a, &count))
                    for (uint32_t i = 0; i < count; ++i) check_target(read_pointer(unit, a, i));
                break;
            case UNIT_ATTR_ENUM:
                if (unit->get_value(a, &value)) check_enum(value);
                break;
            case UNIT_ATTR_ENUM_ARRAY:
                if (unit->get_size(a, &count))
                    for (uint32_t i = 0; i < count; ++i)
                        if (unit->get_value(a, i, &value)) check_enum(value);
                break;
            default: break;
            }
            return true;
        });
    }
    return ok;
}

bool unit_save_t::save(unit_payload_format_t format) {
    if (!check_pointers()) return false;

    const uint32_t count = m_list.get_count();
    for (uint32_t i = 0; i < count; ++i) {
        unit_base_t *unit = m_list[i].get();
        if (!unit->is_alive() || unit->_call_pre_save()) continue;
        error("[unit] The unit '%s' (of type '%s') failed to prepare itself for saving.", unit->name_text().c_str(),
              class_name_of(unit));
        for (uint32_t j = i + 1; j-- > 0;) {
            unit_base_t *undo = m_list[j].get();
            if (undo->is_alive()) undo->_call_post_save();
        }
        return false;
    }

    m_format = format;
    bool ok = format == UNIT_PAYLOAD_TEXT && write_text();
    if (!ok) error("[unit] Error while writing units to file '%s'", m_file.get_name());

    for (uint32_t i = 0; i < count; ++i) {
        unit_base_t *unit = m_list[i].get();
        if (!unit->is_alive() || unit->_call_post_save()) continue;
        error("[unit] The unit '%s' (of type '%s') failed to recover itself for saving.", unit->name_text().c_str(),
              class_name_of(unit));
        ok = false;
    }
    return ok;
}

bool unit_save_t::write_text() {
    if (!m_buffer) {
        m_buffer = static_cast<char *>(qrncore_system_new_vector(BUFFER_SIZE));
        if (!m_buffer) return false;
    }
    m_used = 0;
    m_write_failed = false;
    if (!number_nameless()) return false;
    put("RozErere\r\n{\r\n");
    for (uint32_t i = 0; i < m_list.get_count() && !m_write_failed; ++i) {
        unit_base_t *unit = m_list[i].get();
        if (unit->is_alive() && !write_unit(unit)) return false;
    }
    put("}\r\n");
    return flush();
}

bool unit_save_t::number_nameless() {
    m_nameless.clear();
    for (uint32_t i = 0; i < m_list.get_count(); ++i) {
        const unit_base_t *unit = m_list[i].get();
        if (unit->is_alive() && unit->is_nameless() && !m_nameless.append({unit, m_nameless.get_count() + 1}))
            return false;
    }
    nameless_entry_t *first = m_nameless.get_data();
    std::sort(first, first + m_nameless.get_count(),
              [](const nameless_entry_t &a, const nameless_entry_t &b) { return a.unit < b.unit; });
    return true;
}

bool unit_save_t::put_name(const unit_base_t *unit) {
    if (unit->is_nameless()) {
        const nameless_entry_t *first = m_nameless.get_data();
        const nameless_entry_t *last = first + m_nameless.get_count();
        const nameless_entry_t *e = std::lower_bound(
            first, last, unit, [](const nameless_entry_t &a, const unit_base_t *u) { return a.unit < u; });
        if (e != last && e->unit == unit) {
            char number[16];
            const auto r = std::to_chars(number, number + sizeof(number), e->number);
            put("_nameless.");
            return put(number, size_t(r.ptr - number));
        }
    }
    unit->get_name(m_scratch);
    return put(m_scratch.c_str(), m_scratch.length());
}

bool unit_save_t::write_unit(unit_base_t *unit) {
    put(class_name_of(unit));
    put(" : ");
    put_name(unit);
    put(" {\r\n");
    if (!for_each_attribute(unit, [&](const unit_attribute_t *a) { return write_attribute(unit, a); })) return false;
    return put("}\r\n\r\n");
}

bool unit_save_t::write_attribute(unit_base_t *unit, const unit_attribute_t *a) {
    if (a->type == UNIT_ATTR_END || a->type > UNIT_ATTR_LAST) {
        error("[unit] Unknown unit attribute type.");
        return false;
    }
    if (!unit_attr_type_is_array(a->type)) {
        put(" ");
        put(a->name);
        return write_value(unit, a, false, 0);
    }
    uint32_t count = 0;
    if (!unit->get_size(a, &count)) return false;
    char number[16];
    auto r = std::to_chars(number, number + sizeof(number), count);
    put(" ");
    put(a->name);
    put(": ");
    put(number, size_t(r.ptr - number));
    put("\r\n");
    for (uint32_t i = 0; i < count; ++i) {
        r = std::to_chars(number, number + sizeof(number), i);
        put(" ");
        put(a->name);
        put("[");
        put(number, size_t(r.ptr - number));
        put("]");
        if (!write_value(unit, a, true, i)) return false;
    }
    return !m_write_failed;
}

// The value part of a line, after the attribute name (and index): ": value\r\n".
bool unit_save_t::write_value(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t i) {
    char number[24];
    auto put_number = [&](auto value) {
        auto r = std::to_chars(number, number + sizeof(number), value);
        return put(number, size_t(r.ptr - number));
    };
    switch (unit_attr_type_element_type(a->type)) {
    case UNIT_ATTR_STRING:
    case UNIT_ATTR_TOKEN: {
        if (!fetch(unit, a, element, i, static_cast<mstring_t *>(&m_scratch))) return false;
        put(": ");
        put_text(m_scratch.c_str(), m_scratch.length());
        break;
    }
    case UNIT_ATTR_FLOAT: {
        float v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_float(v);
        break;
    }
    case UNIT_ATTR_VEC2: {
        vec2_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_floats(&v.x, 2);
        break;
    }
    case UNIT_ATTR_VEC3: {
        vec3_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_floats(&v.x, 3);
        break;
    }
    case UNIT_ATTR_VEC4: {
        vec4_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_floats(&v.x, 4);
        break;
    }
    case UNIT_ATTR_MATRIX: {
        mat4_t m;
        if (!fetch(unit, a, element, i, &m)) return false;
        put(":");
        for (int row = 0; row < 4; ++row) {
            const float column[4] = {m.m[row], m.m[row + 4], m.m[row + 8], m.m[row + 12]};
            put("\r\n  ");
            put_floats(column, 4);
        }
        break;
    }
    case UNIT_ATTR_QUAT: {
        quat_t q;
        if (!fetch(unit, a, element, i, &q)) return false;
        put(": ");
        put_quat(q);
        break;
    }
    case UNIT_ATTR_PLACEMENT: {
        placement_t p;
        if (!fetch(unit, a, element, i, &p)) return false;
        put(": ");
        put_floats(&p.position.x, 3);
        put(" ");
        put_quat(p.rotation);
        break;
    }
    case UNIT_ATTR_PLACEMENT_SCALE: {
        placement_scale_t p;
        if (!fetch(unit, a, element, i, &p)) return false;
        put(": ");
        put_floats(&p.position.x, 3);
        put(" ");
        put_float(p.scale);
        put(" ");
        put_quat(p.rotation);
        break;
    }
    case UNIT_ATTR_PLACEMENT_NONUNIFORM: {
        placement_nonuniform_t p;
        if (!fetch(unit, a, element, i, &p)) return false;
        put(": ");
        put_floats(&p.position.x, 3);
        put(" ");
        put_floats(&p.scale.x, 3);
        put(" ");
        put_quat(p.rotation);
        break;
    }
    case UNIT_ATTR_PLANE: {
        plane_t p;
        if (!fetch(unit, a, element, i, &p)) return false;
        const float normal[3] = {p.a, p.b, p.c};
        put(": ");
        put_floats(normal, 3);
        put(" ");
        put_float(p.d);
        break;
    }
    case UNIT_ATTR_SPHERE: {
        sphere_t s;
        if (!fetch(unit, a, element, i, &s)) return false;
        put(": ");
        put_floats(&s.center.x, 3);
        put(" ");
        put_float(s.radius);
        break;
    }
    case UNIT_ATTR_AABOX: {
        aabox_t b;
        if (!fetch(unit, a, element, i, &b)) return false;
        put(": ");
        put_floats(&b.min.x, 3);
        put(" ");
        put_floats(&b.max.x, 3);
        break;
    }
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_INT32_B: {
        int32_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_number(v);
        break;
    }
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_B: {
        uint32_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        if (v == UINT32_MAX) put("nil");
        else put_number(v);
        break;
    }
    case UNIT_ATTR_INT64: {
        int64_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_number(v);
        break;
    }
    case UNIT_ATTR_UINT64: {
        uint64_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        if (v == UINT64_MAX) put("nil");
        else put_number(v);
        break;
    }
    case UNIT_ATTR_UINT32_PLAIN: {
        uint32_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(": ");
        put_number(v);
        break;
    }
    case UNIT_ATTR_BOOL: {
        bool v;
        if (!fetch(unit, a, element, i, &v)) return false;
        put(v ? ": true" : ": false");
        break;
    }
    case UNIT_ATTR_ENUM: {
        int32_t v;
        if (!fetch(unit, a, element, i, &v)) return false;
        const char *symbol =
            unit_base_t::lookup_enum_symbol(static_cast<const unit_attr_enum_domain_t *>(a->domain), v);
        if (!symbol) return false;  // refused before writing began
        put(": ");
        put(symbol);
        break;
    }
    case UNIT_ATTR_OWNER:
    case UNIT_ATTR_REF: {
        unit_base_t *p = nullptr;
        if (!fetch(unit, a, element, i, &p)) return false;
        put(": ");
        if (!p) {
            put("null");
        } else {
            put_name(p);
        }
        break;
    }
    case UNIT_ATTR_RESOURCE: {
        unit_base_t *p = nullptr;
        if (!fetch(unit, a, element, i, &p)) return false;
        put(": \"");
        if (!p) {
            put("null");
        } else {
            if (!unit_resource_tie_t::installed().get_resource_name(&m_scratch, p)) return false;
            put(m_scratch.c_str(), m_scratch.length());
        }
        put("\"");
        break;
    }
    default: error("[unit] Unknown unit attribute type."); return false;
    }
    return put("\r\n");
}

bool unit_save_t::put(const char *text, size_t length) {
    if (m_write_failed) return false;
    if (m_used + length > BUFFER_SIZE) {
        if (!flush()) return false;
        if (length > BUFFER_SIZE) {
            // A text longer than the buffer goes out at once, in pieces the file
            // interface takes.
            while (length) {
                uint32_t piece = length > 0x40000000u ? 0x40000000u : uint32_t(length);
                if (!m_file.write(text, piece)) {
                    m_write_failed = true;
                    return false;
                }
                text += piece;
                length -= piece;
            }
            return true;
        }
    }
    memcpy(m_buffer + m_used, text, length);
    m_used += length;
    return true;
}

bool unit_save_t::put(const char *text) { return put(text, strlen(text)); }

bool unit_save_t::put_float(float value) {
    char text[UNIT_FLOAT_TEXT_SIZE];
    return put(text, unit_float_text(text, value));
}

bool unit_save_t::put_floats(const float *values, int count) {
    put("(");
    for (int k = 0; k < count; ++k) {
        if (k) put(", ");
        put_float(values[k]);
    }
    return put(")");
}

bool unit_save_t::put_quat(const quat_t &q) {
    put("(");
    put_float(q.w);
    put("; ");
    put_float(q.x);
    put(", ");
    put_float(q.y);
    put(", ");
    put_float(q.z);
    return put(")");
}

bool unit_save_t::put_text(const char *text, size_t length) {
    if (unit_text_is_bare(text, length)) return put(text, length);
    // Quoted: runs of plain characters are copied whole.
    static const char hex[] = "0123456789abcdef";
    put("\"");
    size_t run = 0;
    for (size_t k = 0; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if (c >= ' ' && c <= '~' && c != '"' && c != '\\') continue;
        put(text + run, k - run);
        run = k + 1;
        char escape[4] = {'\\', 0, 0, 0};
        size_t n = 2;
        switch (c) {
        case '\n': escape[1] = 'n'; break;
        case '\r': escape[1] = 'r'; break;
        case '"': escape[1] = '"'; break;
        case '\\': escape[1] = '\\'; break;
        default:
            escape[1] = 'x', escape[2] = hex[c >> 4], escape[3] = hex[c & 15];
            n = 4;
        }
        put(escape, n);
    }
    put(text + run, length - run);
    return put("\"");
}

bool unit_save_t::flush() {
    if (m_write_failed) return false;
    if (m_used && !m_file.write(m_buffer, uint32_t(m_used))) m_write_failed = true;
    m_used = 0;
    return !m_write_failed;
}

}  // namespace quarn
