#pragma once
// Files of the operating system, by POSIX path. The virtual file system's native
// device and the log writers stand on this.
#include <cstddef>
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

enum file_open_flags_t : unsigned {
    FILE_READ = 0x1,
    FILE_WRITE = 0x2,
    FILE_CREATE = 0x4,    // create when absent
    FILE_TRUNCATE = 0x8,  // empty an existing file
    FILE_APPEND = 0x10,   // every write goes to the end
};

enum file_seek_t { SEEK_FROM_START = 0, SEEK_FROM_CURRENT = 1, SEEK_FROM_END = 2 };

// An open file of the operating system; closed by its destructor.
class QRN_PLATFORM_API native_file_t {
public:
    native_file_t() = default;
    ~native_file_t();
    native_file_t(const native_file_t &) = delete;
    native_file_t &operator=(const native_file_t &) = delete;
    native_file_t(native_file_t &&other) noexcept;
    native_file_t &operator=(native_file_t &&other) noexcept;

    // Opens a path with file_open_flags_t; false (and closed) on failure, errno kept.
    bool open(const char *path, unsigned flags);
    void close();
    bool is_open() const { return m_fd >= 0; }

    // Bytes read, 0 at the end, -1 on an error.
    int64_t read(void *buf, size_t len);
    // True when every byte was written.
    bool write(const void *buf, size_t len);
    // New position, or -1.
    int64_t seek(int64_t offset, file_seek_t origin);
    int64_t tell() const;
    int64_t size() const;
    bool flush();

private:
    int m_fd = -1;
};

}  // namespace quarn::platform
