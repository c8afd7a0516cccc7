#include "map_sections.h"

#include <cstring>

#include "map_objects.h"
#include "map_environment.h"
#include "map_grass.h"

namespace mapgen {

namespace {

using quarn::def_obj_t;
using quarn::def_pool_t;
using zmgen::zm_def_reader_t;

// The row functions of a section that reads its own block only.
template <bool (*check)(const map_t &, const def_obj_t &, zm_def_reader_t &)>
bool own_check(const map_t &map, const def_pool_t &, const def_obj_t &block, zm_def_reader_t &r) {
    return check(map, block, r);
}
template <bool (*write)(const map_t &, const def_obj_t &, const std::string &, zm_def_reader_t &)>
bool own_write(const map_t &map, const def_pool_t &, const def_obj_t &block, const std::string &folder,
               zm_def_reader_t &r) {
    return write(map, block, folder, r);
}

}  // namespace

const std::vector<map_section_t> &map_sections() {
    // One row per section, with the functions in a source file of their own beside
    // this one.
    static const std::vector<map_section_t> sections = {
        {"starts", &own_check<&map_check_starts>, &own_write<&map_write_starts>},
        {"trails", &own_check<&map_check_trails>, &own_write<&map_write_trails>},
        {"objects", &map_check_objects, &map_write_objects},
        {"environment", &own_check<&map_check_environment>, &own_write<&map_write_environment>},
        {"grass", &own_check<&map_check_grass>, &own_write<&map_write_grass>},
    };
    return sections;
}

const map_section_t *map_find_section(const char *block) {
    for (const map_section_t &s : map_sections())
        if (strcmp(s.block, block) == 0) return &s;
    return nullptr;
}

const def_obj_t *map_find_block(const def_pool_t &description, const char *block) {
    for (const def_obj_t *o = description.get_first_object(); o; o = o->get_next())
        if (strcmp(o->get_name(), block) == 0) return o;
    return nullptr;
}

}  // namespace mapgen
