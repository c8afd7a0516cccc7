#pragma once
// quarn::file_t: the one file interface. A thin non-virtual layer keeps a 64-bit
// position and an error state over virtual block operations that concrete files
// (devices, memory files, proxies) supply. This is the part that texts and other
// early readers need; the devices complete the class.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

enum fs_error_t : int32_t {
    FS_ERR_NONE = 0,
    FS_ERR_NOT_SUPPORTED = 1,  // the file class does not offer the operation
    FS_ERR_IO = 2,             // the input/output operation failed
    FS_ERR_BAD_WHENCE = 3,     // bad seek origin
};

struct fs_stat_t {
    uint32_t type = 0;  // 0 other, 1 file, 2 directory
    uint64_t time = 0;  // last write, 100-nanosecond intervals since 1 January 1601
    uint64_t size = 0;  // bytes
};

class QRNCORE_API file_t {
public:
    // name: the path under which the file was opened, or a tag such as "<mem-file>".
    explicit file_t(const string &name);
    virtual ~file_t();
    file_t(const file_t &) = delete;
    file_t &operator=(const file_t &) = delete;

    // len bytes at the position; on success the position advances by len and the
    // error is cleared; on failure the position stays and the error is FS_ERR_IO.
    bool read(void *buf, uint32_t len);
    bool write(const void *buf, uint32_t len);
    // The same at an explicit offset; the position is not touched.
    bool block_read(void *buf, uint32_t len, uint64_t offset);
    bool block_write(const void *buf, uint32_t len, uint64_t offset);

    // The stat of the file; false (error FS_ERR_IO) when the file cannot tell.
    bool stat(fs_stat_t *out);
    // The size in bytes; 0 with error FS_ERR_IO when the stat fails.
    uint64_t size();
    // The current position; it may lie beyond the end.
    uint64_t tell() const { return m_position; }
    fs_error_t get_error() const { return m_error; }
    const char *get_name() const { return m_name.c_str(); }

protected:
    // The block operations of the concrete file. The base has none: reads, writes
    // and stats fail.
    virtual bool io_read(void *buf, uint32_t len, uint64_t offset);
    virtual bool io_write(const void *buf, uint32_t len, uint64_t offset);
    virtual bool io_stat(fs_stat_t *out);

    mstring_dyn_t m_name;
    uint64_t m_position = 0;
    fs_error_t m_error = FS_ERR_NONE;
};

}  // namespace quarn
