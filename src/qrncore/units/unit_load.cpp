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

constexpr uint32_t AT_END = 0xFFFFFFFFu;
constexpr uint32_t NONE = unit_name_table_t::NONE;

// The first token of file-local names (".x" is "_nameless.x").
uint64_t nameless_token() {
    static const uint64_t token = [] {
        uint64_t t = 0;
        string_to_token(t, "_nameless");
        return t;
    }();
    return token;
}

bool is_null_word(const char *text, uint32_t length) {
    return length == 4 && strncasecmp(text, "null", 4) == 0;
}

// The view's bytes into out.
const char *copy_of(mstring_dyn_t &out, const char *text, uint32_t length) {
    out.copy(string(text), 0, 0, length);
    return out.c_str();
}

}  // namespace

unit_load_t::unit_load_t(file_t &file, unit_system_t &system, unit_file_opener_t *opener, const char *path)
    : m_file(file), m_system(system),
      m_scanner(opener ? *opener : unit_file_opener_t::file_system(), uint32_t(file.get_fs_realm())) {
    if (path) m_path.copy(path);
}

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
    m_current_patches = 0;
}

bool unit_load_t::load() {
    reset();
    m_last_class = nullptr;
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
    char *text = static_cast<char *>(qrncore_system_new_vector(size_t(size) + 2));
    if (!text || !m_file.block_read(text, uint32_t(size), 0)) {
        if (text) qrncore_system_delete_vector(text);
        error("[unit] Error while reading units from file '%s'", path());
        return false;
    }
    text[size] = text[size + 1] = 0;
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
    if (!m_scanner.end_of_file()) return false;
    m_scanner.reset();
    return true;
}

// The class of a type name; files hold long runs of one class, so the last one found
// is compared first.
const unit_descriptor_t *unit_load_t::find_class(const char *type, uint32_t length) {
    if (m_last_class) {
        const char *known = m_last_class->class_name->c_str();
        if (strncmp(known, type, length) == 0 && known[length] == 0) return m_last_class;
    }
    copy_of(m_word, type, length);
    const unit_descriptor_t *d = m_system.find_unit_type(m_word);
    if (d) m_last_class = d;
    return d;
}

bool unit_load_t::parse_unit(const char *type, uint32_t type_length) {
    const unit_descriptor_t *d = find_class(type, type_length);
    if (!d) {
        m_scanner.report_location();
        error("[unit] The '%s' is not a unit type name.", m_word.c_str());
        return false;
    }
    if (!d->create) {
        copy_of(m_word, type, type_length);
        m_scanner.report_location();
        error("[unit] The '%s' is not an abstract unit type name.", m_word.c_str());
        return false;
    }
    unit_base_t *unit = m_system.create_unit(*d);
    if (!unit) {
        copy_of(m_word, type, type_length);
        m_scanner.report_location();
        error("[unit] Creation of unit instance of type '%s' failed.", m_word.c_str());
        return false;
    }
    if (!m_created.append(created_t{unit, unit_name_table_t::NONE})) {
        unit->dispose_unowned();
        copy_of(m_word, type, type_length);
        m_scanner.report_location();
        error("[unit] Creation of unit instance of type '%s' failed.", m_word.c_str());
        return false;
    }
    m_current = m_created.get_count() - 1;
    m_current_patches = m_patches.get_count();
    unit->_call_pre_load();
    if (!m_scanner.expect(':', "':'")) {
        m_created.remove(m_current);
        unit->dispose_unowned();
        return false;
    }
    if (!m_scanner.unit_name(m_unit_name_at, m_unit_name_length)) return false;
    m_unit_name_copied = false;
    if (!bind_definition(unit, m_unit_name_at, m_unit_name_length)) return false;
    if (!m_scanner.expect('{', "'{'")) return false;
    const unit_attribute_t *next = d->attributes;
    for (;;) {
        const char *word = nullptr;
        uint32_t length = 0;
        const int r = m_scanner.identifier_or_close(word, length, "attribute name or closing bracket");
        if (r < 0) return false;
        if (r == 0) return true;
        // Files list attributes mostly in table order: the entry after the last one
        // found is tried first (when it is of the unit's own table, as a lookup by
        // name would find an attribute of the class before one of its parents).
        const unit_attribute_t *a = nullptr;
        if (next && next->type != UNIT_ATTR_END && next->descriptor == d && strncmp(next->name, word, length) == 0 &&
            next->name[length] == 0)
            a = next;
        else
            a = unit_system_t::get_attribute_descriptor(d, copy_of(m_word, word, length));
        next = a ? a + 1 : nullptr;
        if (!a) {
            m_scanner.report_location();
            error("[unit] The unit '%s' of type '%s' has no attribute named '%s'.", unit_name_text(), class_of(unit),
                  m_word.c_str());
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
            m_scanner.report_location();
            error("[unit] The requested length of the array attribute '%s' of unit '%s' (of type '%s') is too large.",
                  a->name, unit_name_text(), class_of(unit));
            return false;
        }
        // The length only reserves room, capped by what the rest of the text could
        // hold, so a broken length cannot ask for gigabytes (elements still append).
        const uint64_t left = m_scanner.bytes_left();
        const uint32_t want = uint32_t(length < left ? length : left);
        if (!unit->request_capacity(a, want)) {
            m_scanner.report_location();
            error("[unit] Failed to set the requested length of the array attribute '%s' of unit '%s' (of type '%s').",
                  a->name, unit_name_text(), class_of(unit));
            return false;
        }
        return true;
    }
    uint32_t size = 0;
    if (!unit->get_size(a, &size)) {
        m_scanner.report_location();
        error("[unit] Failed to get the size of array attribute '%s' of unit '%s' (of type '%s').", a->name,
              unit_name_text(), class_of(unit));
        return false;
    }
    if (form == 2 && index != size) {
        m_scanner.report_location();
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
    m_scanner.report_location();
    if (element)
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s[%u].", unit_name_text(),
              class_of(unit), a->name, index);
    else
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.", unit_name_text(),
              class_of(unit), a->name);
}

