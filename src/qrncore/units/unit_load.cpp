#include "qrncore/units/unit_load.h"

#include <strings.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

namespace {

// The view's bytes into out.
const char *copy_of(mstring_dyn_t &out, const char *text, uint32_t length) {
    out.copy(string(text), 0, 0, length);
    return out.c_str();
}

// True when the terminated name is the length bytes of word (which hold no zero).
inline bool same_word(const char *name, const char *word, uint32_t length) {
    for (uint32_t i = 0; i < length; ++i)
        if (name[i] != word[i]) return false;
    return name[length] == 0;
}

}  // namespace

unit_load_t::unit_load_t(file_t &file, unit_system_t &system, unit_file_opener_t *opener, const char *path)
    : m_file(file), m_system(system),
      m_scanner(opener ? *opener : unit_file_opener_t::file_system(), uint32_t(file.get_fs_realm())) {
    if (path) m_path.copy(path);
    m_scanner.set_report_hook(&unit_load_t::report_hook, this);
}

const char *unit_load_t::copy_text(const char *text, uint32_t length) { return copy_of(m_text, text, length); }

unit_load_t::~unit_load_t() { reset(); }

const char *unit_load_t::path() const { return m_path.c_str()[0] ? m_path.c_str() : m_file.get_name(); }

void unit_load_t::reset() {
    release_all();
    m_roots.clear();
    m_scanner.reset();
}

// Everything a load made goes: the roots, and every created unit that nothing
// destroyed yet, so that all of them reach the garbage list. Units that own each other
// are destroyed one by one.
void unit_load_t::release_all() {
    m_roots.clear();
    for (uint32_t i = 0; i < m_created.get_count(); ++i) {
        unit_base_t *unit = m_created[i].unit;
        if (!unit->is_alive()) continue;
        if (unit->is_owned()) unit->destroy();
        else unit->dispose_unowned();
    }
    m_created.clear();
    m_names.clear();
    m_patches.clear();
    m_pending_count = 0;
    m_pending_tokens.clear();
    m_bind_patches = 0;
}

bool unit_load_t::load() {
    reset();
    m_last_class = nullptr;
    m_keys_class = nullptr;
    m_bind_failed = false;
    m_any_owned = false;
    m_nameless_token = unit_name_t::nameless_token();
    if (!read_file()) return false;
    // Room for the names, units and pointers a file of this size may hold at most
    // about, so the tables do not move as they fill (memory that stays unused is never
    // touched), and a name index for a typical file of this size (one name in about
    // 40 bytes), which is cleared and so touched. A file that holds more grows them.
    const uint64_t size = m_file.size();
    const uint32_t room = uint32_t(size / 32 < (1u << 24) ? size / 32 : (1u << 24));
    m_names.reserve(room, room / 4);
    m_patches.request_capacity(room);
    m_created.request_capacity(room / 2);
    m_pending_tokens.request_capacity(PENDING_BATCH * 2);
    const bool ok = parse() && resolve_outside() && check_ownership_cycles() && apply_patches() && collect_roots() &&
                    run_post_load();
    if (!ok) {
        release_all();
        m_scanner.reset();
        return false;
    }
    m_created.clear();
    m_names.clear();
    m_patches.clear();
    m_scanner.reset();
    return true;
}

bool unit_load_t::read_file() {
    const uint64_t size = m_file.size();
    if (size >= (uint64_t(1) << 32)) {
        error("[unit] The file '%s' is larger than we can handle. (reported size %" PRIu64 ")", path(), size);
        return false;
    }
    if (size < 8) {
        error("[unit] The file '%s' does not contain serialised units. (reported size %zu < 8)", path(), size_t(size));
        return false;
    }
    char *text = static_cast<char *>(qrncore_system_new_vector(size_t(size) + unit_scanner_t::TEXT_PADDING));
    if (!text || !m_file.block_read(text, uint32_t(size), 0)) {
        if (text) qrncore_system_delete_vector(text);
        error("[unit] Error while reading units from file '%s'", path());
        return false;
    }
    memset(text + size, 0, unit_scanner_t::TEXT_PADDING);
    if (memcmp(text, "RozErere", 8) != 0) {
        qrncore_system_delete_vector(text);
        error("[unit] The file '%s' does not contain serialised units - missing magic mark.", path());
        return false;
    }
    m_scanner.start(path(), text, size);
    return true;
}

