#pragma once
// Unit trees the map start-up reads from the virtual tree (weather presets, grass):
// one root and what it owns, read into the default unit system, whose class is
// checked.
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

// The one root of the file at path when it is of root_class or a class derived from
// it; null otherwise, with "[env] load_unit_tree() - Failed to open file (%s)" when
// the file is missing, or "[env] load_unit_tree() - Failed to load unit tree from
// file (%s)" when it does not load or its root is of another class (also for a null
// root_class: a class the game does not have yet). The reader logs its reason too.
owner_ptr_ret_t<unit_base_t> load_world_unit_tree(const char *path, const unit_descriptor_t *root_class);

template <class T>
owner_ptr_ret_t<T> load_world_unit_tree(const char *path) {
    return unit_cast<T>(load_world_unit_tree(path, &T::unit_descriptor));
}

}  // namespace quarn
