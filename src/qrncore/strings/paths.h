#pragma once
// Path functions for "/"-separated virtual paths and back-slashed system paths. Both
// the slash and the backslash separate; the last separator is the last byte that is
// either. The extension runs from the last '.' after the last separator, dot included.
#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

// Splits path into the directory (text before the last separator; "" when there is
// none or it is the first byte) and the name (text after it; the whole path when
// there is none). Any output may be null. False when an output cut its part.
QRNCORE_API bool v_fnsplit(const string &path, mstring_t *dir, mstring_t *name);
// As above, with the name split into name and extension. Without a separator a name
// whose only dot is its first byte keeps it: ".dep" gives name ".dep", ext ".dep".
QRNCORE_API bool v_fnsplit(const string &path, mstring_t *dir, mstring_t *name, mstring_t *ext);

// dir + name, with a "/" between unless dir ends in a separator. An empty dir gives
// "/name": v_fnsplit reports the folder of "/name" as "", so the two round-trip.
QRNCORE_API bool v_fncompose(mstring_t &out, const string &dir, const string &name);
// As above, then the extension when it is not empty, with a '.' unless it has one.
QRNCORE_API bool v_fncompose(mstring_t &out, const string &dir, const string &name, const string &ext);

// Removes one trailing separator; true when there was one.
QRNCORE_API bool v_remove_slash(mstring_t &text);
// The extension of path, dot included, or "" when it has none.
QRNCORE_API bool v_get_extension(const string &path, mstring_t &out);
// True when name ends with ext, byte for byte (case counts).
QRNCORE_API bool v_check_extension(const string &name, const string &ext);
// Replaces the extension of path with ext (which carries its own dot), or appends
// ext when there is none.
QRNCORE_API bool v_change_extension(mstring_t &path, const string &ext);
// Replaces everything after the last separator with name (the whole path when there
// is no separator).
QRNCORE_API bool v_change_filename(mstring_t &path, const string &name);
// name when it begins with a separator; otherwise base up to and including its last
// separator followed by name (just name when base has none).
QRNCORE_API bool v_absolutize_filename(mstring_t &out, const string &name, const string &base);

// Copies src into out with backslashes turned into '/'. out does not grow: a source
// that does not fit its capacity is a programming error and aborts.
QRNCORE_API void v_dos2unix(mstring_t &out, const string &src);
// Converts in place: backslash to '/', or '/' to backslash.
QRNCORE_API void v_dos2unix_path(mstring_t &text);
QRNCORE_API void v_unix2dos_path(mstring_t &text);
// C-string forms; the copying one copies the terminator too.
QRNCORE_API void v_dos2unix(char *out, const char *src);
QRNCORE_API void v_dos2unix_path(char *text);
QRNCORE_API void v_unix2dos_path(char *text);

}  // namespace quarn