bool unit_load_t::parse() {
    if (!m_scanner.magic()) {
        error("[unit] The file '%s' does not contain serialised units. (scan_file_magic)", path());
        return false;
    }
    if (!m_scanner.expect('{', "'{'")) {
        error("[unit] The file '%s' does not contain serialised units. (scan_open)", path());
        return false;
    }
    for (;;) {
        const char *type = nullptr;
        uint32_t length = 0;
        const int r = m_scanner.identifier_or_close(type, length, "unit type name or closing bracket");
        if (r < 0) return false;
        if (r == 0) break;
        if (!parse_unit(type, length)) return false;
    }
    // Text after the closing brace fails the load: the file is not what it says.
    if (!m_scanner.end_of_file() || !bind_pending()) return false;
    m_scanner.reset();
    return true;
}

// The class of a type name; files hold long runs of one class, so the last one found
// is compared first.
const unit_descriptor_t *unit_load_t::find_class(const char *type, uint32_t length) {
    if (m_last_class) {
        const char *known = m_last_class->class_name->c_str();
        if (same_word(known, type, length)) return m_last_class;
    }
    copy_of(m_word, type, length);
    const unit_descriptor_t *d = m_system.find_unit_type(m_word);
    if (d) m_last_class = d;
    return d;
}

const unit_scanner_t::word_key_t *unit_load_t::keys_of(const unit_descriptor_t *d) {
    if (d == m_keys_class) return m_keys.get_data();
    m_keys_class = nullptr;
    m_keys.clear();
    uint32_t n = 0;
    while (d->attributes[n].type != UNIT_ATTR_END) ++n;
    if (!m_keys.request_capacity(n)) return nullptr;  // read by the scanner's general path
    // A single value's ':' is taken with its name; an array's name is followed by its
    // index or the length line's ':' (an unknown code is left to the general path).
    for (uint32_t i = 0; i < n; ++i) {
        const unit_attribute_t &a = d->attributes[i];
        m_keys.append(unit_scanner_t::expect_word(a.name, a.type <= UNIT_ATTR_LAST && a.type % 2 == 1));
    }
    m_keys_class = d;
    return m_keys.get_data();
}

bool unit_load_t::parse_unit(const char *type, uint32_t type_length) {
    const unit_descriptor_t *d = find_class(type, type_length);
    if (!d) {
        if (m_scanner.report_location()) error("[unit] The '%s' is not a unit type name.", m_word.c_str());
        return false;
    }
    if (!d->create) {
        copy_of(m_word, type, type_length);
        if (m_scanner.report_location()) error("[unit] The '%s' is not an abstract unit type name.", m_word.c_str());
        return false;
    }
    unit_base_t *unit = m_system.create_unit(*d);
    if (!unit) {
        copy_of(m_word, type, type_length);
        if (m_scanner.report_location()) error("[unit] Creation of unit instance of type '%s' failed.", m_word.c_str());
        return false;
    }
    if (!m_created.append(created_t{unit, unit_name_table_t::NONE, "", 0})) {
        unit->dispose_unowned();
        copy_of(m_word, type, type_length);
        if (m_scanner.report_location()) error("[unit] Creation of unit instance of type '%s' failed.", m_word.c_str());
        return false;
    }
    m_current = m_created.get_count() - 1;
    unit->_call_pre_load();
    if (!m_scanner.expect(':', "':'")) {
        m_created.remove(m_current);
        unit->dispose_unowned();
        return false;
    }
    created_t &created = m_created[m_current];
    const int form = m_scanner.unit_name(created.written, created.written_length, m_nameless_token, m_tokens);
    if (form < 0 || (!form && !report_name_form(created.written, created.written_length)) ||
        !gather(created.written, created.written_length, nullptr, false, 0, false))
        return false;
    if (!m_scanner.expect('{', "'{'")) return false;
    const unit_attribute_t *next = d->attributes;
    const unit_scanner_t::word_key_t *keys = keys_of(d);
    static const unit_scanner_t::word_key_t no_key;
    for (;;) {
        const char *word = nullptr;
        uint32_t length = 0;
        // Files list attributes mostly in table order: the entry after the last one
        // found is tried first (when it is of the unit's own table, as a lookup by
        // name would find an attribute of the class before one of its parents), its
        // name compared in place.
        const bool own = next && next->type != UNIT_ATTR_END && next->descriptor == d;
        const unit_scanner_t::word_key_t &key = own && keys ? keys[next - d->attributes] : no_key;
        const int r = m_scanner.identifier_or_close(key, word, length, "attribute name or closing bracket");
        if (r < 0) return false;
        if (r == 0) return true;
        if (r == 3) {  // the name and its ':'
            if (!read_value(unit, next, false, 0)) return false;
            ++next;
            continue;
        }
        const unit_attribute_t *a = nullptr;
        if (r == 2 || (own && same_word(next->name, word, length)))
            a = next;
        else
            a = unit_system_t::get_attribute_descriptor(d, copy_of(m_word, word, length));
        next = a ? a + 1 : nullptr;
        if (!a) {
            if (m_scanner.report_location())
                error("[unit] The unit '%s' of type '%s' has no attribute named '%s'.", unit_name_text(),
                      class_of(unit), m_word.c_str());
            return false;
        }
        if (!parse_attribute(unit, a)) return false;
    }
}

