#pragma once
// The texture table: which substance each terrain texture stands for
// (docs/formats/texture-db.md). The terrain stores no substances; each chunk piece asks
// this table for the substance of every texture layer of its material, and bullet
// impacts, footsteps and grass work with the indices.
//
// One process-wide table of entries in file order, counted: the first request (a
// landscape chunk being made) loads "/material/map/texture.db" against the substance
// list as it is then, the last release frees it.
#include <cstddef>
#include <cstdint>

#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

inline constexpr const char *TEXTURE_DB_PATH = "/material/map/texture.db";

struct texture_substance_t {
    mstring_dyn_t key;      // the texture's path without extension: directory "/" name
    uint32_t key_hash = 0;  // h = h × 31 + byte over the key's bytes (unsigned), from 0
    uint32_t substance = 0; // index in the substance list
};

// Use count + 1; the step from 0 to 1 creates and loads the table.
void texture_db_request();
// Use count − 1; the step from 1 to 0 deletes the table. A release without a request
// is reported and changes nothing.
void texture_db_release();
// The substance of a texture path: the first entry whose key is the path's directory,
// "/" and name (the extension dropped). A path the table lacks warns "cannot find
// substance for %s" and gives 0; so does any path while no table exists.
uint32_t substance_for_texture(const string &path);

// The key of a texture path and its hash, as the table builds them.
void texture_key(const string &path, mstring_dyn_t &key);
uint32_t texture_key_hash(const string &key);

// Inspection (tests, the fuzz target).
uint32_t texture_db_use_count();
bool texture_db_exists();
uint32_t texture_db_entry_count();
const texture_substance_t &texture_db_entry(uint32_t index);
// Appends the pairs of a text to the existing table, as loading does (a NUL byte ends
// the text); source names it in messages. Nothing without a table.
void texture_db_load_text(const char *text, size_t length, const char *source);

}  // namespace quarn
