// Attribute type predicates and the value checks against attribute domains.
#include <cstring>

#include "qrncore/strings/name_token.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_attr_known.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_resource_tie.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

bool unit_attr_type_is_unit(unit_attr_type_t t) {
    if (t > UNIT_ATTR_LAST) V_ABORT("unit_attr_type_is_unit(): Unknown type.");
    return t >= UNIT_ATTR_OWNER && t <= UNIT_ATTR_REF_ARRAY;
}

bool unit_attr_type_is_array(unit_attr_type_t t) {
    if (t > UNIT_ATTR_LAST) V_ABORT("unit_attr_type_is_array(): Unknown type.");
    return t != UNIT_ATTR_END && t % 2 == 0;
}

unit_attr_type_t unit_attr_type_element_type(unit_attr_type_t t) {
    if (t > UNIT_ATTR_LAST) V_ABORT("unit_attr_type_element_type(): Unknown type.");
    return unit_attr_element_code(t);
}

namespace {

template <uint32_t CODE>
const unit_attr_t<CODE> *domain_of(const unit_attribute_t *a) {
    return static_cast<const unit_attr_t<CODE> *>(a->domain);
}

// Steps 1 and 2 of every check; UNIT_CHECK_OK when the value test may follow.
unit_check_result_t check_target(const unit_base_t *unit, const unit_attribute_t *a) {
    if (!unit) return UNIT_CHECK_NULL_UNIT;
    if (!a) return UNIT_CHECK_NULL_ATTRIBUTE;
    if (!unit_system_t::inherits_from(unit->get_descriptor(), a->descriptor)) return UNIT_CHECK_WRONG_CLASS;
    return UNIT_CHECK_OK;
}

bool is_code(const unit_attribute_t *a, uint32_t scalar) { return a->type == scalar || a->type == scalar + 1; }

template <class T>
unit_check_result_t range(T value, T minimum, T maximum) {
    if (value < minimum) return UNIT_CHECK_BELOW_MINIMUM;
    if (value > maximum) return UNIT_CHECK_ABOVE_MAXIMUM;
    return UNIT_CHECK_OK;
}

template <int N, uint32_t CODE>
unit_check_result_t check_vector(const unit_attribute_t *a, const vec_t<float, N> &v) {
    if (!is_code(a, CODE)) return UNIT_CHECK_WRONG_OVERLOAD;
    const unit_attr_t<CODE> *d = domain_of<CODE>(a);
    if (!d) return UNIT_CHECK_OK;
    for (int i = 0; i < N; ++i)
        if (unit_check_result_t r = range(v[i], d->minimum[i], d->maximum[i])) return r;
    return UNIT_CHECK_OK;
}

// Kinds without a domain: only the code is tested.
unit_check_result_t check_free(const unit_base_t *unit, const unit_attribute_t *a, uint32_t code) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return is_code(a, code) ? UNIT_CHECK_OK : UNIT_CHECK_WRONG_OVERLOAD;
}

// The shared body of the integer overloads, over the value widened to 64 bits.
unit_check_result_t check_integer(const unit_attribute_t *a, uint64_t bits) {
    const int64_t signed_value = int64_t(bits);
    const bool fits_int32 = signed_value >= INT32_MIN && signed_value <= INT32_MAX;
    switch (a->type) {
    case UNIT_ATTR_TOKEN:
    case UNIT_ATTR_TOKEN_ARRAY: return UNIT_CHECK_OK;  // tokens given as numbers are not tested
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B:
    case UNIT_ATTR_INT32_B_ARRAY: {
        if (!fits_int32) return UNIT_CHECK_WRONG_KIND;
        const auto *d = static_cast<const unit_attr_int32_domain_t *>(a->domain);
        return d ? range(int32_t(signed_value), d->minimum, d->maximum) : UNIT_CHECK_OK;
    }
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_UINT32_B_ARRAY: {
        if (bits > UINT32_MAX && bits != UINT64_MAX) return UNIT_CHECK_WRONG_KIND;  // all bits set: nil
        const auto *d = static_cast<const unit_attr_uint32_domain_t *>(a->domain);
        return d ? range(uint32_t(bits), d->minimum, d->maximum) : UNIT_CHECK_OK;
    }
    case UNIT_ATTR_INT64:
    case UNIT_ATTR_INT64_ARRAY: {
        const auto *d = domain_of<UNIT_ATTR_INT64>(a);
        return d ? range(signed_value, d->minimum, d->maximum) : UNIT_CHECK_OK;
    }
    case UNIT_ATTR_UINT64:
    case UNIT_ATTR_UINT64_ARRAY: {
        const auto *d = domain_of<UNIT_ATTR_UINT64>(a);
        return d ? range(bits, d->minimum, d->maximum) : UNIT_CHECK_OK;
    }
    case UNIT_ATTR_UINT32_PLAIN:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return bits >> 32 ? UNIT_CHECK_WRONG_KIND : UNIT_CHECK_OK;
    case UNIT_ATTR_ENUM:
    case UNIT_ATTR_ENUM_ARRAY:
        if (!fits_int32) return UNIT_CHECK_WRONG_KIND;
        return unit_base_t::lookup_enum_symbol(domain_of<UNIT_ATTR_ENUM>(a), int32_t(signed_value))
                   ? UNIT_CHECK_OK
                   : UNIT_CHECK_NOT_IN_ENUM;
    default: return UNIT_CHECK_WRONG_OVERLOAD;
    }
}

}  // namespace

