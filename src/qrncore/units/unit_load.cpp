#include "qrncore/units/unit_load.h"

#include <strings.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

namespace {

constexpr uint32_t AT_END = 0xFFFFFFFFu;
constexpr uint32_t NO_OWNER = UINT32_MAX;

// The attributes of the unit's class chain, the most derived class first.
template <class F>
bool for_each_attribute(unit_base_t *unit, F &&f) {
    bool ok = true;
    for (const unit_descriptor_t *d = unit->get_descriptor(); d; d = d->parent)
        for (const unit_attribute_t *a = d->attributes; a->type != UNIT_ATTR_END; ++a) ok = f(a) && ok;
    return ok;
}

bool is_null_word(const mstring_dyn_t &text) {
    return (text[0] | 0x20) == 'n' && strcasecmp(text.c_str(), "null") == 0;
}

}  // namespace

unit_load_t::unit_load_t(file_t &file, unit_system_t &system, unit_file_opener_t *opener, const char *path)
    : m_file(file), m_system(system),
      m_scanner(opener ? *opener : unit_file_opener_t::file_system(), uint32_t(file.get_fs_realm())) {
    if (path) m_path.copy(path);
}

unit_load_t::~unit_load_t() { reset(); }

const char *unit_load_t::path() const { return m_path.c_str()[0] ? m_path.c_str() : m_file.get_name(); }

bool unit_load_t::is_ours(const unit_base_t *unit) const {
    return unit && unit->is_proxy() && static_cast<const unit_proxy_u *>(unit)->load_tag == this;
}

void unit_load_t::reset() {
    release_all();
    m_roots.clear();
    m_scanner.reset();
}

// Everything a load made goes: the proxies (and the units they still hold), the
// roots, and every created unit that nothing destroyed yet, so that all of them reach
// the garbage list. Units that own each other are destroyed one by one. An entry of
// the proxy list is null when its proxy died (an owned pointer that held it was
// overwritten) before the list grew: moving a dead unit's reference gives null.
void unit_load_t::release_all() {
    for (uint32_t i = 0; i < m_proxies.get_count(); ++i)
        if (m_proxies[i] && m_proxies[i]->is_alive()) m_proxies[i]->destroy();
    m_proxies.clear();
    m_roots.clear();
    for (uint32_t i = 0; i < m_created.get_count(); ++i) {
        unit_base_t *unit = m_created[i].unit;
        if (!unit->is_alive()) continue;
        if (unit->is_owned()) unit->destroy();
        else unit->dispose_unowned();
    }
    m_created.clear();
}

bool unit_load_t::load() {
    reset();
    if (!read_file()) return false;
    const bool ok = parse() && resolve_proxies() && check_ownership_cycles() && resolve_owned() && collect_roots() &&
                    run_post_load();
    if (!ok) {
        release_all();
        m_scanner.reset();
        return false;
    }
    for (uint32_t i = 0; i < m_proxies.get_count(); ++i)
        if (m_proxies[i] && m_proxies[i]->is_alive()) m_proxies[i]->destroy();
    m_proxies.clear();
    m_created.clear();
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
        const int r = m_scanner.identifier_or_close(m_word, "unit type name or closing bracket");
        if (r < 0) return false;
        if (r == 0) break;
        if (!parse_unit()) return false;
    }
    // The original let text after the closing brace pass with a message.
    if (!m_scanner.end_of_file()) return false;
    m_scanner.reset();
    return true;
}

