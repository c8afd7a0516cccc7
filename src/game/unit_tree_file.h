#pragma once
// Unit trees in files of the virtual tree (realm 1): read by the core's load_unit_tree
// into the default unit system, written through a temporary file, so a failed save
// keeps the old file.
#include "qrncore/units/unit_load_tree.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_save.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

// Writes the unit and the units it reaches by the traversal mode as unit text to
// "<path>.tmp", which then takes the place of path. False, with "save_unit_tree() -
// Failed to create file (%s)" or "save_unit_tree() - Failed to save units to file
// (%s)" logged, when the file cannot be made or written; the old file is then kept.
bool save_unit_tree(unit_base_t *unit, const char *path, unit_traversal_mode_t mode);

}  // namespace quarn
