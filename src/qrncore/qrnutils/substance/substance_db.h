#pragma once
// The substance database: a process-wide table of 256 entries that maps the names of
// physical substances (what surfaces, shots and effects are made of) to the indices
// 0-255 and back, with one pointer of the caller's own on each index. It is filled
// from the substance file and counted: the first request loads it, the last release
// clears it.
//
// The file is text: tokens separated by runs of ':', '\r', '\n', '\t' and ' ', taken
// in pairs of an index (decimal, "0x" hexadecimal or "0" octal, a whole number in
// 0-255) and a name. "3: wood" and "3 wood" both give index 3 the name "wood"; a
// later pair with the same index replaces the name; an index without a name ends it.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

constexpr uint32_t SUBSTANCE_COUNT = 256;
constexpr uint32_t SUBSTANCE_NONE = 0xFFFFFFFFu;

// The path (in the mounted virtual tree) the next loading request reads.
QRNCORE_API void set_substance_file(const string &path);
// Counts a user; the first one clears the table and loads the file. A first request
// whose loading fails still counts: the table stays as far as it was filled, and
// later requests do not retry until the count has gone back to 0.
QRNCORE_API void substance_db_request();
// Uncounts a user; the last one clears the table. A release without a request is
// reported and changes nothing.
QRNCORE_API void substance_db_release();

// The lowest index whose name is exactly the given one (case counts); SUBSTANCE_NONE
// when there is none.
QRNCORE_API uint32_t substance_name2idx(const string &name);
// The name of an index, empty when it is unused or above 255. The text stays
// valid until the table changes.
QRNCORE_API string substance_idx2name(uint32_t index);
// The caller's pointer on an index; null above 255.
QRNCORE_API void *substance_get_data(uint32_t index);
// Sets the caller's pointer on an index; an index above 255 is ignored.
QRNCORE_API void substance_set_data(uint32_t index, void *data);
// Indices that have a name.
QRNCORE_API uint32_t get_used_substance_count();

// Fills the table from the text of a substance file as loading does, without
// clearing it first; source names the text in reports. Text after a NUL byte is not
// read. For tools and tests; the game loads through substance_db_request.
QRNCORE_API void substance_db_load_text(const char *text, size_t length, const string &source);

}  // namespace quarn