bool unit_load_t::parse_unit() {
    const unit_descriptor_t *d = m_system.find_unit_type(m_word);
    if (!d) {
        m_scanner.report_location();
        error("[unit] The '%s' is not a unit type name.", m_word.c_str());
        return false;
    }
    if (!d->create) {
        m_scanner.report_location();
        error("[unit] The '%s' is not an abstract unit type name.", m_word.c_str());
        return false;
    }
    unit_base_t *unit = m_system.create_unit(*d);
    if (!unit) {
        m_scanner.report_location();
        error("[unit] Creation of unit instance of type '%s' failed.", m_word.c_str());
        return false;
    }
    if (!m_created.append(created_t{unit, nullptr})) {
        unit->dispose_unowned();
        m_scanner.report_location();
        error("[unit] Creation of unit instance of type '%s' failed.", m_word.c_str());
        return false;
    }
    m_current = m_created.get_count() - 1;
    unit->_call_pre_load();
    if (!m_scanner.expect(':', "':'")) {
        m_created.remove(m_current);
        unit->dispose_unowned();
        return false;
    }
    if (!m_scanner.unit_name(m_unit_name) || !bind_definition(unit, m_unit_name)) return false;
    if (!m_scanner.expect('{', "'{'")) return false;
    const unit_attribute_t *next = d->attributes;
    for (;;) {
        const int r = m_scanner.identifier_or_close(m_word, "attribute name or closing bracket");
        if (r < 0) return false;
        if (r == 0) return true;
        // Files list attributes mostly in table order: the entry after the last one
        // found is tried first.
        const unit_attribute_t *a = nullptr;
        if (next && next->type != UNIT_ATTR_END && strcmp(next->name, m_word.c_str()) == 0 &&
            next->descriptor == unit->get_descriptor())
            a = next;
        else
            a = unit_system_t::get_attribute_descriptor(d, m_word);
        next = a ? a + 1 : nullptr;
        if (!a) {
            m_scanner.report_location();
            error("[unit] The unit '%s' of type '%s' has no attribute named '%s'.", m_unit_name.c_str(),
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
            m_scanner.report_location();
            error("[unit] The requested length of the array attribute '%s' of unit '%s' (of type '%s') is too large.",
                  a->name, m_unit_name.c_str(), class_of(unit));
            return false;
        }
        // The length only reserves room. The original reserved whatever the file
        // named; here the reservation is capped by what the rest of the text could
        // hold, so a broken length cannot ask for gigabytes (elements still append).
        const uint64_t left = m_scanner.bytes_left();
        const uint32_t want = uint32_t(length < left ? length : left);
        if (!unit->request_capacity(a, want)) {
            m_scanner.report_location();
            error("[unit] Failed to set the requested length of the array attribute '%s' of unit '%s' (of type '%s').",
                  a->name, m_unit_name.c_str(), class_of(unit));
            return false;
        }
        return true;
    }
    uint32_t size = 0;
    if (!unit->get_size(a, &size)) {
        m_scanner.report_location();
        error("[unit] Failed to get the size of array attribute '%s' of unit '%s' (of type '%s').", a->name,
              m_unit_name.c_str(), class_of(unit));
        return false;
    }
    if (form == 2 && index != size) {
        m_scanner.report_location();
        error("[unit] The values in array attribute '%s' of unit '%s' (of type '%s') must be specified in order - "
              "trying to set the element %u of array of size %u.",
              a->name, m_unit_name.c_str(), class_of(unit), index, size);
        return false;
    }
    return m_scanner.expect(':', "':'") && read_value(unit, a, true, size);
}

void unit_load_t::report_out_of_domain(unit_base_t *unit, const unit_attribute_t *a, const char *value_text) {
    error("[unit] The requested value %sof the attribute '%s' of unit '%s' (of type '%s') is out of the attribute "
          "domain.",
          value_text, a->name, m_unit_name.c_str(), class_of(unit));
}

void unit_load_t::report_store_failure(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    m_scanner.report_location();
    if (element)
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s[%u].", m_unit_name.c_str(),
              class_of(unit), a->name, index);
    else
        error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.", m_unit_name.c_str(),
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
                  number, a->name, m_unit_name.c_str(), class_of(unit));
            return false;
        }
        value = int32_t(number);
        if (!unit_base_t::lookup_enum_symbol(domain, value)) {
            error("[unit] The requested value '%d' is outside the domain of the attribute '%s' of unit '%s' (of type "
                  "'%s').",
                  value, a->name, m_unit_name.c_str(), class_of(unit));
            return false;
        }
    } else if (!unit_base_t::lookup_enum_value(domain, m_text, &value)) {
        error("[unit] The requested value '%s' is outside the domain of the attribute '%s' of unit '%s' (of type '%s').",
              m_text.c_str(), a->name, m_unit_name.c_str(), class_of(unit));
        return false;
    }
    return store(unit, a, element, index, value);
}

