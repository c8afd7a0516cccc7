#include "support/test_paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quarn::test {

namespace {

// <build>/tests, where the test programs live.
std::string tests_dir() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

std::string from_environment(const char *name, std::string (*fallback)()) {
    const char *value = getenv(name);
    return value && *value ? std::string(value) : fallback();
}

// The source tree CMake configured the build from, as its cache records it.
std::string source_from_cache() {
    std::ifstream cache(tests_dir() + "/../CMakeCache.txt");
    const std::string key = "CMAKE_HOME_DIRECTORY:INTERNAL=";
    for (std::string line; std::getline(cache, line);)
        if (line.compare(0, key.size(), key) == 0) return line.substr(key.size());
    return ".";
}

}  // namespace

const std::string &test_bin_dir() {
    // Without "..", so that paths built on it compare with the ones programs report.
    static const std::string dir = from_environment("FERNWOLD_BIN_DIR", [] {
        return std::filesystem::path(tests_dir()).parent_path().append("bin").string();
    });
    return dir;
}

const std::string &test_source_dir() {
    static const std::string dir = from_environment("FERNWOLD_SOURCE_DIR", source_from_cache);
    return dir;
}

const std::string &test_plugins_dir() {
    static const std::string dir = from_environment("FERNWOLD_TEST_PLUGINS", [] { return tests_dir() + "/plugins"; });
    return dir;
}

}  // namespace quarn::test
