#include "qrncore/units/unit_bank.h"

#include <cstring>

#include "qrncore/system/messages.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_base.h"

namespace quarn {

namespace {

const char *type_name_of(const unit_descriptor_t *d) { return d->class_name->c_str(); }

}  // namespace

unit_bank_t::unit_bank_t() { register_core(); }

unit_bank_t::~unit_bank_t() = default;

void unit_bank_t::register_core() {
    register_class(&unit_base_t::unit_descriptor);
    register_class(&unit_t::unit_descriptor);
}

bool unit_bank_t::register_class(const unit_descriptor_t *d) {
    const char *name = type_name_of(d);
    size_t length = strlen(name);
    const void *found = m_table.find(name, length);
    if (!found) return m_table.put(name, length, const_cast<unit_descriptor_t *>(d));
    if (found == d) {
        verbose("[unit] Unit type '%s' registered twice.", name);
        return true;
    }
    error("[unit] Attempt to register unit type '%s', but the type name is already taken.", name);
    return false;
}

bool unit_bank_t::unregister_class(const unit_descriptor_t *d) {
    const char *name = type_name_of(d);
    const void *removed = m_table.remove_key(name, strlen(name));
    if (!removed) {
        verbose("[unit] Attempt to unregister unit type '%s' - but it was not registered at all.", name);
        return false;
    }
    if (removed == d) return true;
    error("[unit] Unregister unit type '%s', but there was some other class registered under this name.", name);
    return false;
}

const unit_descriptor_t *unit_bank_t::get_descriptor(const string &type_name) const {
    return static_cast<const unit_descriptor_t *>(m_table.find(type_name.c_str()));
}

string unit_bank_t::get_class_name(uint32_t i) const {
    V_ASSERT(i < get_class_count());
    const vdatalist_node_t *entry = m_table.get_entries().get_first();
    for (; i; --i) entry = entry->next;
    return *static_cast<const unit_descriptor_t *>(vptrhash_t::entry2ptr(entry))->class_name;
}

void unit_bank_t::reset() {
    m_table.clear();
    register_core();
}

}  // namespace quarn
