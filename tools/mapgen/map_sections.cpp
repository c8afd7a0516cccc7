#include "map_sections.h"

#include <cstring>

#include "map_environment.h"

namespace mapgen {

const std::vector<map_section_t> &map_sections() {
    // One row per section, for example
    //     {"objects", &check_objects, &write_objects},
    // with the functions in a source file of their own beside this one.
    static const std::vector<map_section_t> sections = {
        {"environment", &map_check_environment, &map_write_environment},
    };
    return sections;
}

const map_section_t *map_find_section(const char *block) {
    for (const map_section_t &s : map_sections())
        if (strcmp(s.block, block) == 0) return &s;
    return nullptr;
}

}  // namespace mapgen
