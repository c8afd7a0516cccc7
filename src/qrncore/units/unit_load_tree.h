#pragma once
// load_unit_tree: one unit file read by path into the default unit system, as a unit
// of a wanted class. The file's first unit is its root: the first unit it mentions
// that no owned pointer of the file takes. Further roots are units the file defines
// for the root to point to (a list of references, say): the load lets go of them, so
// they live on only while something holds them.
#include "qrncore/api.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

// The root of the file at path (virtual realm) when the file loads and its root is
// alive and of the wanted class or a class derived from it; null otherwise. Logs
// "[unit] load_unit_tree() - Failed to open file (%s)" for a file that does not
// open and "[unit] load_unit_tree() - Failed to load unit tree from file (%s)" for
// one that does not load or whose root is dead or of another class (after the
// reader's own messages). Without a default unit system nothing is read (the second
// message).
QRNCORE_API owner_ptr_ret_t<unit_base_t> load_unit_tree(const char *path, const unit_descriptor_t &wanted);

template <class T>
owner_ptr_ret_t<T> load_unit_tree(const char *path) {
    return unit_cast<T>(load_unit_tree(path, T::unit_descriptor));
}

}  // namespace quarn
