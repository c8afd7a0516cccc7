// zippack: packs folders into a zip archive of stored entries, as the engine reads
// them. Paths inside the archive are relative to their folder, with "/", in byte
// order; several folders merge into one tree (the game's text sources and the files
// generated from them), and a path that two of them hold is an error.
//
//   zippack [--comment TEXT] [--deflate NAME]... [--dirs] [--dirs-no-attribute] OUT.zip FOLDER...
//
// --dirs adds a record for every sub-folder; --deflate compresses the named entries
// and --comment adds an archive comment (both make archives the engine refuses, for
// tests).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "zip_writer.h"

namespace fs = std::filesystem;

int main(int argc, char **argv) {
    std::string comment;
    std::set<std::string> deflate;
    bool dirs = false, dirs_attribute = true;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--comment" && i + 1 < argc) comment = argv[++i];
        else if (a == "--deflate" && i + 1 < argc) deflate.insert(argv[++i]);
        else if (a == "--dirs") dirs = true;
        else if (a == "--dirs-no-attribute") dirs = true, dirs_attribute = false;
        else positional.push_back(a);
    }
    if (positional.size() < 2) {
        fprintf(stderr, "usage: zippack [--comment TEXT] [--deflate NAME]... [--dirs] OUT.zip FOLDER...\n");
        return 2;
    }
    std::vector<std::pair<std::string, fs::path>> files;
    std::vector<std::string> folders;
    for (size_t r = 1; r < positional.size(); ++r) {
        const fs::path root = positional[r];
        std::error_code ec;
        if (!fs::is_directory(root, ec)) {
            fprintf(stderr, "zippack: '%s' is not a folder\n", root.c_str());
            return 1;
        }
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            std::string rel = fs::relative(it->path(), root).generic_string();
            if (it->is_directory()) folders.push_back(rel);
            else if (it->is_regular_file()) files.emplace_back(rel, it->path());
        }
        if (ec) {
            fprintf(stderr, "zippack: cannot list '%s': %s\n", root.c_str(), ec.message().c_str());
            return 1;
        }
    }
    std::sort(files.begin(), files.end());
    for (size_t i = 1; i < files.size(); ++i)
        if (files[i].first == files[i - 1].first) {
            fprintf(stderr, "zippack: '%s' is in '%s' and in '%s'\n", files[i].first.c_str(),
                    files[i - 1].second.c_str(), files[i].second.c_str());
            return 1;
        }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());

    zippack::zip_writer_t zip;
    if (dirs)
        for (const auto &d : folders) zip.add_directory(d, dirs_attribute);
    for (const auto &[name, path] : files) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        if (!in) {
            fprintf(stderr, "zippack: cannot read '%s'\n", path.c_str());
            return 1;
        }
        if (deflate.count(name)) zip.add_deflated_file(name, data.str());
        else zip.add_file(name, data.str());
    }
    zip.set_comment(comment);
    if (!zip.write(positional[0])) {
        fprintf(stderr, "zippack: cannot write '%s'\n", positional[0].c_str());
        return 1;
    }
    return 0;
}
