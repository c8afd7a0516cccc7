// zmgen: writes the model files of a model description
// (docs/formats/model-description.md).
//
//   zmgen DESCRIPTION OUTPUT-FOLDER
//
// writes OUTPUT-FOLDER/<base>.zmd, <base>.zmg and (with a collision block) <base>.zmc,
// <base> being the description's file name without its extension, and one
// "<name>.zma" per animation. Errors go to standard error as "file:line: what".
#include <cstdio>
#include <filesystem>
#include <string>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"
#include "zm_description.h"
#include "zm_writer.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: zmgen DESCRIPTION OUTPUT-FOLDER\n");
        return 2;
    }
    quarn::message_stdio_t console;
    quarn::fs_startup();
    zmgen::zm_model_t model;
    bool ok = zmgen::zm_read_description(argv[1], model);
    if (ok) {
        const std::string base = std::filesystem::path(argv[1]).stem().string();
        ok = zmgen::zm_write_model(model, argv[2], base);
    }
    quarn::fs_shutdown();
    if (!ok) fprintf(stderr, "zmgen: '%s' gave no model files\n", argv[1]);
    return ok ? 0 : 1;
}
