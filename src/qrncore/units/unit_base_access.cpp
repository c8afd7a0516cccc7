// The typed attribute accessors: values read and written through attribute records.
#include "qrncore/strings/name_token.h"
#include "qrncore/units/unit_attr_known.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

namespace {

template <uint32_t CODE>
unit_attr_storage_t<CODE> &slot(unit_base_t *unit, const unit_attribute_t *a) {
    return *static_cast<unit_attr_storage_t<CODE> *>(a->address_in(unit));
}

// The common start of every accessor: a unit of another class, a proxy included, has
// no memory at the attribute's place.
bool usable(const unit_base_t *unit, const unit_attribute_t *a) { return a && unit->is_kind_of(*a->descriptor); }

template <uint32_t CODE, class T>
bool get_plain(unit_base_t *unit, const unit_attribute_t *a, T *out) {
    if (!usable(unit, a) || a->type != CODE) return false;
    *out = slot<CODE>(unit, a);
    return true;
}

// The store of a plain kind, the class test done.
template <uint32_t CODE, class T>
bool set_plain_known(unit_base_t *unit, const unit_attribute_t *a, const T &value) {
    if (a->type != CODE) return false;
    slot<CODE>(unit, a) = value;
    return true;
}

template <uint32_t CODE, class T>
bool set_plain(unit_base_t *unit, const unit_attribute_t *a, const T &value) {
    return usable(unit, a) && set_plain_known<CODE>(unit, a, value);
}

}  // namespace

bool unit_base_t::get_value(const unit_attribute_t *a, mstring_t *out) {
    if (!usable(this, a)) return false;
    if (a->type == UNIT_ATTR_STRING) return out->copy(slot<UNIT_ATTR_STRING>(this, a));
    if (a->type == UNIT_ATTR_TOKEN) return token_to_string(*out, slot<UNIT_ATTR_TOKEN>(this, a));
    return false;
}

bool unit_base_t::set_value(const unit_attribute_t *a, const string &value) {
    if (!usable(this, a)) return false;
    if (a->type == UNIT_ATTR_STRING) return slot<UNIT_ATTR_STRING>(this, a).copy(value);
    if (a->type == UNIT_ATTR_TOKEN) return string_to_token(slot<UNIT_ATTR_TOKEN>(this, a), value);
    return false;
}

bool unit_base_t::get_value(const unit_attribute_t *a, const mstring_t **out) {
    if (!usable(this, a) || a->type != UNIT_ATTR_STRING) return false;
    *out = &slot<UNIT_ATTR_STRING>(this, a);
    return true;
}