bool unit_load_t::parse_attribute(unit_base_t *unit, const unit_attribute_t *a) {
    if (!unit_attr_type_is_array(a->type)) return m_scanner.expect(':', "':'") && read_value(unit, a, false, 0);

    uint32_t index = 0;
    const int form = m_scanner.index(index);
    if (form < 0) return false;
    if (form == 0) {  // the length line
        uint64_t length = 0;
        if (!m_scanner.expect(':', "':'") || !m_scanner.unsigned_value(length)) return false;
        if (length > UINT32_MAX) {
            if (m_scanner.report_location())
                error("[unit] The requested length of the array attribute '%s' of unit '%s' (of type '%s') is "
                      "too large.",
                      a->name, unit_name_text(), class_of(unit));
            return false;
        }
        // The length only reserves room, capped by what the rest of the text could
        // hold, so a broken length cannot ask for gigabytes (elements still append).
        const uint64_t left = m_scanner.bytes_left();
        const uint32_t want = uint32_t(length < left ? length : left);
        if (!unit->request_capacity(a, want)) {
            if (m_scanner.report_location())
                error("[unit] Failed to set the requested length of the array attribute '%s' of unit '%s' (of "
                      "type '%s').",
                      a->name, unit_name_text(), class_of(unit));
            return false;
        }
        return true;
    }
    uint32_t size = 0;
    if (!unit->get_size(a, &size)) {
        if (m_scanner.report_location())
            error("[unit] Failed to get the size of array attribute '%s' of unit '%s' (of type '%s').", a->name,
                  unit_name_text(), class_of(unit));
        return false;
    }
    if (form == 2 && index != size) {
        if (m_scanner.report_location())
            error("[unit] The values in array attribute '%s' of unit '%s' (of type '%s') must be specified in order - "
                  "trying to set the element %u of array of size %u.",
                  a->name, unit_name_text(), class_of(unit), index, size);
        return false;
    }
    return m_scanner.expect(':', "':'") && read_value(unit, a, true, size);
}

void unit_load_t::report_out_of_domain(unit_base_t *unit, const unit_attribute_t *a, const char *value_text) {
    error("[unit] The requested value %sof the attribute '%s' of unit '%s' (of type '%s') is out of the attribute "
          "domain.",
          value_text, a->name, unit_name_text(), class_of(unit));
}

void unit_load_t::report_store_failure(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    if (m_scanner.report_location()) store_failure_message(unit, a, element, index);
}

void unit_load_t::store_failure_message(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    if (element)
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s[%u].", unit_name_text(),
              class_of(unit), a->name, index);
    else
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.", unit_name_text(),
              class_of(unit), a->name);
}


