// fontgen: writes the glyph atlas of a UI font (docs/formats/font.md).
//
//   fontgen FACE FONT-FILE OUTPUT-FOLDER
//
// draws the characters FONT-FILE's atlas lists from the scalable face FACE (a
// TrueType file) and writes the atlas as a TGA image to OUTPUT-FOLDER + the atlas's
// virtual path. Errors go to standard error.
#include <cstdio>
#include <string>

#include "font_atlas.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: fontgen FACE FONT-FILE OUTPUT-FOLDER\n");
        return 2;
    }
    quarn::message_stdio_t console;
    quarn::fs_startup();
    std::string error;
    const bool ok = fontgen::write_atlas(argv[1], argv[2], argv[3], error);
    quarn::fs_shutdown();
    if (!ok) fprintf(stderr, "fontgen: %s\n", error.c_str());
    return ok ? 0 : 1;
}