bool unit_base_t::lookup_enum_value(const unit_attr_enum_domain_t *domain, const string &symbol, int32_t *out) {
    if (!domain) return false;
    for (uint32_t i = 0; i < domain->count; ++i) {
        int c = strcmp(symbol.c_str(), domain->by_name[i].name);
        if (c == 0) {
            if (out) *out = domain->by_name[i].value;
            return true;
        }
        if (c < 0) return false;  // sorted: it would have come by now
    }
    return false;
}

const char *unit_base_t::lookup_enum_symbol(const unit_attr_enum_domain_t *domain, int32_t value) {
    if (!domain) return nullptr;
    for (uint32_t i = 0; i < domain->count; ++i) {
        if (domain->by_value[i].value == value) return domain->by_value[i].name;
        if (domain->by_value[i].value > value) return nullptr;
    }
    return nullptr;
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const string &value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    if (is_code(a, UNIT_ATTR_STRING)) {
        const auto *d = domain_of<UNIT_ATTR_STRING>(a);
        return d && value.length() > d->max_length ? UNIT_CHECK_TOO_LONG : UNIT_CHECK_OK;
    }
    if (is_code(a, UNIT_ATTR_TOKEN)) return is_valid_token(value) ? UNIT_CHECK_OK : UNIT_CHECK_BAD_TOKEN;
    return UNIT_CHECK_WRONG_OVERLOAD;
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_known_value(a, value);
}

unit_check_result_t check_known_value(const unit_attribute_t *a, unit_base_t *value) {
    if (a->type < UNIT_ATTR_OWNER || a->type > UNIT_ATTR_RESOURCE_ARRAY) return UNIT_CHECK_WRONG_OVERLOAD;
    const auto *d = static_cast<const unit_attr_unit_domain_t *>(a->domain);
    if (a->type >= UNIT_ATTR_RESOURCE) {
        const auto *rd = domain_of<UNIT_ATTR_RESOURCE>(a);
        if (!(rd && rd->non_null) && !value) return UNIT_CHECK_OK;
        if (!value) return UNIT_CHECK_NULL_VALUE;
        if (!unit_resource_tie_t::installed().check_resource_type(value)) return UNIT_CHECK_WRONG_UNIT;
        if (rd && rd->required && !unit_system_t::inherits_from(value->get_descriptor(), rd->required))
            return UNIT_CHECK_WRONG_UNIT;
        return UNIT_CHECK_OK;
    }
    if (!d) return UNIT_CHECK_OK;
    if (d->non_null && !value) return UNIT_CHECK_NULL_VALUE;
    if (d->required && value && !unit_system_t::inherits_from(value->get_descriptor(), d->required))
        return UNIT_CHECK_WRONG_UNIT;
    return UNIT_CHECK_OK;
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, float value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_known_value(a, value);
}

unit_check_result_t check_known_value(const unit_attribute_t *a, float value) {
    if (!is_code(a, UNIT_ATTR_FLOAT)) return UNIT_CHECK_WRONG_OVERLOAD;
    const auto *d = domain_of<UNIT_ATTR_FLOAT>(a);
    return d ? range(value, d->minimum, d->maximum) : UNIT_CHECK_OK;
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const vec2_t &value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_vector<2, UNIT_ATTR_VEC2>(a, value);
}

unit_check_result_t check_known_value(const unit_attribute_t *a, const vec2_t &value) {
    return check_vector<2, UNIT_ATTR_VEC2>(a, value);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const vec3_t &value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_vector<3, UNIT_ATTR_VEC3>(a, value);
}

unit_check_result_t check_known_value(const unit_attribute_t *a, const vec3_t &value) {
    return check_vector<3, UNIT_ATTR_VEC3>(a, value);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const vec4_t &value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_vector<4, UNIT_ATTR_VEC4>(a, value);
}

unit_check_result_t check_known_value(const unit_attribute_t *a, const vec4_t &value) {
    return check_vector<4, UNIT_ATTR_VEC4>(a, value);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const mat4_t &) {
    return check_free(unit, a, UNIT_ATTR_MATRIX);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const quat_t &) {
    return check_free(unit, a, UNIT_ATTR_QUAT);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const placement_t &) {
    return check_free(unit, a, UNIT_ATTR_PLACEMENT);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a,
                                             const placement_scale_t &) {
    return check_free(unit, a, UNIT_ATTR_PLACEMENT_SCALE);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a,
                                             const placement_nonuniform_t &) {
    return check_free(unit, a, UNIT_ATTR_PLACEMENT_NONUNIFORM);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const plane_t &) {
    return check_free(unit, a, UNIT_ATTR_PLANE);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const sphere_t &) {
    return check_free(unit, a, UNIT_ATTR_SPHERE);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, const aabox_t &) {
    return check_free(unit, a, UNIT_ATTR_AABOX);
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, int32_t value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_integer(a, uint64_t(int64_t(value)));
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, uint32_t value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_integer(a, uint64_t(value));
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, int64_t value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_integer(a, uint64_t(value));
}

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, uint64_t value) {
    if (unit_check_result_t r = check_target(unit, a)) return r;
    return check_integer(a, value);
}

unit_check_result_t check_known_value(const unit_attribute_t *a, int64_t value) {
    return check_integer(a, uint64_t(value));
}

unit_check_result_t check_known_value(const unit_attribute_t *a, uint64_t value) { return check_integer(a, value); }

unit_check_result_t unit_base_t::check_value(const unit_base_t *unit, const unit_attribute_t *a, bool) {
    return check_free(unit, a, UNIT_ATTR_BOOL);
}

}  // namespace quarn
