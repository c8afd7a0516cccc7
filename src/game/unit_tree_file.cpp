#include "game/unit_tree_file.h"

#include "game/atomic_file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

bool save_unit_tree(unit_base_t *unit, const char *path, unit_traversal_mode_t mode) {
    const atomic_write_result_t result = write_file_atomically(path, [&](auto_ptr_t<file_t> &file) {
        if (!unit) return false;
        unit_save_t saver(*file, mode);
        saver.add(unit);
        return saver.save(UNIT_PAYLOAD_TEXT);
    });
    if (result == ATOMIC_WRITE_NOT_CREATED) error("[game] save_unit_tree() - Failed to create file (%s)", path);
    if (result == ATOMIC_WRITE_NOT_WRITTEN) error("[game] save_unit_tree() - Failed to save units to file (%s)", path);
    return result == ATOMIC_WRITE_DONE;
}

}  // namespace quarn
