#pragma once
// Writes the records of a sector as a "sector.ai" file: little-endian fields, laid
// out as docs/formats/sector-ai.md gives them.
#include <string>

#include "sector_builder.h"

namespace sectorgen {

// The file's bytes.
std::string sector_bytes(const sector_t &sector);

// Description text to file bytes in one go (read, build, write); false with the
// error of the step that failed.
bool compile_description(const std::string &text, const std::string &source, std::string *bytes, std::string *error);

}  // namespace sectorgen
