// Copying and releasing a unit's attributes, table by table.
#include <cstring>

#include "qrncore/system/messages.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_ptr.h"

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

bool copy_attribute(const unit_attribute_t &a, unit_base_t *source, unit_base_t *target) {
    switch (a.type) {
    case UNIT_ATTR_STRING: {
        mstring_dyn_t &to = value_of<UNIT_ATTR_STRING>(a, target);
        const mstring_dyn_t &from = value_of<UNIT_ATTR_STRING>(a, source);
        return to.copy(from);
    }
    case UNIT_ATTR_TOKEN: return copy_plain<UNIT_ATTR_TOKEN>(a, source, target);
    case UNIT_ATTR_FLOAT: return copy_plain<UNIT_ATTR_FLOAT>(a, source, target);
    case UNIT_ATTR_INT32: return copy_plain<UNIT_ATTR_INT32>(a, source, target);
    case UNIT_ATTR_UINT32: return copy_plain<UNIT_ATTR_UINT32>(a, source, target);
    case UNIT_ATTR_INT32_B: return copy_plain<UNIT_ATTR_INT32_B>(a, source, target);
    case UNIT_ATTR_UINT32_B: return copy_plain<UNIT_ATTR_UINT32_B>(a, source, target);
    case UNIT_ATTR_INT64: return copy_plain<UNIT_ATTR_INT64>(a, source, target);
    case UNIT_ATTR_UINT64: return copy_plain<UNIT_ATTR_UINT64>(a, source, target);
    case UNIT_ATTR_UINT32_PLAIN: return copy_plain<UNIT_ATTR_UINT32_PLAIN>(a, source, target);
    case UNIT_ATTR_BOOL: return copy_plain<UNIT_ATTR_BOOL>(a, source, target);
    case UNIT_ATTR_ENUM: return copy_plain<UNIT_ATTR_ENUM>(a, source, target);
    case UNIT_ATTR_OWNER: return copy_owner(a, source, target);
    case UNIT_ATTR_REF:
        value_of<UNIT_ATTR_REF>(a, target) = value_of<UNIT_ATTR_REF>(a, source).alive_or_null();
        return true;
    default: V_ABORT("[unit] Unknown attribute type in _clone_attributes_to().");
    }
}

void destroy_attribute(const unit_attribute_t &a, unit_base_t *unit) {
    switch (a.type) {
    case UNIT_ATTR_STRING:
    case UNIT_ATTR_TOKEN:
    case UNIT_ATTR_FLOAT:
    case UNIT_ATTR_INT32:
    case UNIT_ATTR_UINT32:
    case UNIT_ATTR_INT32_B:
    case UNIT_ATTR_UINT32_B:
    case UNIT_ATTR_INT64:
    case UNIT_ATTR_UINT64:
    case UNIT_ATTR_UINT32_PLAIN:
    case UNIT_ATTR_BOOL:
    case UNIT_ATTR_ENUM: return;  // freed with the unit
    case UNIT_ATTR_OWNER: value_of<UNIT_ATTR_OWNER>(a, unit).reset(); return;
    case UNIT_ATTR_REF: value_of<UNIT_ATTR_REF>(a, unit).reset(); return;
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
