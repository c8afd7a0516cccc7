#pragma once
// What the game benchmarks share: where the build's programs and archives are, and
// the herds of whitetails their missions place.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/user_dirs.h"

namespace quarn::bench {

// The runnable installation of this build: <build>/bin beside <build>/bench.
inline std::string bin_dir() {
    char dir[4096];
    if (!platform::program_dir(dir, sizeof dir)) return "bin";
    return (std::filesystem::path(dir).parent_path() / "bin").string();
}

// The clean copy of the process (hunt_frame_bench.cpp): main forks it before any
// benchmark runs, and a benchmark that needs the whole game has it fork a child that
// boots the game from a state no other benchmark touched. Stopped before main ends.
void start_clean_process();
void stop_clean_process();

// Runs a start-up step of the kernel once in the process. The benchmarks share one
// process, each setting up what it needs: a second start of the graphics front-end
// would free the buffers of models another benchmark still holds, and a second
// memory manager process would run beside the first.
inline void start_once(void (*step)()) {
    static std::vector<void (*)()> done;
    for (void (*d)() : done)
        if (d == step) return;
    done.push_back(step);
    step();
}

// The folders scratch_folder made; removed at exit. Never destroyed itself, so that
// the exit handler still finds it whatever static objects are gone by then.
inline std::vector<std::string> &scratch_folders() {
    static std::vector<std::string> *folders = [] {
        auto *list = new std::vector<std::string>;
        std::atexit([] {
            for (const std::string &f : scratch_folders()) {
                std::error_code ec;
                std::filesystem::remove_all(f, ec);
            }
        });
        return list;
    }();
    return *folders;
}

// A fresh folder in the system's temporary folder ("" when none can be made), removed
// with everything in it when the process exits, also when the benchmark that made it
// keeps its data for the whole run (never destroyed).
inline std::string scratch_folder(const char *prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "_XXXXXX")).string();
    if (!mkdtemp(pattern.data())) return "";
    scratch_folders().push_back(pattern);
    return pattern;
}

// A mission's "animals" block: up to four herds of five whitetails (a buck and the
// does that follow him) around valley's open ground, the first count animals of them
// (20: all four herds); each herd's animals take the extra keys of their herd (needs,
// "" for none).
inline std::string whitetail_herds(const char *const extra[4], int count = 20) {
    const float herds[4][2] = {{10, -20}, {-60, -60}, {90, 40}, {-20, 120}};
    std::string text = "def animals {\n";
    for (int h = 0; h < 4; ++h)
        for (int i = 0; i < 5 && h * 5 + i < count; ++i) {
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
