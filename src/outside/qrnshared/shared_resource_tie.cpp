#include "outside/qrnshared/shared_resource_tie.h"

#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The named request that neither loads nor counts (the manager's type 1).
constexpr int OBTAIN_NAMED = 1;
constexpr uint32_t AT_END = unit_base_t::AT_END;

using slots_t = array_dyn_t<unit_resource_slot_t>;

c_item_t *item_of(unit_base_t *value) {
    if (!value || !value->is_kind_of(resource_unit_u::unit_descriptor)) return nullptr;
    return static_cast<resource_unit_u *>(value)->get_item();
}

void hold(unit_base_t *value) {
    if (c_item_t *item = item_of(value)) item->add_ref();
}

void drop(unit_base_t *value) {
    if (c_item_t *item = item_of(value)) item->release_ref();
}

unit_resource_slot_t &slot(unit_base_t *unit, const unit_attribute_t *a) {
    return *static_cast<unit_resource_slot_t *>(a->address_in(unit));
}

slots_t &slots(unit_base_t *unit, const unit_attribute_t *a) { return *static_cast<slots_t *>(a->address_in(unit)); }

// Stores value into s: the new item is counted before the old one is released.
void store(unit_resource_slot_t &s, unit_base_t *value) {
    hold(value);
    unit_base_t *old = s.value;
    s.value = value;
    drop(old);
}

bool put(slots_t &s, uint32_t at, unit_base_t *value) {
    if (!s.request_capacity(s.get_count() + 1)) return false;
    unit_resource_slot_t fresh;
    if (at == s.get_count() ? !s.append(fresh) : !s.insert(at, fresh)) return false;
    store(s[at], value);
    return true;
}

}  // namespace

bool shared_resource_tie_t::get_resource_name(mstring_t *out, unit_base_t *value) {
    c_item_t *item = item_of(value);
    if (!item || !item->is_named()) return false;
    return out->copy(item->get_name());
}

bool shared_resource_tie_t::check_resource_type(unit_base_t *value) { return !value || item_of(value) != nullptr; }

void shared_resource_tie_t::destroy_value(unit_base_t *unit, const unit_attribute_t *a) { store(slot(unit, a), nullptr); }

void shared_resource_tie_t::destroy_array(unit_base_t *unit, const unit_attribute_t *a) {
    slots_t &s = slots(unit, a);
    for (uint32_t i = s.get_count(); i-- > 0;) store(s[i], nullptr);
    s.clear();
}

bool shared_resource_tie_t::clone_value(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target) {
    store(slot(target, a), slot(source, a).value);
    return true;
}

bool shared_resource_tie_t::clone_array(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target) {
    const slots_t &from = slots(source, a);
    slots_t &to = slots(target, a);
    destroy_array(target, a);
    if (!to.request_capacity(from.get_count())) return false;
    for (uint32_t i = 0; i < from.get_count(); ++i)
        if (!put(to, to.get_count(), from[i].value)) return false;
    return true;
}

unit_base_t *shared_resource_tie_t::load(const string &text, unit_base_t *, const unit_attribute_t *a) {
    const kernel_links_t &k = qrnshared_kernel();
    if (!k.mm_obtain_resource) {
        error("[qrnshared] No memory manager to load the resource '%s'", text.c_str());
        return nullptr;
    }
    const auto *domain = static_cast<const unit_attr_resource_domain_t *>(a->domain);
    c_item_t *item = k.mm_obtain_resource(OBTAIN_NAMED, text.c_str(), domain ? domain->required : nullptr, 0);
    return item ? item->get_unit() : nullptr;
}

void shared_resource_tie_t::unload(unit_base_t *value, unit_base_t *, const unit_attribute_t *) {
    c_item_t *item = item_of(value);
    if (item && item->ref_count == 0) {
        item->add_ref();
        item->release_ref();
    }
}

bool shared_resource_tie_t::remove_array_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index) {
    slots_t &s = slots(unit, a);
    if (index >= s.get_count()) return false;
    store(s[index], nullptr);
    s.remove(index);
    return true;
}

bool shared_resource_tie_t::get_array_size(unit_base_t *unit, const unit_attribute_t *a, uint32_t *out) {
    *out = slots(unit, a).get_count();
    return true;
}

bool shared_resource_tie_t::set_array_capacity(unit_base_t *unit, const unit_attribute_t *a, uint32_t count) {
    return slots(unit, a).request_capacity(count);
}

bool shared_resource_tie_t::get_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t **out) {
    *out = slot(unit, a).value;
    return true;
}

bool shared_resource_tie_t::get_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index,
                                        unit_base_t **out) {
    slots_t &s = slots(unit, a);
    if (index >= s.get_count()) return false;
    *out = s[index].value;
    return true;
}

bool shared_resource_tie_t::get_array_copy(unit_base_t *unit, const unit_attribute_t *a, array_t<unit_base_t *> *out) {
    slots_t &s = slots(unit, a);
    out->clear();
    if (!out->request_capacity(s.get_count())) return false;
    for (uint32_t i = 0; i < s.get_count(); ++i)
        if (!out->append(s[i].value)) return false;
    return true;
}

bool shared_resource_tie_t::set_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value) {
    if (!check_resource_type(value)) return false;
    store(slot(unit, a), value);
    return true;
}

bool shared_resource_tie_t::set_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t index,
                                        unit_base_t *value) {
    slots_t &s = slots(unit, a);
    if (index >= s.get_count() || !check_resource_type(value)) return false;
    store(s[index], value);
    return true;
}

bool shared_resource_tie_t::append(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value) {
    slots_t &s = slots(unit, a);
    if (!check_resource_type(value)) return false;
    if (index == AT_END) return put(s, s.get_count(), value);
    return index < s.get_count() && put(s, index + 1, value);
}

bool shared_resource_tie_t::prepend(unit_base_t *unit, const unit_attribute_t *a, uint32_t index, unit_base_t *value) {
    slots_t &s = slots(unit, a);
    return check_resource_type(value) && index < s.get_count() && put(s, index, value);
}

}  // namespace quarn
