#include "qrncore/units/unit_system.h"

#include <bit>
#include <cstring>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_name.h"
#include "qrncore/units/unit_proxy.h"

namespace quarn {

namespace {

// The garbage list: units whose count fell to 0, in listing order. It grows as the
// engine's arrays do and keeps its storage between passes.
struct garbage_list_t {
    array_dyn_t<unit_base_t *> items;
    bool cleaning = false;
};

struct systems_t {
    unit_system_t *table[unit_system_t::MAX_SYSTEMS] = {};
    uint32_t used = 0;
    uint32_t default_index = unit_system_t::NO_DEFAULT;
    garbage_list_t garbage;
};

// Constant-initialised, so units released during another file's start-up find it.
constinit systems_t systems;

}  // namespace

unit_system_t::unit_system_t(unit_bank_t &bank) : m_bank(&bank) {
    uint32_t index = uint32_t(std::countr_one(systems.used));
    if (index >= MAX_SYSTEMS) V_ABORT("[unit] Can not create more unit systems - already UF_UNIT_SYTEMS_COUNT systems exist.");
    if (!systems.used) unit_name_t::tree_startup();
    systems.used |= 1u << index;
    systems.table[index] = this;
    m_index = index;
}

unit_system_t::~unit_system_t() {
    // The units still on the garbage list are freed with the last system, while it can
    // still be named to them: none outlives the systems.
    if (systems.used == (1u << m_index)) clean_garbage();
    systems.used &= ~(1u << m_index);
    systems.table[m_index] = nullptr;
    if (systems.default_index == m_index) systems.default_index = NO_DEFAULT;
    if (!systems.used) {
        // The list's storage goes back with the last system.
        systems.garbage.items.clear();
        systems.garbage.items.shrink();
        unit_name_t::tree_shutdown();
    }
}

void unit_system_t::set_default() {
    if (systems.default_index != NO_DEFAULT) warning("[unit] Stealing the default unit system.");
    systems.default_index = m_index;
}

unit_system_t *unit_system_t::get_default() {
    return systems.default_index < MAX_SYSTEMS ? systems.table[systems.default_index] : nullptr;
}

unit_system_t *unit_system_t::get_system(uint32_t index) { return index < MAX_SYSTEMS ? systems.table[index] : nullptr; }

unit_base_t *unit_system_t::create_unit_in(unit_system_t *system, const unit_descriptor_t &d) {
    if (!system) V_ABORT("There is no default unit system.");
    if (!d.create) V_ABORT("Attempt to instantiate abstract unit type.");
    return d.create(system);
}

unit_base_t *unit_system_t::create_unit_in(unit_system_t *system, const string &type_name) {
    if (!system) V_ABORT("There is no default unit system.");
    const unit_descriptor_t *d = system->find_unit_type(type_name);
    return d ? create_unit_in(system, *d) : nullptr;
}

unit_t *unit_system_t::find_unit(const string &name) { return unit_name_t::find_unit(name); }

const unit_descriptor_t *unit_system_t::find_unit_type(const string &type_name) const {
    return m_bank->get_descriptor(type_name);
}

void unit_system_t::add_to_garbage(unit_base_t *unit) {
    if (unit->m_flags & unit_base_t::FLAG_LISTED) return;
    if (!systems.garbage.items.append(unit)) {
        error("[unit] No memory to list a released unit for freeing; it stays allocated.");
        return;
    }
    unit->m_flags |= unit_base_t::FLAG_LISTED;
}

void unit_system_t::clean_garbage() {
    garbage_list_t &list = systems.garbage;
    if (list.cleaning) return;  // a destroy function's units join the running pass
    list.cleaning = true;
    // By index, reading the count again after every unit: destroy functions append
    // the units they release, and those are freed in this pass too.
    for (uint32_t i = 0; i < list.items.get_count(); ++i) {
        unit_base_t *unit = list.items[i];
        unit->m_flags &= uint8_t(~unit_base_t::FLAG_LISTED);
        if (unit->m_count) continue;  // counted again since it was listed
        const unit_descriptor_t *d = unit->get_descriptor();
        d->destroy(unit, systems.table[unit->get_system_index()]);
    }
    list.items.clear();
    list.cleaning = false;
}

uint32_t unit_system_t::get_garbage_count() { return systems.garbage.items.get_count(); }

bool unit_system_t::inherits_from(const unit_descriptor_t *d, const unit_descriptor_t *wanted) {
    for (const unit_descriptor_t *c = d; c; c = c->parent)
        if (c == wanted) return true;
    return d == &unit_proxy_u::unit_descriptor;
}

bool unit_system_t::inherits_from(const unit_descriptor_t *d, uint32_t fingerprint) {
    V_ASSERT(d != nullptr);
    for (const unit_descriptor_t *c = d; c; c = c->parent)
        if (*c->fingerprint == fingerprint) return true;
    return *d->fingerprint == unit_proxy_u::fingerprint;
}

const unit_attribute_t *unit_system_t::get_attribute_descriptor(const unit_descriptor_t *d, const string &name) {
    for (const unit_descriptor_t *c = d; c; c = c->parent)
        for (const unit_attribute_t *a = c->attributes; a->type != UNIT_ATTR_END; ++a)
            if (strcmp(a->name, name.c_str()) == 0) return a;
    return nullptr;
}

}  // namespace quarn
