#pragma once
// quarn::file_t: the one file interface. A thin non-virtual layer keeps a 64-bit
// position and an error state over virtual block operations that concrete files
// (devices, memory files, proxies) supply. Files are made by devices and by the
// memory-file functions with new and handed over in an auto_ptr_t; the virtual
// destructor releases what the concrete file holds.
//
// The error state is the whole report: the file layer logs nothing itself. A failed
// read or write leaves the position where it was, so a caller may retry or fall back.
#include <cstdarg>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/auto_ptr.h"
#include "qrncore/system/host_object.h"

namespace quarn {

enum fs_error_t : int32_t {
    FS_ERR_NONE = 0,
    FS_ERR_NOT_SUPPORTED = 1,  // the file class does not offer the operation
    FS_ERR_IO = 2,             // the input/output operation failed
    FS_ERR_BAD_WHENCE = 3,     // bad seek origin
};

enum fs_whence_t : int32_t {
    FS_SEEK_SET = 0,  // from the start
    FS_SEEK_CUR = 1,  // from the current position
    FS_SEEK_END = 2,  // from the end
};

// Which path space a file or path belongs to.
enum fs_realm_t : int32_t {
    FS_REALM_NONE = 0,
    FS_REALM_VIRTUAL = 1,  // the mounted virtual tree: paths begin with "/"
    FS_REALM_SYSTEM = 2,   // the operating system's own paths
};

enum fs_type_t : uint32_t { FS_TYPE_OTHER = 0, FS_TYPE_FILE = 1, FS_TYPE_DIRECTORY = 2 };

struct fs_stat_t {
    uint32_t type = FS_TYPE_OTHER;  // fs_type_t
    uint64_t time = 0;              // last write, 100-nanosecond intervals since 1 January 1601
    uint64_t size = 0;              // bytes
};

class file_t;

// A block transfer requested from a file. It is carried out at once, when the request
// is made; the object then reports how it went.
class QRNCORE_API file_request_t : public host_object_t {
public:
    // Reads into buf (write false) or writes from buf (write true) at offset.
    file_request_t(file_t &file, void *buf, uint32_t len, uint64_t offset, bool write);
    virtual ~file_request_t();
    file_request_t(const file_request_t &) = delete;
    file_request_t &operator=(const file_request_t &) = delete;

    // The bytes moved: the length, or -1 when the transfer failed.
    virtual int64_t get_bytes_moved() const { return m_moved; }
    // True once the transfer is over (always, as it happens at once).
    virtual bool is_complete() const { return !m_pending; }
    // Waiting and cancelling have nothing to do.
    virtual void wait() {}
    virtual void cancel() {}

private:
    file_t &m_file;
    uint64_t m_offset;
    void *m_buffer;
    uint32_t m_length;
    bool m_pending = true;
    int64_t m_moved = -1;
};

class QRNCORE_API file_t : public host_object_t {
public:
    // name: the path under which the file was opened, or a tag such as "<mem-file>".
    explicit file_t(const string &name);
    virtual ~file_t();
    file_t(const file_t &) = delete;
    file_t &operator=(const file_t &) = delete;

    // A transfer at offset as a request object, or null when the file offers none
    // (error FS_ERR_NOT_SUPPORTED in the base).
    virtual auto_ptr_t<file_request_t> block_read_request(void *buf, uint32_t len, uint64_t offset);
    virtual auto_ptr_t<file_request_t> block_write_request(const void *buf, uint32_t len, uint64_t offset);
    // The operating-system path behind the file; files without one leave out as it is.
    virtual void get_system_location(mstring_t &out);

    // len bytes at the position; on success the position advances by len and the
    // error is cleared; on failure the position stays and the error is FS_ERR_IO.
    bool read(void *buf, uint32_t len);
    bool write(const void *buf, uint32_t len);
    // The same at an explicit offset; the position is not touched.
    bool block_read(void *buf, uint32_t len, uint64_t offset);
    bool block_write(const void *buf, uint32_t len, uint64_t offset);

    // Moves the position: FS_SEEK_SET to offset, FS_SEEK_CUR by offset, FS_SEEK_END to
    // size() + offset. The position may lie beyond the end. Another origin fails with
    // FS_ERR_BAD_WHENCE; a position before the start, or an end that cannot be had
    // (the stat fails), fails with FS_ERR_IO; the position then stays.
    bool seek(int32_t offset, fs_whence_t whence);
    // The current position; it may lie beyond the end.
    uint64_t tell() const { return m_position; }

    // The stat of the file; false (error FS_ERR_IO) when the file cannot tell.
    bool stat(fs_stat_t *out);
    // The size in bytes / the last-write time; 0 with error FS_ERR_IO when the stat
    // fails.
    uint64_t size();
    uint64_t time();
    // The position is at the size.
    bool eof() { return m_position == size(); }
    void flush() { io_flush(); }

    // Formats the text and writes its bytes (no terminator) at the position. False
    // (error FS_ERR_IO) when the text cannot be formatted or written.
    bool printf(const char *fmt, ...) V_PRINTF(2, 3);
    bool vprintf(const char *fmt, va_list args) V_PRINTF(2, 0);

    fs_error_t get_error() const { return m_error; }
    fs_realm_t get_fs_realm() const { return m_realm; }
    void set_fs_realm(fs_realm_t realm) { m_realm = realm; }
    const char *get_name() const { return m_name.c_str(); }

protected:
    // The block operations of the concrete file. The base has none: reads, writes
    // and stats fail; flush does nothing.
    virtual bool io_read(void *buf, uint32_t len, uint64_t offset);
    virtual bool io_write(const void *buf, uint32_t len, uint64_t offset);
    virtual void io_flush() {}
    virtual bool io_stat(fs_stat_t *out);

    void set_error(fs_error_t error) { m_error = error; }

    mstring_dyn_t m_name;
    uint64_t m_position = 0;
    fs_error_t m_error = FS_ERR_NONE;
    fs_realm_t m_realm = FS_REALM_NONE;
};

// A file that owns another and forwards to it: reads, writes and stats go to the
// inner file's block_read, block_write and stat, and the inner file's error is
// copied into the proxy's. It takes the inner file's name and realm.
class QRNCORE_API file_proxy_t : public file_t {
public:
    // Takes the file out of inner, which is left empty. inner must hold a file.
    explicit file_proxy_t(auto_ptr_t<file_t> &inner);
    ~file_proxy_t() override;

    void get_system_location(mstring_t &out) override;
    file_t *get_inner() const { return m_inner.get(); }

protected:
    bool io_read(void *buf, uint32_t len, uint64_t offset) override;
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override;
    bool io_stat(fs_stat_t *out) override;

    auto_ptr_t<file_t> m_inner;
};

// Messages about a file: "[location] text" at error, message or warning level, where
// location is the file's operating-system path, its name when it has none, and
// "NULL" for no file.
QRNCORE_API void file_error(file_t *file, const char *fmt, ...) V_PRINTF(2, 3);
QRNCORE_API void file_message(file_t *file, const char *fmt, ...) V_PRINTF(2, 3);
QRNCORE_API void file_warning(file_t *file, const char *fmt, ...) V_PRINTF(2, 3);

}  // namespace quarn
