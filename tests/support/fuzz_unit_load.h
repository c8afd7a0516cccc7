#pragma once
// The common frame of the fuzz targets that read arbitrary bytes as a unit file into
// a set of unit classes: the input is loaded from a memory file at `path`, each root
// is handed to `visit`, and afterwards every unit made for the input must be gone
// (a load or a visit that leaves units alive aborts, which the fuzzer reports).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "qrncore/units/unit_load.h"
#include "support/memory_file.h"

namespace quarn::test {

template <class Visit>
void fuzz_unit_load(unit_system_t &system, const uint8_t *data, size_t size, const char *path, bool virtual_realm,
                    Visit &&visit) {
    const uint32_t before = unit_base_t::get_live_count();
    {
        memory_file_t file(std::string(reinterpret_cast<const char *>(data), size), path);
        if (virtual_realm) file.set_fs_realm(FS_REALM_VIRTUAL);
        unit_load_t loader(file, system);
        if (loader.load())
            for (uint32_t i = 0; i < loader.get_root_count(); ++i) visit(loader.get_root(i));
    }
    unit_system_t::clean_garbage();
    if (unit_base_t::get_live_count() != before) abort();
}

}  // namespace quarn::test