bool unit_load_t::read_value(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    char text[512];
    // Tests the value; a refused one is reported with the text of the value that
    // describe writes (only then: formatting every value would cost more than reading).
    auto check_as = [&](unit_check_result_t result, auto &&describe) {
        if (result == UNIT_CHECK_OK) return true;
        text[0] = 0;
        describe();
        if (m_scanner.report_location()) report_out_of_domain(unit, a, text);
        return false;
    };
    auto check = [&](unit_check_result_t result) { return check_as(result, [] {}); };
    auto g = [](float f) { return double(f); };
    float f[16];
    const unit_attr_type_t kind = element_kind(a->type);
    switch (kind) {
    case UNIT_ATTR_STRING:
    case UNIT_ATTR_TOKEN: {
        if (!m_scanner.string_value(m_text)) return false;
        return check_as(unit_base_t::check_value(unit, a, string(m_text)),
                        [&] { snprintf(text, sizeof(text), "'%s' ", m_text.c_str()); }) &&
               store(unit, a, element, index, string(m_text));
    }
    case UNIT_ATTR_FLOAT: {
        if (!m_scanner.real(f[0])) return false;
        return check_as(check_known_value(a, f[0]),
                        [&] { snprintf(text, sizeof(text), "'%g' ", g(f[0])); }) &&
               store(unit, a, element, index, f[0]);
    }
    case UNIT_ATTR_VEC2: {
        if (!m_scanner.vector(f, 2)) return false;
        const vec2_t v{f[0], f[1]};
        return check_as(check_known_value(a, v),
                        [&] { snprintf(text, sizeof(text), "'(%g, %g)' ", g(f[0]), g(f[1])); }) &&
               store(unit, a, element, index, v);
    }
    case UNIT_ATTR_VEC3: {
        if (!m_scanner.vector(f, 3)) return false;
        const vec3_t v{f[0], f[1], f[2]};
        return check_as(check_known_value(a, v),
                        [&] { snprintf(text, sizeof(text), "'(%g, %g, %g)' ", g(f[0]), g(f[1]), g(f[2])); }) &&
               store(unit, a, element, index, v);
    }
    case UNIT_ATTR_VEC4: {
        if (!m_scanner.vector(f, 4)) return false;
        const vec4_t v{f[0], f[1], f[2], f[3]};
        return check_as(
                   check_known_value(a, v),
                   [&] { snprintf(text, sizeof(text), "'(%g, %g, %g, %g)' ", g(f[0]), g(f[1]), g(f[2]), g(f[3])); }) &&
               store(unit, a, element, index, v);
    }
    case UNIT_ATTR_QUAT: {
        if (!m_scanner.quaternion(f)) return false;
        const quat_t q(f[0], f[1], f[2], f[3]);
        return check_as(
                   unit_base_t::check_value(unit, a, q),
                   [&] { snprintf(text, sizeof(text), "'(%g; %g, %g, %g)' ", g(f[0]), g(f[1]), g(f[2]), g(f[3])); }) &&
               store(unit, a, element, index, q);
    }
    default:
        break;
    }

    switch (kind) {
    case UNIT_ATTR_MATRIX: {
        mat4_t m;
        for (int row = 0; row < 4; ++row) {
            if (!m_scanner.vector(f, 4)) return false;
            for (int k = 0; k < 4; ++k) m.m[row + 4 * k] = f[k];
        }
        return check(unit_base_t::check_value(unit, a, m)) && store(unit, a, element, index, m);
    }
    case UNIT_ATTR_PLACEMENT: {
        placement_t p;
        if (!m_scanner.vector(f, 3) || !m_scanner.quaternion(f + 3)) return false;
        p.position = {f[0], f[1], f[2]};
        p.rotation = quat_t(f[3], f[4], f[5], f[6]);
        return check(unit_base_t::check_value(unit, a, p)) && store(unit, a, element, index, p);
    }
    case UNIT_ATTR_PLACEMENT_SCALE: {
        placement_scale_t p;
        if (!m_scanner.vector(f, 3) || !m_scanner.real(f[3]) || !m_scanner.quaternion(f + 4)) return false;
        p.position = {f[0], f[1], f[2]};
        p.scale = f[3];
        p.rotation = quat_t(f[4], f[5], f[6], f[7]);
        return check(unit_base_t::check_value(unit, a, p)) && store(unit, a, element, index, p);
    }
    case UNIT_ATTR_PLACEMENT_NONUNIFORM: {
        placement_nonuniform_t p;
        if (!m_scanner.vector(f, 3) || !m_scanner.vector(f + 3, 3) || !m_scanner.quaternion(f + 6)) return false;
        p.position = {f[0], f[1], f[2]};
        p.scale = {f[3], f[4], f[5]};
        p.rotation = quat_t(f[6], f[7], f[8], f[9]);
        return check(unit_base_t::check_value(unit, a, p)) && store(unit, a, element, index, p);
    }
    case UNIT_ATTR_PLANE: {
        if (!m_scanner.vector(f, 3) || !m_scanner.real(f[3])) return false;
        const plane_t p(f[0], f[1], f[2], f[3]);
        return check(unit_base_t::check_value(unit, a, p)) && store(unit, a, element, index, p);
    }
    case UNIT_ATTR_SPHERE: {
        if (!m_scanner.vector(f, 3) || !m_scanner.real(f[3])) return false;
        const sphere_t s(vec3_t{f[0], f[1], f[2]}, f[3]);
        return check(unit_base_t::check_value(unit, a, s)) && store(unit, a, element, index, s);
    }
    case UNIT_ATTR_AABOX: {
        if (!m_scanner.vector(f, 3) || !m_scanner.vector(f + 3, 3)) return false;
        const aabox_t b(vec3_t{f[0], f[1], f[2]}, vec3_t{f[3], f[4], f[5]});
        return check(unit_base_t::check_value(unit, a, b)) && store(unit, a, element, index, b);
    }
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_INT32_B:
    case UNIT_ATTR_INT64: {
        int64_t v = 0;
        if (!m_scanner.integer(v)) return false;
        if (!check_as(check_known_value(a, v), [&] { snprintf(text, sizeof(text), "%" PRId64 " ", v); }))
            return false;
        if (kind == UNIT_ATTR_INT64) return store(unit, a, element, index, v);
        return store(unit, a, element, index, int32_t(v));
    }
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_UINT32_PLAIN:
    case UNIT_ATTR_UINT64: {
        uint64_t v = 0;
        if (!m_scanner.unsigned_value(v)) return false;
        if (!check_as(check_known_value(a, v), [&] { snprintf(text, sizeof(text), "%" PRIu64 " ", v); }))
            return false;
        if (kind == UNIT_ATTR_UINT64) return store(unit, a, element, index, v);
        return store(unit, a, element, index, uint32_t(v));
    }
    case UNIT_ATTR_BOOL: {
        bool v = false;
        if (!m_scanner.boolean(v)) return false;
        return check_as(unit_base_t::check_value(unit, a, v),
                        [&] { snprintf(text, sizeof(text), "'%s' ", v ? "true" : "false"); }) &&
               store(unit, a, element, index, v);
    }
    case UNIT_ATTR_ENUM:
        return read_enum(unit, a, element, index);
    case UNIT_ATTR_OWNER:
    case UNIT_ATTR_REF:
        return read_unit_pointer(unit, a, element, index);
    case UNIT_ATTR_RESOURCE: return read_resource(unit, a, element, index);
    default: V_ABORT("[unit] Unknown attribute type in the unit reader.");
    }
}

