#pragma once
// Model descriptions: short readable texts in the definition-file syntax from which
// the writer makes the four model files (docs/formats/model-description.md). A
// description gives the bones, the parts with their pieces built from primitives
// or vertex lists, the material slots and looks, the variants with per-part
// attributes, the collision sets and the animations of one model.
#include <string>

#include "outside/qrnshared/def_pool.h"
#include "zm_model.h"

namespace zmgen {

// Builds out from a description read into pool. name stands for the file in messages
// about objects made by code. False, with "[zmgen] file:line: what is wrong" errors,
// for a broken description; out is then unspecified.
bool zm_build_model(const quarn::def_pool_t &pool, const char *name, zm_model_t &out);
// Reads the description file at path (an operating-system path; includes are
// relative to it) and builds it.
bool zm_read_description(const char *path, zm_model_t &out);
// The same from text; name is its file name in messages.
bool zm_read_description_text(const std::string &text, const char *name, zm_model_t &out);

}  // namespace zmgen