bool unit_base_t::get_value(const unit_attribute_t *a, float *out) { return get_plain<UNIT_ATTR_FLOAT>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, float value) { return set_plain<UNIT_ATTR_FLOAT>(this, a, value); }
bool unit_base_t::get_value(const unit_attribute_t *a, vec2_t *out) { return get_plain<UNIT_ATTR_VEC2>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const vec2_t &value) {
    return set_plain<UNIT_ATTR_VEC2>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, vec3_t *out) { return get_plain<UNIT_ATTR_VEC3>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const vec3_t &value) {
    return set_plain<UNIT_ATTR_VEC3>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, vec4_t *out) { return get_plain<UNIT_ATTR_VEC4>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const vec4_t &value) {
    return set_plain<UNIT_ATTR_VEC4>(this, a, value);
}
bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, float value) {
    return set_plain_known<UNIT_ATTR_FLOAT>(unit, a, value);
}
bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, const vec2_t &value) {
    return set_plain_known<UNIT_ATTR_VEC2>(unit, a, value);
}
bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, const vec3_t &value) {
    return set_plain_known<UNIT_ATTR_VEC3>(unit, a, value);
}
bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, const vec4_t &value) {
    return set_plain_known<UNIT_ATTR_VEC4>(unit, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, mat4_t *out) { return get_plain<UNIT_ATTR_MATRIX>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const mat4_t &value) {
    return set_plain<UNIT_ATTR_MATRIX>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, quat_t *out) { return get_plain<UNIT_ATTR_QUAT>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const quat_t &value) {
    return set_plain<UNIT_ATTR_QUAT>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, placement_t *out) {
    return get_plain<UNIT_ATTR_PLACEMENT>(this, a, out);
}
bool unit_base_t::set_value(const unit_attribute_t *a, const placement_t &value) {
    return set_plain<UNIT_ATTR_PLACEMENT>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, placement_scale_t *out) {
    return get_plain<UNIT_ATTR_PLACEMENT_SCALE>(this, a, out);
}
bool unit_base_t::set_value(const unit_attribute_t *a, const placement_scale_t &value) {
    return set_plain<UNIT_ATTR_PLACEMENT_SCALE>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, placement_nonuniform_t *out) {
    return get_plain<UNIT_ATTR_PLACEMENT_NONUNIFORM>(this, a, out);
}
bool unit_base_t::set_value(const unit_attribute_t *a, const placement_nonuniform_t &value) {
    return set_plain<UNIT_ATTR_PLACEMENT_NONUNIFORM>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, plane_t *out) { return get_plain<UNIT_ATTR_PLANE>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const plane_t &value) {
    return set_plain<UNIT_ATTR_PLANE>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, sphere_t *out) { return get_plain<UNIT_ATTR_SPHERE>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const sphere_t &value) {
    return set_plain<UNIT_ATTR_SPHERE>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, aabox_t *out) { return get_plain<UNIT_ATTR_AABOX>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, const aabox_t &value) {
    return set_plain<UNIT_ATTR_AABOX>(this, a, value);
}
bool unit_base_t::get_value(const unit_attribute_t *a, bool *out) { return get_plain<UNIT_ATTR_BOOL>(this, a, out); }
bool unit_base_t::set_value(const unit_attribute_t *a, bool value) { return set_plain<UNIT_ATTR_BOOL>(this, a, value); }

bool unit_base_t::get_value(const unit_attribute_t *a, int32_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_INT32_B:
    case UNIT_ATTR_ENUM: *out = slot<UNIT_ATTR_INT32>(this, a); return true;
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, int32_t value) {
    return usable(this, a) && set_known_value(this, a, value);
}

bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, int32_t value) {
    switch (a->type) {
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_INT32_B:
    case UNIT_ATTR_ENUM: slot<UNIT_ATTR_INT32>(unit, a) = value; return true;
    case UNIT_ATTR_INT64: slot<UNIT_ATTR_INT64>(unit, a) = value; return true;
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_UINT32_PLAIN: *out = slot<UNIT_ATTR_UINT32>(this, a); return true;
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t value) {
    return usable(this, a) && set_known_value(this, a, value);
}

bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, uint32_t value) {
    switch (a->type) {
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_UINT32_PLAIN: slot<UNIT_ATTR_UINT32>(unit, a) = value; return true;
    case UNIT_ATTR_TOKEN:
    case UNIT_ATTR_UINT64: slot<UNIT_ATTR_UINT64>(unit, a) = value; return true;
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, int64_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT64: *out = slot<UNIT_ATTR_INT64>(this, a); return true;
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_INT32_B:
    case UNIT_ATTR_ENUM: *out = slot<UNIT_ATTR_INT32>(this, a); return true;
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, int64_t value) {
    return set_plain<UNIT_ATTR_INT64>(this, a, value);
}

bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, int64_t value) {
    return set_plain_known<UNIT_ATTR_INT64>(unit, a, value);
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint64_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_TOKEN:
    case UNIT_ATTR_UINT64: *out = slot<UNIT_ATTR_UINT64>(this, a); return true;
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_UINT32_PLAIN: *out = slot<UNIT_ATTR_UINT32>(this, a); return true;
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint64_t value) {
    return usable(this, a) && set_known_value(this, a, value);
}

bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, uint64_t value) {
    if (a->type != UNIT_ATTR_TOKEN && a->type != UNIT_ATTR_UINT64) return false;
    slot<UNIT_ATTR_UINT64>(unit, a) = value;
    return true;
}

bool unit_base_t::get_value(const unit_attribute_t *a, unit_base_t **out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_OWNER: *out = slot<UNIT_ATTR_OWNER>(this, a).get_base(); return true;
    case UNIT_ATTR_REF: *out = slot<UNIT_ATTR_REF>(this, a).get_base(); return true;
    case UNIT_ATTR_RESOURCE: return unit_resource_tie_t::installed().get_value(this, a, out);
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, unit_base_t *value) {
    return usable(this, a) && set_known_value(this, a, value);
}

bool set_known_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value) {
    switch (a->type) {
    case UNIT_ATTR_OWNER: slot<UNIT_ATTR_OWNER>(unit, a).reset(value); return true;
    case UNIT_ATTR_REF: slot<UNIT_ATTR_REF>(unit, a) = value; return true;
    case UNIT_ATTR_RESOURCE: return unit_resource_tie_t::installed().set_value(unit, a, value);
    default: return false;
    }
}

}  // namespace quarn