bool unit_load_t::read_enum(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    bool is_symbol = false;
    int64_t number = 0;
    if (!m_scanner.enum_value(is_symbol, m_text, number)) return false;
    const auto *domain = static_cast<const unit_attr_enum_domain_t *>(a->domain);
    int32_t value = 0;
    if (!is_symbol) {
        if (number < INT32_MIN || number > INT32_MAX) {
            if (m_scanner.report_location())
                error("[unit] The requested value %" PRId64
                      " of the attribute '%s' of unit '%s' (of type '%s') is too large.",
                      number, a->name, unit_name_text(), class_of(unit));
            return false;
        }
        value = int32_t(number);
        if (!unit_base_t::lookup_enum_symbol(domain, value)) {
            if (bind_pending())
                error("[unit] The requested value '%d' is outside the domain of the attribute '%s' of unit '%s' (of "
                      "type '%s').",
                      value, a->name, unit_name_text(), class_of(unit));
            return false;
        }
    } else if (!unit_base_t::lookup_enum_value(domain, m_text, &value)) {
        if (bind_pending())
            error("[unit] The requested value '%s' is outside the domain of the attribute '%s' of unit '%s' (of type "
                  "'%s').",
                  m_text.c_str(), a->name, unit_name_text(), class_of(unit));
        return false;
    }
    return store(unit, a, element, index, value);
}

