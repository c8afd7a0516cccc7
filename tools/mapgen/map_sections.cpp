#include "map_sections.h"

#include <cstring>

#include "map_objects.h"
#include "map_environment.h"
#include "map_grass.h"

namespace mapgen {

const std::vector<map_section_t> &map_sections() {
    // One row per section, with the functions in a source file of their own beside
    // this one.
    static const std::vector<map_section_t> sections = {
        {"starts", &map_check_starts, &map_write_starts},
        {"trails", &map_check_trails, &map_write_trails},
        {"objects", &map_check_objects, &map_write_objects},
        {"environment", &map_check_environment, &map_write_environment},
        {"grass", &map_check_grass, &map_write_grass},
    };
    return sections;
}

const map_section_t *map_find_section(const char *block) {
    for (const map_section_t &s : map_sections())
        if (strcmp(s.block, block) == 0) return &s;
    return nullptr;
}

}  // namespace mapgen
