#pragma once
// The shader fixture (kernel, memory manager, shader library, effects, "/t" mounted)
// with the graphics front-end (prototypes and packets of models) and a folder for
// maps: "<dir>/map" mounted at "/map" and "<dir>/material" at
// "/material", holding the game's substance list, which is requested for the test.
// Maps are written there with the map writer (map_fixtures.h).
#include <string>

#include "../shaders/shader_fixture.h"
#include "map_fixtures.h"

namespace quarn::test {

class world_fixture_t : public shader_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes "/map/<name>" and the textures and materials of the description.
    bool put_map(const std::string &text, const char *name);
    // Writes a file below the map folder ("/map/<path>").
    void put_map_file(const std::string &path, const std::vector<uint8_t> &bytes);
    // Writes "/material/map/texture.db".
    void put_texture_table(const std::string &text);
    // Frees the garbage units and the cached resources nobody holds (landscape
    // folders, model files, materials), as the module's drain does.
    void free_cached();

    temp_dir_t base;
    fs_device_t *map_mount = nullptr;
    fs_device_t *material_mount = nullptr;
};

}  // namespace quarn::test
