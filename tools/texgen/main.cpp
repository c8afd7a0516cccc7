// texgen: writes textures from their descriptions (docs/formats/texture-description.md).
//
//   texgen DESCRIPTION OUTPUT
//       one texture: OUTPUT ends in ".tga" (the game's textures) or ".png" (to look at);
//   texgen --tree SOURCE-FOLDER OUTPUT-FOLDER [JOBS]
//       every SOURCE-FOLDER/<path>.tex as OUTPUT-FOLDER/<path>.tga, JOBS at a time
//       (2 by default): one process for all, so the content build pays for the
//       program's start once.
//
// Errors go to standard error as "texgen: file:line: what is wrong"; a description
// with a fault writes nothing, and the exit status is 1 when any had one.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qrncore/system/messages.h"
#include "tex_render.h"

namespace {

namespace fs = std::filesystem;

bool make_tree(const std::string &source, const std::string &output, unsigned jobs) {
    std::error_code ec;
    std::vector<fs::path> descriptions;
    for (fs::recursive_directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ".tex") descriptions.push_back(it->path());
    if (ec) {
        fprintf(stderr, "texgen: cannot read the folder '%s': %s\n", source.c_str(), ec.message().c_str());
        return false;
    }
    // Sorted, so that the messages come in the same order every time.
    std::sort(descriptions.begin(), descriptions.end());
    std::atomic<size_t> next{0};
    std::atomic<bool> ok{true};
    std::mutex report;
    auto work = [&] {
        for (size_t i; (i = next++) < descriptions.size();) {
            const fs::path &d = descriptions[i];
            fs::path image = fs::path(output) / fs::relative(d, source);
            image.replace_extension(".tga");
            std::string error;
            if (!texgen::tex_make(d.string(), image.string(), error)) {
                std::lock_guard<std::mutex> lock(report);
                fprintf(stderr, "texgen: %s\n", error.c_str());
                ok = false;
            }
        }
    };
    std::vector<std::thread> threads;
    for (unsigned j = 1; j < jobs; ++j) threads.emplace_back(work);
    work();
    for (std::thread &t : threads) t.join();
    return ok;
}

}  // namespace

int main(int argc, char **argv) {
    quarn::message_stdio_t console;
    if (argc >= 4 && argc <= 5 && std::string(argv[1]) == "--tree") {
        const int jobs = argc == 5 ? atoi(argv[4]) : 2;
        if (jobs < 1 || jobs > 64) {
            fprintf(stderr, "texgen: '%s' is no number of jobs (1 to 64)\n", argv[4]);
            return 2;
        }
        return make_tree(argv[2], argv[3], unsigned(jobs)) ? 0 : 1;
    }
    if (argc != 3) {
        fprintf(stderr,
                "usage: texgen DESCRIPTION OUTPUT.tga|OUTPUT.png\n"
                "       texgen --tree SOURCE-FOLDER OUTPUT-FOLDER [JOBS]\n");
        return 2;
    }
    std::string error;
    if (!texgen::tex_make(argv[1], argv[2], error)) {
        fprintf(stderr, "texgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