template <class T>
bool unit_load_t::store(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index, const T &value) {
    const bool ok = element ? unit->append_value(a, AT_END, value) : unit->set_value(a, value);
    if (!ok) report_store_failure(unit, a, element, index);
    return ok;
}

bool unit_load_t::read_value(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    char text[512];
    // Tests the value; a refused one is reported with the text of the value that
    // describe writes (only then: formatting every value would cost more than reading).
    auto check_as = [&](unit_check_result_t result, auto &&describe) {
        if (result == UNIT_CHECK_OK) return true;
        text[0] = 0;
        describe();
        m_scanner.report_location();
        report_out_of_domain(unit, a, text);
        return false;
    };
    auto check = [&](unit_check_result_t result) { return check_as(result, [] {}); };
    auto g = [](float f) { return double(f); };
    float f[16];
    switch (unit_attr_type_element_type(a->type)) {
    case UNIT_ATTR_STRING:
    case UNIT_ATTR_TOKEN: {
        if (!m_scanner.string_value(m_text)) return false;
        return check_as(unit_base_t::check_value(unit, a, string(m_text)),
                        [&] { snprintf(text, sizeof(text), "'%s' ", m_text.c_str()); }) &&
               store(unit, a, element, index, string(m_text));
    }
    case UNIT_ATTR_FLOAT: {
        if (!m_scanner.real(f[0])) return false;
        return check_as(unit_base_t::check_value(unit, a, f[0]),
                        [&] { snprintf(text, sizeof(text), "'%g' ", g(f[0])); }) &&
               store(unit, a, element, index, f[0]);
    }
    case UNIT_ATTR_VEC2: {
        if (!m_scanner.vector(f, 2)) return false;
        const vec2_t v{f[0], f[1]};
        return check_as(unit_base_t::check_value(unit, a, v),
                        [&] { snprintf(text, sizeof(text), "'(%g, %g)' ", g(f[0]), g(f[1])); }) &&
               store(unit, a, element, index, v);
    }
    case UNIT_ATTR_VEC3: {
        if (!m_scanner.vector(f, 3)) return false;
        const vec3_t v{f[0], f[1], f[2]};
        return check_as(unit_base_t::check_value(unit, a, v),
                        [&] { snprintf(text, sizeof(text), "'(%g, %g, %g)' ", g(f[0]), g(f[1]), g(f[2])); }) &&
               store(unit, a, element, index, v);
    }
    case UNIT_ATTR_VEC4: {
        if (!m_scanner.vector(f, 4)) return false;
        const vec4_t v{f[0], f[1], f[2], f[3]};
        return check_as(
                   unit_base_t::check_value(unit, a, v),
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

    switch (unit_attr_type_element_type(a->type)) {
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
        if (!check_as(unit_base_t::check_value(unit, a, v), [&] { snprintf(text, sizeof(text), "%" PRId64 " ", v); }))
            return false;
        if (unit_attr_type_element_type(a->type) == UNIT_ATTR_INT64) return store(unit, a, element, index, v);
        return store(unit, a, element, index, int32_t(v));
    }
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_UINT32_PLAIN:
    case UNIT_ATTR_UINT64: {
        uint64_t v = 0;
        if (!m_scanner.unsigned_value(v)) return false;
        if (!check_as(unit_base_t::check_value(unit, a, v), [&] { snprintf(text, sizeof(text), "%" PRIu64 " ", v); }))
            return false;
        if (unit_attr_type_element_type(a->type) == UNIT_ATTR_UINT64) return store(unit, a, element, index, v);
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
            m_scanner.report_location();
            error("[unit] The requested value %" PRId64 " of the attribute '%s' of unit '%s' (of type '%s') is too large.",
                  number, a->name, unit_name_text(), class_of(unit));
            return false;
        }
        value = int32_t(number);
        if (!unit_base_t::lookup_enum_symbol(domain, value)) {
            error("[unit] The requested value '%d' is outside the domain of the attribute '%s' of unit '%s' (of type "
                  "'%s').",
                  value, a->name, unit_name_text(), class_of(unit));
            return false;
        }
    } else if (!unit_base_t::lookup_enum_value(domain, m_text, &value)) {
        error("[unit] The requested value '%s' is outside the domain of the attribute '%s' of unit '%s' (of type '%s').",
              m_text.c_str(), a->name, unit_name_text(), class_of(unit));
        return false;
    }
    return store(unit, a, element, index, value);
}

// A pointer to a unit the file made earlier is stored at once (an owned one waits: a
// unit may only be owned once the file is known to own nothing in a circle); any other
// stores null and leaves a patch that apply_patches fills in.
bool unit_load_t::read_unit_pointer(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    const char *written = nullptr;
    uint32_t length = 0;
    if (!m_scanner.unit_name(written, length)) return false;
    if (!element) cancel_patch(a);
    if (is_null_word(written, length)) return store(unit, a, element, index, static_cast<unit_base_t *>(nullptr));
    const uint32_t name = bind_pointer(written, length);
    if (name == NONE) return false;
    const bool owned = unit_attr_type_element_type(a->type) == UNIT_ATTR_OWNER;
    if (owned) {
        if (m_names[name].owner != NONE) {
            m_scanner.report_location();
            error("[unit] The unit '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') is already "
                  "owned by something else.",
                  copy_of(m_text, written, length), a->name, unit_name_text(), class_of(unit));
            return false;
        }
    } else if (m_names[name].created != NONE && m_names[name].unit->is_alive()) {
        unit_base_t *target = m_names[name].unit;
        if (unit_base_t::check_value(unit, a, target) != UNIT_CHECK_OK) {
            char text[300];
            snprintf(text, sizeof(text), "'%s' ", copy_of(m_text, written, length));
            m_scanner.report_location();
            report_out_of_domain(unit, a, text);
            return false;
        }
        return store(unit, a, element, index, target);
    }
    if (!store(unit, a, element, index, static_cast<unit_base_t *>(nullptr))) return false;
    if (!m_patches.append(patch_t{m_current, name, a, index, element, true})) {
        m_scanner.report_location();
        error("[unit] Out of memory while reading units from file '%s'.", path());
        return false;
    }
    if (owned) m_names[name].owner = m_current;
    return true;
}

// A new value of a single pointer attribute replaces the one a patch was to set, and
// an owned one lets go of its claim.
void unit_load_t::cancel_patch(const unit_attribute_t *a) {
    for (uint32_t i = m_patches.get_count(); i > m_current_patches; --i) {
        patch_t &p = m_patches[i - 1];
        if (p.attribute != a || !p.live || p.element) continue;
        p.live = false;
        if (m_names[p.name].owner == m_current) m_names[p.name].owner = NONE;
        return;
    }
}

bool unit_load_t::read_resource(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    if (!m_scanner.string_value(m_text)) return false;
    if ((m_text[0] | 0x20) == 'n' && strcasecmp(m_text.c_str(), "null") == 0) {
        if (unit_base_t::check_value(unit, a, nullptr) != UNIT_CHECK_OK) {
            m_scanner.report_location();
            report_out_of_domain(unit, a, "'null' ");
            return false;
        }
        return store(unit, a, element, index, static_cast<unit_base_t *>(nullptr));
    }
    unit_resource_tie_t &tie = unit_resource_tie_t::installed();
    unit_base_t *value = tie.load(m_text, unit, a);
    if (unit_base_t::check_value(unit, a, value) != UNIT_CHECK_OK) {
        char text[300];
        snprintf(text, sizeof(text), "'%s' ", m_text.c_str());
        m_scanner.report_location();
        report_out_of_domain(unit, a, text);
        tie.unload(value, unit, a);
        return false;
    }
    if (!store(unit, a, element, index, value)) {
        tie.unload(value, unit, a);
        return false;
    }
    return true;
}

// Cuts the written name (".x" standing for "_nameless.x") into m_tokens; reports a
// bad form.
bool unit_load_t::parse_written_name(const char *written, uint32_t length) {
    m_tokens.count = 0;
    if (written[0] == '.') m_tokens.token[m_tokens.count++] = nameless_token();
    if (unit_name_t::append_tokens(written, length, m_tokens) && m_tokens.count) return true;
    m_scanner.report_location();
    error("[unit] The unit name '%s' is in wrong format.", copy_of(m_text, written, length));
    return false;
}

// The written name of the unit being filled, for messages.
const char *unit_load_t::unit_name_text() {
    if (!m_unit_name_copied) copy_of(m_unit_name, m_unit_name_at, m_unit_name_length);
    m_unit_name_copied = true;
    return m_unit_name.c_str();
}

// The name goes into the load's table; one that is not file-local also takes its
// global name here, the one time the global tree is touched for it.
bool unit_load_t::bind_definition(unit_base_t *unit, const char *written, uint32_t length) {
    if (!parse_written_name(written, length)) return false;
    const bool nameless = m_tokens.token[0] == nameless_token();
    const uint32_t name = m_names.find_or_add(m_tokens, nameless);
    if (name == NONE) {
        m_scanner.report_location();
        error("[unit] Out of memory while reading units from file '%s'.", path());
        return false;
    }
    if (m_names[name].created != NONE) {
        m_scanner.report_location();
        error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').", unit_name_text(),
              class_of(m_created[m_names[name].created].unit));
        return false;
    }
    if (!nameless) {
        // Units that cannot carry a name are still bound within the file, but the name
        // must be free all the same.
        unit_t *named = unit_cast<unit_t>(unit);
        if (named ? !named->set_name_internal(m_tokens) : unit_name_t::find_unit(m_tokens) != nullptr) {
            const unit_base_t *holder = unit_name_t::find_unit(m_tokens);
            m_scanner.report_location();
            error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').", unit_name_text(),
                  class_of(holder ? holder : unit));
            return false;
        }
    }
    m_names[name].created = m_current;
    m_names[name].unit = unit;
    m_created[m_current].name = name;
    return true;
}

