#include "game/process/round_file.h"

#include "game/unit_tree_file.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

using rounds_t = array_dyn_t<owner_ptr_t<unit_base_t>>;

// The attribute of the unit's class (or a parent) with that name and type, located in
// the unit; null when there is none.
void *attribute_of(unit_base_t *unit, const char *name, unit_attr_type_t type) {
    if (!unit) return nullptr;
    const unit_attribute_t *a = unit_system_t::get_attribute_descriptor(unit->get_descriptor(), name);
    return a && a->type == type ? a->address_in(unit) : nullptr;
}

rounds_t *rounds_of(unit_base_t *progression) {
    return static_cast<rounds_t *>(attribute_of(progression, "rounds", UNIT_ATTR_OWNER_ARRAY));
}

}  // namespace

owner_ptr_ret_t<unit_base_t> load_round_progression(const char *path) {
    unit_system_t *system = unit_system_t::get_default();
    const unit_descriptor_t *type = system ? system->get_bank().get_descriptor(ROUND_PROGRESSION_TYPE) : nullptr;
    if (!type) {
        error("[game] load_unit_tree() - Failed to load unit tree from file (%s): the type '%s' is not registered",
              path, ROUND_PROGRESSION_TYPE);
        return {};
    }
    return load_unit_tree(path, *type);
}

uint32_t round_progression_count(unit_base_t *progression) {
    const rounds_t *rounds = rounds_of(progression);
    return rounds ? rounds->get_count() : 0;
}

unit_base_t *round_progression_get(unit_base_t *progression, uint32_t number) {
    rounds_t *rounds = rounds_of(progression);
    if (!rounds || number == 0 || number > rounds->get_count()) return nullptr;
    return (*rounds)[number - 1].get();
}

owner_ptr_ret_t<unit_base_t> round_progression_take(unit_base_t *progression, uint32_t number) {
    if (!round_progression_get(progression, number)) return {};
    return (*rounds_of(progression))[number - 1].release();
}

const char *round_map_name(unit_base_t *round) {
    const auto *name = static_cast<const mstring_dyn_t *>(attribute_of(round, "map_name", UNIT_ATTR_STRING));
    return name ? name->c_str() : "";
}

}  // namespace quarn