bool unit_load_t::read_unit_pointer(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    if (!m_scanner.unit_name(m_text)) return false;
    if (is_null_word(m_text)) return store(unit, a, element, index, static_cast<unit_base_t *>(nullptr));
    unit_base_t *target = bind_pointer(m_text);
    if (!target) return false;
    const bool owned = unit_attr_type_element_type(a->type) == UNIT_ATTR_OWNER;
    if (!target->is_proxy()) {
        if (unit_base_t::check_value(unit, a, target) != UNIT_CHECK_OK) {
            char text[300];
            snprintf(text, sizeof(text), "'%s' ", m_text.c_str());
            m_scanner.report_location();
            report_out_of_domain(unit, a, text);
            return false;
        }
        if (owned) {
            m_scanner.report_location();
            error("[unit] The unit name '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') is already "
                  "taken.",
                  m_text.c_str(), a->name, m_unit_name.c_str(), class_of(unit));
            return false;
        }
        return store(unit, a, element, index, target);
    }
    auto *proxy = static_cast<unit_proxy_u *>(target);
    if (owned && proxy->is_owned()) {
        m_scanner.report_location();
        error("[unit] The unit '%s', referenced in the attribute '%s' of unit '%s' (of type '%s') is already owned by "
              "something else.",
              m_text.c_str(), a->name, m_unit_name.c_str(), class_of(unit));
        return false;
    }
    if (!store(unit, a, element, index, target)) return false;
    if (owned) proxy->owner_index = m_current;
    return true;
}