uint32_t unit_load_t::bind_pointer(const char *written, uint32_t length) {
    if (!parse_written_name(written, length)) return NONE;
    const uint32_t name = m_names.find_or_add(m_tokens, m_tokens.token[0] == nameless_token());
    if (name == NONE) {
        m_scanner.report_location();
        error("[unit] Out of memory while reading units from file '%s'.", path());
    }
    return name;
}

// The unit a name stands for: the one the file made under it, or the unit outside the
// file found for it; null when there is none.
unit_base_t *unit_load_t::unit_of(uint32_t name) const {
    const unit_name_table_t::entry_t &e = m_names[name];
    return e.unit;
}

void unit_load_t::report_dangling(unit_base_t *holder, const unit_attribute_t *a, uint32_t name) {
    m_scanner.report_location();
    error("[unit] The unit '%s' of type '%s' has dangling pointer (to '%s') in the attribute named '%s'.",
          holder->name_text().c_str(), class_of(holder), m_names.text_of(name).c_str(), a->name);
}

// Names the file uses but does not define may name units outside it (never a
// file-local one): each is looked up once.
bool unit_load_t::resolve_outside() {
    unit_name_tokens_t tokens;
    for (uint32_t name = 0; name < m_names.count(); ++name) {
        unit_name_table_t::entry_t &e = m_names[name];
        if (e.created != NONE) continue;
        if (!e.nameless) {
            m_names.tokens_of(name, tokens);
            e.unit = unit_name_t::find_unit(tokens);
        }
        if (!e.unit) warning("[unit] The pointer to '%s' looks like dangling pointer.", m_names.text_of(name).c_str());
    }
    return true;
}

