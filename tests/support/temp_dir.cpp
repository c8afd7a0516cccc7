#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace quarn::test {

temp_dir_t::temp_dir_t() {
    namespace fs = std::filesystem;
    const char *base = getenv("FERNWOLD_TEST_TMP");
    fs::path root = base && *base ? fs::path(base) : fs::temp_directory_path();
    fs::create_directories(root);
    std::string pattern = (root / "t-XXXXXX").string();
    char *made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr) << "cannot make a temporary folder under " << root;
    m_path = made ? made : pattern;
}

temp_dir_t::~temp_dir_t() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string temp_dir_t::file(const std::string &name) const { return m_path + "/" + name; }

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool write_file(const std::string &path, const std::string &content) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), std::streamsize(content.size()));
    return bool(out);
}

}  // namespace quarn::test
