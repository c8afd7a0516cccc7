// fontgen: writes the glyph atlas of a UI font (docs/formats/font.md), or a label
// strip (docs/formats/label-strip.md).
//
//   fontgen FACE FONT-FILE OUTPUT-FOLDER
//   fontgen --strip FACE STRIP-FILE OUTPUT-FOLDER
//
// draws the characters FONT-FILE's atlas lists, or the labels of STRIP-FILE, from the
// scalable face FACE (a TrueType file) and writes the image as a TGA file to
// OUTPUT-FOLDER + the virtual path the file names. Errors go to standard error.
#include <cstdio>
#include <cstring>
#include <string>

#include "font_atlas.h"
#include "label_strip.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

int main(int argc, char **argv) {
    const bool strip = argc == 5 && strcmp(argv[1], "--strip") == 0;
    if (argc != 4 && !strip) {
        fprintf(stderr, "usage: fontgen FACE FONT-FILE OUTPUT-FOLDER\n"
                        "       fontgen --strip FACE STRIP-FILE OUTPUT-FOLDER\n");
        return 2;
    }
    char **args = argv + (strip ? 2 : 1);
    quarn::message_stdio_t console;
    quarn::fs_startup();
    std::string error;
    const bool ok = strip ? fontgen::write_strip(args[0], args[1], args[2], error)
                          : fontgen::write_atlas(args[0], args[1], args[2], error);
    quarn::fs_shutdown();
    if (!ok) fprintf(stderr, "fontgen: %s\n", error.c_str());
    return ok ? 0 : 1;
}