// A file in which units own each other (A owns B, B owns A) would leave them holding
// each other for ever, so it is refused before any owned pointer is set. The owner of
// each loaded unit is known from the owned pointer that names it; walking those links
// from every unit must end at a root.
bool unit_load_t::check_ownership_cycles() {
    const uint32_t n = m_created.get_count();
    array_dyn_t<uint8_t> state;  // 0 not seen, 1 on the current walk, 2 done
    if (!state.grow(n)) {
        error("[unit] Out of memory while checking the owners of the units of file '%s'.", path());
        return false;
    }
    auto owner_of = [&](uint32_t k) {
        const uint32_t name = m_created[k].name;
        return name != NONE && m_names[name].owner < n ? m_names[name].owner : NONE;
    };
    for (uint32_t start = 0; start < n; ++start) {
        uint32_t k = start;
        while (k != NONE && state[k] == 0) {
            state[k] = 1;
            k = owner_of(k);
        }
        if (k != NONE && state[k] == 1) {
            m_scanner.report_location();
            error("[unit] The unit '%s' (of type '%s') is owned through a cycle of owned pointers.",
                  m_names.text_of(m_created[k].name).c_str(), class_of(m_created[k].unit));
            return false;
        }
        for (k = start; k != NONE && state[k] == 1; k = owner_of(k)) state[k] = 2;
    }
    return true;
}

