// mapgen: writes what a map description makes (docs/formats/map-description.md).
//
//   mapgen DESCRIPTION MAP-FOLDER
//       writes the map folder: "landscape.lnd", each chunk's model files and the
//       files of the description's other sections;
//   mapgen --materials DESCRIPTION BASE-FOLDER
//       writes the texture table BASE-FOLDER/material/map/texture.db and the material
//       files BASE-FOLDER/material/map/<name>.mat of the description's textures and
//       materials.
//
// Errors go to standard error as "[mapgen] file:line: what is wrong".
#include <cstdio>
#include <cstring>

#include "map_writer.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

int main(int argc, char **argv) {
    const bool materials = argc == 4 && strcmp(argv[1], "--materials") == 0;
    if (argc != 3 && !materials) {
        fprintf(stderr, "usage: mapgen DESCRIPTION MAP-FOLDER\n       mapgen --materials DESCRIPTION BASE-FOLDER\n");
        return 2;
    }
    const char *description = argv[materials ? 2 : 1];
    const char *folder = argv[materials ? 3 : 2];
    quarn::message_stdio_t console;
    quarn::fs_startup();
    mapgen::map_source_t source;
    bool ok = mapgen::map_read_description(description, source);
    if (ok) ok = materials ? mapgen::map_write_materials(source.map, folder) : mapgen::map_write_folder(source, folder);
    source.pool.clear();
    quarn::fs_shutdown();
    if (!ok) fprintf(stderr, "mapgen: '%s' gave no %s\n", description, materials ? "materials" : "map");
    return ok ? 0 : 1;
}
