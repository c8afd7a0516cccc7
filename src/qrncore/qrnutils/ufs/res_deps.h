#pragma once
// quarn::res_deps_t: what a converted resource was made from. Entry 0 is the primary
// source, the entries after it further dependencies; all are virtual paths.
//
// A record is kept beside the resource's path with ".dep" appended (the record of
// "/model/tree.zmd" is "/model/tree.zmd.dep"), in the mounts of priority -1 to 1 (the
// ".dep" directory). It is text, one path per line, written with "\r\n"; on reading,
// the first token of a line (leading blanks skipped, up to the next blank) is the
// path and the rest of the line is ignored.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/qrnutils/ufs/root_device.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class QRNCORE_API res_deps_t {
public:
    // The mounts that hold dependency records.
    static constexpr fs_window_t WINDOW{-1, 1};

    // Appends the primary source; logs an error first when the record is not empty
    // (the path is appended all the same). False when the array cannot grow.
    bool add_primary_source(const string &path);
    // Appends a further dependency; logs an error first when there is no primary
    // source yet. False when the array cannot grow.
    bool add(const string &path);
    // The path at index; a bad index aborts.
    const mstring_dyn_t &get(uint32_t index) const { return m_paths[index]; }
    uint32_t get_count() const { return m_paths.get_count(); }

    // Writes the record of the resource, replacing an older one. False, logged, when
    // the record cannot be created or written.
    bool write(const string &resource_path) const;
    // Appends the paths of the resource's record. False without a message when there
    // is no record; false, logged, when it cannot be read or a line holds no path.
    bool read(const string &resource_path);
    // Removes the resource's record; false when there was none to remove.
    static bool remove_file(const string &resource_path);

private:
    array_dyn_t<mstring_dyn_t> m_paths;
};

}  // namespace quarn
