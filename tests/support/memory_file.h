#pragma once
// A file over a byte string in memory, for tests of readers and writers, named
// "<mem-file>" unless given a name. Reads past the end fail as a real file's do;
// writes extend the bytes. Each operation can be
// made to fail, and writes can be limited to a number of bytes.
#include <cstring>
#include <string>

#include "qrncore/qrnutils/ufs/file.h"

namespace quarn::test {

class memory_file_t : public file_t {
public:
    explicit memory_file_t(std::string content = {}, const char *name = "<mem-file>")
        : file_t(name), bytes(std::move(content)) {}

    std::string bytes;
    bool fail_stat = false;
    size_t write_limit = std::string::npos;  // a write that would pass it fails

protected:
    bool io_read(void *buf, uint32_t len, uint64_t offset) override {
        if (offset > bytes.size() || len > bytes.size() - offset) return false;
        memcpy(buf, bytes.data() + offset, len);
        return true;
    }
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override {
        if (write_limit != std::string::npos && offset + len > write_limit) return false;
        if (bytes.size() < offset + len) bytes.resize(offset + len);
        memcpy(bytes.data() + offset, buf, len);
        return true;
    }
    bool io_stat(fs_stat_t *out) override {
        if (fail_stat) return false;
        out->type = FS_TYPE_FILE;
        out->size = bytes.size();
        return true;
    }
};

}  // namespace quarn::test
