// sectorgen: writes a map's navigation mesh "sector.ai" from its readable
// description (docs/formats/sector-ai.md).
//
//   sectorgen DESCRIPTION.txt OUT.ai
//
// The folder of OUT is made when missing. Errors name the description's file and
// line; nothing is written then.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sector_file.h"

namespace fs = std::filesystem;

int main(int argc, char **argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: sectorgen DESCRIPTION.txt OUT.ai\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "sectorgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::string bytes, error;
    if (!sectorgen::compile_description(text.str(), argv[1], &bytes, &error)) {
        fprintf(stderr, "sectorgen: %s\n", error.c_str());
        return 1;
    }
    const fs::path out_path(argv[2]);
    std::error_code ec;
    if (out_path.has_parent_path()) fs::create_directories(out_path.parent_path(), ec);
    std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(bytes.data(), std::streamsize(bytes.size())) || !out.flush()) {
        fprintf(stderr, "sectorgen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
