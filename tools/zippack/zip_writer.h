#pragma once
// Writes zip archives the way the engine reads them: stored entries, no archive
// comment, fixed timestamps so the same input gives the same bytes. Options make the
// malformed or unsupported forms the tests need (a comment, deflated entries,
// directory records with or without the directory attribute).
#include <cstdint>
#include <string>
#include <vector>

namespace zippack {

class zip_writer_t {
public:
    // A stored file entry.
    void add_file(const std::string &name, const std::string &data);
    // A file entry compressed with deflate (method 8), which the engine refuses.
    void add_deflated_file(const std::string &name, const std::string &data);
    // A directory record "name/" with the directory attribute (0x10), or without it;
    // without_slash keeps the name as given (a record known only by its attribute).
    void add_directory(const std::string &name, bool with_attribute = true, bool without_slash = false);
    // An archive comment, which the engine refuses.
    void set_comment(const std::string &comment) { m_comment = comment; }

    // The whole archive.
    std::string bytes() const;
    // Writes the archive to a file; false on failure.
    bool write(const std::string &path) const;

    size_t count() const { return m_entries.size(); }

private:
    struct entry_t {
        std::string name;
        std::string data;  // as stored (compressed for deflated entries)
        uint32_t crc = 0;
        uint32_t size = 0;  // uncompressed
        uint16_t method = 0;
        uint32_t attributes = 0;
    };
    std::vector<entry_t> m_entries;
    std::string m_comment;
};

}  // namespace zippack