bool unit_load_t::read_resource(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    if (!m_scanner.string_value(m_text)) return false;
    if ((m_text[0] | 0x20) == 'n' && strcasecmp(m_text.c_str(), "null") == 0) {
        if (unit_base_t::check_value(unit, a, nullptr) != UNIT_CHECK_OK) {
            if (m_scanner.report_location()) report_out_of_domain(unit, a, "'null' ");
            return false;
        }
        return store(unit, a, element, index, static_cast<unit_base_t *>(nullptr));
    }
    // Loading a resource does things beyond this load: the names before it are bound
    // first, so a load that fails there loads nothing more.
    if (!bind_pending()) return false;
    unit_resource_tie_t &tie = unit_resource_tie_t::installed();
    unit_base_t *value = tie.load(m_text, unit, a);
    if (unit_base_t::check_value(unit, a, value) != UNIT_CHECK_OK) {
        char text[300];
        snprintf(text, sizeof(text), "'%s' ", m_text.c_str());
        if (m_scanner.report_location()) report_out_of_domain(unit, a, text);
        tie.unload(value, unit, a);
        return false;
    }
    if (!store(unit, a, element, index, value)) {
        tie.unload(value, unit, a);
        return false;
    }
    return true;
}

bool unit_load_t::run_post_load() {
    for (uint32_t i = 0; i < m_created.get_count(); ++i) {
        unit_base_t *unit = m_created[i].unit;
        if (!unit->is_alive() || unit->_call_post_load()) continue;
        error("[unit] The unit '%s' of type '%s' failed in its post-load hook.", unit->name_text().c_str(),
              class_of(unit));
        return false;
    }
    return true;
}

owner_ptr_ret_t<unit_base_t> unit_load_t::load_tree_generic() {
    if (!load()) return {};
    const uint32_t count = m_roots.get_count();
    if (count != 1) {
        if (count == 0) error("[unit] There were no units in the file '%s'.", path());
        else error("[unit] There are multiple unit trees in the file '%s'.", path());
        reset();
        return {};
    }
    owner_ptr_ret_t<unit_base_t> root = m_roots[0].release();
    reset();
    return root;
}

owner_ptr_ret_t<unit_base_t> unit_load_t::load_named_tree_generic(const string &name) {
    if (name[0] == '.' || strncasecmp(name.c_str(), "_nameless.", 10) == 0) {
        error("[unit] Can not filter nameless units based on name.");
        return {};
    }
    if (!load()) return {};
    if (m_roots.get_count() == 0) {
        error("[unit] There were no units in the file '%s'.", path());
        reset();
        return {};
    }
    owner_ptr_ret_t<unit_base_t> found;
    for (uint32_t i = 0; i < m_roots.get_count() && !found; ++i) {
        unit_base_t *root = m_roots[i].get();
        if (root->is_alive() && strcasecmp(root->name_text().c_str(), name.c_str()) == 0) found = m_roots[i].release();
    }
    if (!found) error("[unit] There was not a root unit '%s' in the file '%s'.", name.c_str(), path());
    reset();
    return found;
}

owner_ptr_ret_t<unit_base_t> unit_load_t::load_first_tree_as(const unit_descriptor_t &wanted) {
    if (!load()) return {};
    const uint32_t count = m_roots.get_count();
    if (count == 0) {
        error("[unit] There were no units in the file '%s'.", path());
        reset();
        return {};
    }
    owner_ptr_ret_t<unit_base_t> root = m_roots[0].release();
    for (uint32_t i = 1; i < count; ++i) {
        // Counted here for a moment: back to what others count when this goes.
        ref_ptr_t<unit_base_t> other(m_roots[i].release().take());
    }
    if (root && !unit_system_t::inherits_from(root->get_descriptor(), &wanted)) {
        report_bad_type(root.get(), wanted);
        root = owner_ptr_ret_t<unit_base_t>();
    }
    reset();
    return root;
}

void unit_load_t::report_bad_type(unit_base_t *unit, const unit_descriptor_t &expected) {
    error("[unit] The unit '%s' in file '%s' has type '%s', but the code expected '%s' type.",
          unit->name_text().c_str(), path(), class_of(unit), expected.class_name->c_str());
}

}  // namespace quarn
