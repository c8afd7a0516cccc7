// sndgen: writes the game's sounds as Ogg Vorbis files from sound lists.
//
//   sndgen LIST... OUT_FOLDER
//
// Each sound goes to OUT_FOLDER + its virtual path; a path that two lists give is an
// error. docs/formats/sound-list.md.
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "sound_list.h"

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: sndgen LIST... OUT_FOLDER\n");
        return 2;
    }
    std::vector<sndgen::sound_t> sounds;
    std::set<std::string> paths;
    std::string error;
    for (int i = 1; i + 1 < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        if (!file) {
            fprintf(stderr, "sndgen: cannot read '%s'\n", argv[i]);
            return 1;
        }
        std::ostringstream text;
        text << file.rdbuf();
        std::vector<sndgen::sound_t> listed;
        if (!sndgen::parse_list(text.str(), argv[i], listed, error)) {
            fprintf(stderr, "sndgen: %s\n", error.c_str());
            return 1;
        }
        for (sndgen::sound_t &s : listed) {
            if (!paths.insert(s.path).second) {
                fprintf(stderr, "sndgen: %s:%d: '%s' is listed in another list too\n", argv[i], s.line, s.path.c_str());
                return 1;
            }
            sounds.push_back(std::move(s));
        }
    }
    if (!sndgen::write_sounds(sounds, argv[argc - 1], error)) {
        fprintf(stderr, "sndgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
