#pragma once
// A fresh folder for one test, removed with everything in it when the test ends.
#include <string>

namespace quarn::test {

class temp_dir_t {
public:
    temp_dir_t();
    ~temp_dir_t();
    temp_dir_t(const temp_dir_t &) = delete;
    temp_dir_t &operator=(const temp_dir_t &) = delete;

    const std::string &path() const { return m_path; }
    // path() + "/" + name
    std::string file(const std::string &name) const;

private:
    std::string m_path;
};

// Whole content of an operating-system file ("" when it cannot be read).
std::string read_file(const std::string &path);
// Writes (replaces) an operating-system file; creates missing parent folders.
bool write_file(const std::string &path, const std::string &content);

}  // namespace quarn::test
