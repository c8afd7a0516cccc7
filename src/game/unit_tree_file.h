#pragma once
// Unit trees in files of the virtual tree (realm 1): one root and what it owns, read
// into the default unit system and written through a temporary file, so a failed save
// keeps the old file.
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_save.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

// The one root of the file, of the class root_class or one derived from it; null,
// with "load_unit_tree() - Failed to open file (%s)" or "load_unit_tree() - Failed to
// load unit tree from file (%s)" logged, otherwise (the reader logs its reason too).
owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path, const unit_descriptor_t &root_class);
// The same for a class that may be missing (null: a class the game does not have
// yet, which no root can be: an existing file fails with the second message).
owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path, const unit_descriptor_t *root_class);

template <class T>
owner_ptr_ret_t<T> load_unit_tree(const char *path) {
    return unit_cast<T>(load_unit_tree(path, T::unit_descriptor));
}

// Writes the unit and the units it reaches by the traversal mode as unit text to
// "<path>.tmp", which then takes the place of path. False, with "save_unit_tree() -
// Failed to create file (%s)" or "save_unit_tree() - Failed to save units to file
// (%s)" logged, when the file cannot be made or written; the old file is then kept.
bool save_unit_tree(unit_base_t *unit, const char *path, unit_traversal_mode_t mode);

}  // namespace quarn
