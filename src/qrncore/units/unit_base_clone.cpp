// Copying and releasing a unit's attributes, table by table.
#include <cstring>

#include "qrncore/system/messages.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

namespace {

template <uint32_t CODE>
unit_attr_storage_t<CODE> &value_of(const unit_attribute_t &a, unit_base_t *unit) {
    return *static_cast<unit_attr_storage_t<CODE> *>(a.address_in(unit));
}

template <uint32_t CODE>
bool copy_plain(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    value_of<CODE>(a, target) = value_of<CODE>(a, source);
    return true;
}

// The owned unit of the source, cloned; a dead or missing unit gives null.
bool copy_owner(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    owner_ptr_t<unit_base_t> &from = value_of<UNIT_ATTR_OWNER>(a, source);
    owner_ptr_t<unit_base_t> &to = value_of<UNIT_ATTR_OWNER>(a, target);
    if (!from || !from->is_alive()) {
        to.reset();
        return true;
    }
    owner_ptr_ret_t<unit_base_t> copy = from->clone();
    if (!copy) {
        to.reset();
        return false;
    }
    to = std::move(copy);
    return true;
}

// A value array: emptied, sized to the source at once, then filled; left empty when
// the room cannot be had.
template <uint32_t CODE>
bool copy_values(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    auto &to = value_of<CODE>(a, target);
    const auto &from = value_of<CODE>(a, source);
    to.clear();
    if (!to.request_capacity(from.get_count()) || !to.append_array(from)) {
        to.clear();
        return false;
    }
    return true;
}

bool copy_strings(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    auto &to = value_of<UNIT_ATTR_STRING_ARRAY>(a, target);
    const auto &from = value_of<UNIT_ATTR_STRING_ARRAY>(a, source);
    to.clear();
    bool ok = to.request_capacity(from.get_count());
    for (uint32_t i = 0; ok && i < from.get_count(); ++i) {
        mstring_dyn_t text;
        ok = text.copy(from[i]) && to.append(std::move(text));
    }
    if (!ok) to.clear();
    return ok;
}

// Every live owned unit cloned into a new element (dead ones become null elements).
bool copy_owners(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    auto &to = value_of<UNIT_ATTR_OWNER_ARRAY>(a, target);
    const auto &from = value_of<UNIT_ATTR_OWNER_ARRAY>(a, source);
    to.clear();  // owner releases, last first
    bool ok = to.request_capacity(from.get_count());
    for (uint32_t i = 0; ok && i < from.get_count(); ++i) {
        unit_base_t *unit = from[i].get_base();
        owner_ptr_t<unit_base_t> copy;
        if (unit && unit->is_alive()) {
            copy = unit->clone();
            ok = bool(copy);
        }
        ok = ok && to.append(std::move(copy));
    }
    if (!ok) to.clear();
    return ok;
}

// The scalar codes that are copied bit for bit and need no teardown.
#define QRN_UNIT_PLAIN_CODES(X)                                                                          \
    X(UNIT_ATTR_TOKEN) X(UNIT_ATTR_FLOAT) X(UNIT_ATTR_VEC2) X(UNIT_ATTR_VEC3) X(UNIT_ATTR_VEC4)             \
    X(UNIT_ATTR_MATRIX) X(UNIT_ATTR_QUAT) X(UNIT_ATTR_PLACEMENT) X(UNIT_ATTR_PLACEMENT_SCALE)               \
    X(UNIT_ATTR_PLACEMENT_NONUNIFORM) X(UNIT_ATTR_PLANE) X(UNIT_ATTR_SPHERE) X(UNIT_ATTR_AABOX)             \
    X(UNIT_ATTR_INT32) X(UNIT_ATTR_UINT32) X(UNIT_ATTR_INT32_B) X(UNIT_ATTR_UINT32_B) X(UNIT_ATTR_INT64)    \
    X(UNIT_ATTR_UINT64) X(UNIT_ATTR_UINT32_PLAIN) X(UNIT_ATTR_BOOL) X(UNIT_ATTR_ENUM)

bool copy_attribute(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    switch (a.type) {
#define QRN_COPY_PLAIN(code) \
    case code: return copy_plain<code>(a, source, target);
        QRN_UNIT_PLAIN_CODES(QRN_COPY_PLAIN)
#undef QRN_COPY_PLAIN
    case UNIT_ATTR_STRING: {
        mstring_dyn_t &to = value_of<UNIT_ATTR_STRING>(a, target);
        const mstring_dyn_t &from = value_of<UNIT_ATTR_STRING>(a, source);
        return to.copy(from);
    }
    case UNIT_ATTR_OWNER: return copy_owner(a, source, target);
    case UNIT_ATTR_REF:
        value_of<UNIT_ATTR_REF>(a, target) = value_of<UNIT_ATTR_REF>(a, source).alive_or_null();
        return true;
    case UNIT_ATTR_STRING_ARRAY: return copy_strings(a, source, target);
#define QRN_COPY_VALUES(code) \
    case code + 1: return copy_values<code + 1>(a, source, target);
        QRN_UNIT_PLAIN_CODES(QRN_COPY_VALUES)
#undef QRN_COPY_VALUES
    case UNIT_ATTR_OWNER_ARRAY: return copy_owners(a, source, target);
    case UNIT_ATTR_REF_ARRAY: return copy_values<UNIT_ATTR_REF_ARRAY>(a, source, target);  // copies count live units
    case UNIT_ATTR_RESOURCE: return unit_resource_tie_t::installed().clone_value(source, &a, target);
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().clone_array(source, &a, target);
    default: V_ABORT("[unit] Unknown attribute type in _clone_attributes_to().");
    }
}

void destroy_attribute(const unit_attribute_t &a, unit_base_t *unit) {
    switch (a.type) {
#define QRN_KEEP_PLAIN(code) case code:
        QRN_UNIT_PLAIN_CODES(QRN_KEEP_PLAIN)
#undef QRN_KEEP_PLAIN
    case UNIT_ATTR_STRING:
    case UNIT_ATTR_STRING_ARRAY: return;  // freed with the unit
#define QRN_EMPTY_VALUES(code) \
    case code + 1: value_of<code + 1>(a, unit).clear(); return;
        QRN_UNIT_PLAIN_CODES(QRN_EMPTY_VALUES)
#undef QRN_EMPTY_VALUES
    case UNIT_ATTR_OWNER_ARRAY: value_of<UNIT_ATTR_OWNER_ARRAY>(a, unit).clear(); return;  // last first
    case UNIT_ATTR_REF_ARRAY: value_of<UNIT_ATTR_REF_ARRAY>(a, unit).clear(); return;
    case UNIT_ATTR_OWNER: value_of<UNIT_ATTR_OWNER>(a, unit).reset(); return;
    case UNIT_ATTR_REF: value_of<UNIT_ATTR_REF>(a, unit).reset(); return;
    case UNIT_ATTR_RESOURCE: unit_resource_tie_t::installed().destroy_value(unit, &a); return;
    case UNIT_ATTR_RESOURCE_ARRAY: unit_resource_tie_t::installed().destroy_array(unit, &a); return;
    default: V_ABORT("[unit] Unknown attribute type in _destroy_attributes().");
    }
}

}  // namespace

bool unit_base_t::_clone_attributes_to(const unit_descriptor_t &d, unit_base_t *target) {
    for (const unit_attribute_t *a = d.attributes; a->type != UNIT_ATTR_END; ++a) {
        if (copy_attribute(*a, this, target)) continue;
        error("[unit] Failed to clone the the attribute '%s' of unit '%s' (type '%s').", a->name,
              name_text().c_str(), get_descriptor()->class_name->c_str());
        return false;
    }
    return true;
}

void unit_base_t::_destroy_attributes(const unit_descriptor_t &d) {
    for (const unit_attribute_t *a = d.attributes; a->type != UNIT_ATTR_END; ++a) destroy_attribute(*a, this);
}

}  // namespace quarn