// The patches in file order: each pointer takes the unit its name stands for, tested
// against the attribute's domain now that the class is known. Every failure is
// reported before the load fails.
bool unit_load_t::apply_patches() {
    bool ok = true;
    // The entries and the units the patches name lie anywhere in memory: each is
    // asked for some patches ahead (the entry further than the unit it holds), so
    // the misses overlap instead of following one another.
    constexpr uint32_t ENTRY_AHEAD = 16, UNIT_AHEAD = 8;
    const uint32_t count = m_patches.get_count();
    for (uint32_t i = 0; i < count; ++i) {
        if (i + ENTRY_AHEAD < count) __builtin_prefetch(&m_names[m_patches[i + ENTRY_AHEAD].name]);
        if (i + UNIT_AHEAD < count) {
            if (unit_base_t *ahead = m_names[m_patches[i + UNIT_AHEAD].name].unit) __builtin_prefetch(ahead);
        }
        const patch_t &p = m_patches[i];
        unit_base_t *holder = m_created[p.holder].unit;
        if (!p.live || !holder->is_alive()) continue;
        const unit_attribute_t *a = p.attribute;
        unit_base_t *target = unit_of(p.name);
        if (!target || !target->is_alive()) {
            report_dangling(holder, a, p.name);
            ok = false;
            continue;
        }
        if (unit_attr_type_element_type(a->type) == UNIT_ATTR_OWNER && m_names[p.name].created == NONE) {
            m_scanner.report_location();
            error("[unit] The unit name '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') is already "
                  "taken.",
                  m_names.text_of(p.name).c_str(), a->name, holder->name_text().c_str(), class_of(holder));
            ok = false;
            continue;
        }
        if (unit_base_t::check_value(holder, a, target) != UNIT_CHECK_OK) {
            m_scanner.report_location();
            error("[unit] The requested value '%s' of the attribute '%s' of unit '%s' (of type '%s') is out of the "
                  "attribute domain.",
                  m_names.text_of(p.name).c_str(), a->name, holder->name_text().c_str(), class_of(holder));
            ok = false;
            continue;
        }
        if (p.element ? holder->set_value(a, p.index, target) : holder->set_value(a, target)) continue;
        m_scanner.report_location();
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.",
              holder->name_text().c_str(), class_of(holder), a->name);
        ok = false;
    }
    return ok;
}

// The units the file made that no owned pointer took, in the order the file first
// names them.
bool unit_load_t::collect_roots() {
    bool ok = true;
    m_roots.clear();
    for (uint32_t name = 0; name < m_names.count(); ++name) {
        const uint32_t created = m_names[name].created;
        if (created == NONE) continue;
        unit_base_t *unit = m_created[created].unit;
        if (!unit->is_alive() || unit->is_owned()) continue;
        // A root that cannot be listed is destroyed with the temporary owner.
        if (!m_roots.append(owner_ptr_t<unit_base_t>(unit))) {
            error("[unit] Out of memory while collecting the roots of file '%s'.", path());
            ok = false;
        }
    }
    return ok;
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
