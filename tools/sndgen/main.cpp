// sndgen: writes the game's sounds as Ogg Vorbis files from a sound list.
//
//   sndgen LIST OUT_FOLDER
//
// Each sound goes to OUT_FOLDER + its virtual path. docs/formats/sound-list.md.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "sound_list.h"

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: sndgen LIST OUT_FOLDER\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    if (!file) {
        fprintf(stderr, "sndgen: cannot read '%s'\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<sndgen::sound_t> sounds;
    std::string error;
    if (!sndgen::parse_list(text.str(), argv[1], sounds, error) || !sndgen::write_sounds(sounds, argv[2], error)) {
        fprintf(stderr, "sndgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
