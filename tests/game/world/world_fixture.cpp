#include "world_fixture.h"

#include "game/visuals/models/model_anim.h"
#include "game/visuals/models/model_coll.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_geom.h"
#include "game/world/landscape_folder.h"
#include "kernel/gfx/gfx.h"
#include "outside/qrnshared/material.h"
#include "kernel/memory/m_server.h"
#include "qrncore/qrnutils/substance/substance_db.h"
#include "qrncore/units/unit_system.h"

namespace quarn::test {

namespace {

// The substance list of "/material/material.db" (data/base/material/).
const char *SUBSTANCES = R"(0: default
1: flesh
2: concrete
3: snow
4: meadow
5: grass
6: planks
7: leaves
8: wood
9: dirt
10: sand
11: moss
12: mud_dry
13: gravel
14: rock
15: metal
16: water
17: ice
)";

}  // namespace

void world_fixture_t::SetUp() {
    shader_fixture_t::SetUp();
    gfx_start();
    ASSERT_TRUE(write_file(base.file("material/material.db"), SUBSTANCES));
    ASSERT_TRUE(write_file(base.file("map/.keep"), ""));
    map_mount = ufs_mount(FS_DEVICE_DIRECTORY, base.file("map").c_str(), "/map", false, 0);
    material_mount = ufs_mount(FS_DEVICE_DIRECTORY, base.file("material").c_str(), "/material", false, 0);
    ASSERT_TRUE(map_mount && material_mount);
    set_substance_file("/material/material.db");
    substance_db_request();
}

void world_fixture_t::free_cached() {
    // What the test let go of still holds its resources until it is freed; then the
    // cached resources go (a geometry is held by its descriptor: two passes).
    unit_system_t::clean_garbage();
    for (int pass = 0; pass < 2; ++pass) {
        landscape_folder_free_unreferenced();
        for (const unit_descriptor_t *d :
             {&model_desc_u::unit_descriptor, &model_geom_u::unit_descriptor, &model_coll_u::unit_descriptor,
              &model_anim_u::unit_descriptor, &material_u::unit_descriptor}) {
            _mm_mem_free_unreferenced(-1, d);
            mm_remove_unreferenced(-1, d);
        }
    }
    unit_system_t::clean_garbage();
}

void world_fixture_t::TearDown() {
    free_cached();
    gfx_stop();
    substance_db_release();
    // Nothing reads the folders while the memory manager ends.
    ufs_unmount(map_mount);
    ufs_unmount(material_mount);
    shader_fixture_t::TearDown();
}

bool world_fixture_t::put_map(const std::string &text, const char *name) {
    return write_map(text, name, base.path());
}

void world_fixture_t::put_map_file(const std::string &path, const std::vector<uint8_t> &bytes) {
    ASSERT_TRUE(write_file(base.file("map/" + path), std::string(bytes.begin(), bytes.end())));
}

void world_fixture_t::put_texture_table(const std::string &text) {
    ASSERT_TRUE(write_file(base.file("material/map/texture.db"), text));
}

}  // namespace quarn::test