bool unit_load_t::read_resource(unit_base_t *unit, const unit_attribute_t *a, bool element, uint32_t index) {
    if (!m_scanner.string_value(m_text)) return false;
    if (is_null_word(m_text)) {
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

unit_proxy_u *unit_load_t::new_proxy(const mstring_dyn_t &name, unit_base_t *unit) {
    owner_ptr_ret_t<unit_proxy_u> carrier = unit_proxy_u::create(&m_system);
    unit_proxy_u *proxy = carrier.get();
    if (!proxy) {
        m_scanner.report_location();
        error("[unit] Creation of unit instance of type '%s' failed.", unit_proxy_u::class_name.c_str());
        return nullptr;
    }
    proxy->load_tag = this;
    if (!proxy->set_name_internal(m_tokens)) {
        m_scanner.report_location();
        error("[unit] Failed to set the name '%s' to proxy.", name.c_str());
        return nullptr;  // the carrier disposes of it
    }
    if (!m_proxies.append(ref_ptr_t<unit_proxy_u>(proxy))) {
        m_scanner.report_location();
        error("[unit] Failed to set the name '%s' to proxy.", name.c_str());
        return nullptr;
    }
    carrier.take();  // the proxy list holds it now
    if (unit) {
        proxy->set_target(unit);
        proxy->hold(unit);
    }
    return proxy;
}

// Cuts the written name (".x" standing for "_nameless.x") into m_tokens; reports a
// bad form.
bool unit_load_t::parse_written_name(const mstring_dyn_t &written) {
    const mstring_dyn_t *name = &written;
    if (written[0] == '.') {
        m_name.copy("_nameless");
        m_name.append(written);
        name = &m_name;
    }
    if (unit_name_t::parse_name(*name, false, m_tokens)) return true;
    m_scanner.report_location();
    error("[unit] The unit name '%s' is in wrong format.", written.c_str());
    return false;
}

bool unit_load_t::bind_definition(unit_base_t *unit, const mstring_dyn_t &written) {
    if (!parse_written_name(written)) return false;
    if (unit_t *existing = unit_name_t::find_unit(m_tokens)) {
        auto *proxy = static_cast<unit_proxy_u *>(static_cast<unit_base_t *>(existing));
        if (is_ours(existing) && !proxy->get_target()) {
            proxy->set_target(unit);
            proxy->hold(unit);
            m_created[m_current].proxy = proxy;
            return true;
        }
        const unit_base_t *holder = is_ours(existing) ? proxy->get_target() : existing;
        m_scanner.report_location();
        error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').", written.c_str(),
              class_of(holder));
        return false;
    }
    unit_proxy_u *proxy = new_proxy(written, unit);
    if (!proxy) return false;
    m_created[m_current].proxy = proxy;
    return true;
}

unit_base_t *unit_load_t::bind_pointer(const mstring_dyn_t &written) {
    if (!parse_written_name(written)) return nullptr;
    if (unit_t *existing = unit_name_t::find_unit(m_tokens)) {
        // A proxy of another load (one running around this one) is not ours to bind.
        if (!existing->is_proxy() || is_ours(existing)) return existing;
        m_scanner.report_location();
        error("[unit] The unit name '%s' is already taken by an existing unit (of type '%s').", written.c_str(),
              class_of(existing));
        return nullptr;
    }
    return new_proxy(written, nullptr);
}

// The name a proxy was made for: its own, or, once it passed to the unit, the unit's.
mstring_dyn_t unit_load_t::written_name(unit_proxy_u *proxy) {
    unit_base_t *target = proxy->get_target();
    return !proxy->has_name() && target ? target->name_text() : proxy->name_text();
}

void unit_load_t::report_dangling(unit_base_t *holder, const unit_attribute_t *a, unit_proxy_u *proxy) {
    m_scanner.report_location();
    error("[unit] The unit '%s' of type '%s' has dangling pointer (to '%s') in the attribute named '%s'.",
          holder->name_text().c_str(), class_of(holder), written_name(proxy).c_str(), a->name);
}

bool unit_load_t::resolve_proxies() {
    bool ok = true;
    for (uint32_t i = 0; i < m_proxies.get_count(); ++i) {
        unit_proxy_u *proxy = m_proxies[i].get();
        if (!proxy || !proxy->is_alive()) continue;
        unit_base_t *target = proxy->get_target();
        if (!target || !target->is_alive()) {
            warning("[unit] The pointer to '%s' looks like dangling pointer.", proxy->name_text().c_str());
            continue;
        }
        // Global names pass to the units; file-local ones vanish with the proxies.
        if (unit_t *named = unit_cast<unit_t>(target); named && !proxy->has_nameless_name())
            proxy->move_name_to(*named);
        // Referenced pointers that hold proxies take the proxies' targets, tested
        // against their domains now that the class is known.
        auto resolve = [&](const unit_attribute_t *a, bool element, uint32_t index) {
            unit_base_t *p = nullptr;
            if (!(element ? target->get_value(a, index, &p) : target->get_value(a, &p)) || !is_ours(p)) return true;
            auto *q = static_cast<unit_proxy_u *>(p);
            unit_base_t *resolved = q->get_target();
            if (!resolved || !resolved->is_alive()) {
                report_dangling(target, a, q);
                return false;
            }
            if (unit_base_t::check_value(target, a, resolved) != UNIT_CHECK_OK) {
                char text[300];
                snprintf(text, sizeof(text), "'%s' ", written_name(q).c_str());
                m_scanner.report_location();
                error("[unit] The requested value %sof the attribute '%s' of unit '%s' (of type '%s') is out of the "
                      "attribute domain.",
                      text, a->name, target->name_text().c_str(), class_of(target));
                return false;
            }
            return element ? target->set_value(a, index, resolved) : target->set_value(a, resolved);
        };
        ok = for_each_attribute(target, [&](const unit_attribute_t *a) {
                 if (a->type == UNIT_ATTR_REF) return resolve(a, false, 0);
                 if (a->type != UNIT_ATTR_REF_ARRAY) return true;
                 uint32_t count = 0;
                 bool all = target->get_size(a, &count);
                 for (uint32_t k = 0; k < count; ++k) all = resolve(a, true, k) && all;
                 return all;
             }) && ok;
    }
    return ok;
}

// A file in which units own each other (A owns B, B owns A) would leave them holding
// each other for ever: the original never looked. The owner of each loaded unit is
// known from the proxy that an owned pointer took; walking those links from every
// unit must end at a root.
bool unit_load_t::check_ownership_cycles() {
    const uint32_t n = m_created.get_count();
    array_dyn_t<uint8_t> state;  // 0 not seen, 1 on the current walk, 2 done
    if (!state.grow(n)) {
        error("[unit] Out of memory while checking the owners of the units of file '%s'.", path());
        return false;
    }
    auto owner_of = [&](uint32_t k) {
        const unit_proxy_u *proxy = m_created[k].proxy;
        return proxy && proxy->owner_index < n ? proxy->owner_index : NO_OWNER;
    };
    for (uint32_t start = 0; start < n; ++start) {
        uint32_t k = start;
        while (k != NO_OWNER && state[k] == 0) {
            state[k] = 1;
            k = owner_of(k);
        }
        if (k != NO_OWNER && state[k] == 1) {
            m_scanner.report_location();
            error("[unit] The unit '%s' (of type '%s') is owned through a cycle of owned pointers.",
                  written_name(m_created[k].proxy).c_str(), class_of(m_created[k].unit));
            return false;
        }
        for (k = start; k != NO_OWNER && state[k] == 1; k = owner_of(k)) state[k] = 2;
    }
    return true;
}

bool unit_load_t::resolve_owned() {
    bool ok = true;
    for (uint32_t i = 0; i < m_created.get_count(); ++i) {
        unit_base_t *unit = m_created[i].unit;
        if (!unit->is_alive()) continue;
        auto take = [&](const unit_attribute_t *a, bool element, uint32_t index) {
            unit_base_t *p = nullptr;
            if (!(element ? unit->get_value(a, index, &p) : unit->get_value(a, &p)) || !is_ours(p)) return true;
            auto *proxy = static_cast<unit_proxy_u *>(p);
            unit_base_t *target = proxy->get_target();
            if (!target || !target->is_alive() || !proxy->get_held()) {
                report_dangling(unit, a, proxy);
                return false;
            }
            if (unit_base_t::check_value(unit, a, target) != UNIT_CHECK_OK) {
                char text[300];
                snprintf(text, sizeof(text), "'%s' ", written_name(proxy).c_str());
                m_scanner.report_location();
                error("[unit] The requested value %sof the attribute '%s' of unit '%s' (of type '%s') is out of the "
                      "attribute domain.",
                      text, a->name, unit->name_text().c_str(), class_of(unit));
                return false;
            }
            unit_base_t *held = proxy->release_held().take();
            // Storing replaces (and so destroys) the proxy in the attribute.
            if (element ? unit->set_value(a, index, held) : unit->set_value(a, held)) return true;
            proxy->hold(held);
            m_scanner.report_location();
            error("[unit] The unit '%s' (of type '%s') could not set the value of attribute '%s'.",
                  unit->name_text().c_str(), class_of(unit), a->name);
            return false;
        };
        ok = for_each_attribute(unit, [&](const unit_attribute_t *a) {
                 if (a->type == UNIT_ATTR_OWNER) return take(a, false, 0);
                 if (a->type != UNIT_ATTR_OWNER_ARRAY) return true;
                 uint32_t count = 0;
                 bool all = unit->get_size(a, &count);
                 for (uint32_t k = 0; k < count; ++k) all = take(a, true, k) && all;
                 return all;
             }) && ok;
    }
    return ok;
}

bool unit_load_t::collect_roots() {
    bool ok = true;
    m_roots.clear();
    for (uint32_t i = 0; i < m_proxies.get_count(); ++i) {
        unit_proxy_u *proxy = m_proxies[i].get();
        if (!proxy || !proxy->is_alive() || !proxy->get_held()) continue;
        // A root that cannot be listed is destroyed with the temporary owner.
        if (!m_roots.append(owner_ptr_t<unit_base_t>(proxy->release_held()))) {
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

void unit_load_t::report_bad_type(unit_base_t *unit, const unit_descriptor_t &expected) {
    error("[unit] The unit '%s' in file '%s' has type '%s', but the code expected '%s' type.",
          unit->name_text().c_str(), path(), class_of(unit), expected.class_name->c_str());
}

}  // namespace quarn
