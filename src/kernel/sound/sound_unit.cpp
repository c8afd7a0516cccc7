#include "kernel/sound/sound_unit.h"

#include "kernel/sound/sound.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

constinit const string sound_u::class_name{"sound"};
constinit const uint32_t sound_u::fingerprint = unit_system_t::compute_fingerprint("sound_u");
// No attribute is stored: sounds are never written to unit files.
constinit const unit_attribute_t sound_u::unit_attributes[] = {
    {&sound_u::unit_descriptor, nullptr, UNIT_ATTR_END, nullptr, nullptr}};
constinit const unit_descriptor_t sound_u::unit_descriptor = {
    &sound_u::class_name,      &sound_u::create_instance, &unit_base_t::destroy_instance,
    &unit_t::unit_descriptor, sound_u::unit_attributes,  &sound_u::fingerprint};

sound_u::sound_u(unit_system_t *system) : unit_t(system) {}

sound_u::~sound_u() = default;

unit_base_t *sound_u::create_instance(unit_system_t *system) { return new sound_u(system); }

bool sound_u::register_class(unit_bank_t &bank) { return bank.register_class(&unit_descriptor); }

const unit_descriptor_t *sound_u::get_descriptor() const { return &unit_descriptor; }

void sound_u::play() {
    if (has_flag(PLAY_REQUESTED)) return;
    flags |= PLAY_REQUESTED | CHANGED;
}

void sound_u::set_position(float x, float y, float z) {
    attributes.position = {x, y, z};
    flags |= CHANGED;
}

void sound_u::set_rate(float rate) {
    attributes.rate = rate;
    flags |= CHANGED;
}

void sound_u::destroy() {
    // Owners may destroy a unit that is dead already; it left the lists then.
    if (is_alive()) snd_forget_sound(this);
    resource_name = mstring_dyn_t();
    unit_t::destroy();
}

owner_ptr_ret_t<unit_base_t> sound_u::clone() { return {}; }

}  // namespace quarn
