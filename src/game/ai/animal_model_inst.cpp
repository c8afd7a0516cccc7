#include "game/ai/animal_model_inst.h"

#include "game/ai/ragdoll.h"
#include "game/ai/zba_inst.h"

namespace quarn {

QRN_UNIT_DEFINE(animal_model_inst_u, "animal_model_inst");

void animal_model_inst_u::on_construct() {}
void animal_model_inst_u::on_destroy() {}
bool animal_model_inst_u::_clone_finish(unit_base_t *) { return false; }

owner_ptr_ret_t<animal_model_inst_u> animal_model_inst_u::create(animal_model_desc_u *, float, uint32_t,
                                                                 zba_listener_t *) {
    return {};
}
bool animal_model_inst_u::build(animal_model_desc_u *, float, uint32_t, zba_listener_t *) { return false; }
int32_t animal_model_inst_u::play_behavior(uint32_t, bool, uint32_t) { return -1; }
int32_t animal_model_inst_u::play_behavior_index(int32_t, bool, uint32_t) { return -1; }
void animal_model_inst_u::draw(float) {}
void animal_model_inst_u::animate(float) {}
float animal_model_inst_u::take_root_motion() { return 0.0f; }
bool animal_model_inst_u::intersect(model_hit_t &, const placement_t &, const vec3_t &, const vec3_t &) { return false; }
animal_part_u *animal_model_inst_u::find_hit_zone(const vec3_t &, const vec3_t &) { return nullptr; }
void animal_model_inst_u::draw_shadow(const placement_t &) {}
bool animal_model_inst_u::set_ragdoll(bool) { return false; }
bool animal_model_inst_u::ragdoll_on() { return false; }
ragdoll_u *animal_model_inst_u::get_ragdoll() const { return unit_cast<ragdoll_u>(m_ragdoll.get()); }
int32_t animal_model_inst_u::pick_ragdoll_file(const array_dyn_t<mstring_dyn_t> &, uint32_t) { return -1; }
bool animal_model_inst_u::has_monster_trophy() const { return false; }
animal_model_desc_u *animal_model_inst_u::get_desc() const { return m_desc.get(); }
zba_inst_t *animal_model_inst_u::get_zba() const { return m_zba ? zba_inst_t::of(m_zba.get()) : nullptr; }
model_object_u *animal_model_inst_u::get_model() const {
    zba_inst_t *inst = get_zba();
    return inst ? inst->get_model() : nullptr;
}
animal_antler_u *animal_model_inst_u::get_antler(uint32_t index) const {
    return index < m_antlers.get_count() ? unit_cast<animal_antler_u>(m_antlers[index].get()) : nullptr;
}
void animal_model_inst_u::on_contact(physics_shape_t *, physics_shape_t *, const vec3_t &, const vec3_t &) {}

}  // namespace quarn
