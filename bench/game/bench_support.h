#pragma once
// What the game benchmarks share: where the build's programs and archives are, and
// the herds of whitetails their missions place.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/user_dirs.h"

namespace quarn::bench {

// The runnable installation of this build: <build>/bin beside <build>/bench.
inline std::string bin_dir() {
    char dir[4096];
    if (!platform::program_dir(dir, sizeof dir)) return "bin";
    return (std::filesystem::path(dir).parent_path() / "bin").string();
}

// A mission's "animals" block: four herds of five whitetails (a buck and the does
// that follow him) around valley's open ground; each herd's animals take the extra
// keys of their herd (needs, "" for none).
inline std::string whitetail_herds(const char *const extra[4]) {
    const float herds[4][2] = {{10, -20}, {-60, -60}, {90, 40}, {-20, 120}};
    std::string text = "def animals {\n";
    for (int h = 0; h < 4; ++h)
        for (int i = 0; i < 5; ++i) {
            char line[512];
            snprintf(line, sizeof line,
                     "    def h%d_%d { species: \"whitetail\" type: \"%s\" %s position: \"%g 0 %g\" "
                     "orientation: \"%g 0 %g\" score: \"12\" weight: \"60\" %s }\n",
                     h, i, i == 0 ? "male" : "female", i == 0 ? "" : ("mate: \"h" + std::to_string(h) + "_0\"").c_str(),
                     double(herds[h][0] + 4.0f * float(i % 3)), double(herds[h][1] + 4.0f * float(i / 3)),
                     double(i & 1 ? 1 : 0), double(i & 1 ? 0 : -1), extra[h]);
            text += line;
        }
    return text + "}\n";
}

}  // namespace quarn::bench
