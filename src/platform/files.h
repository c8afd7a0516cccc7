#pragma once
// Files of the operating system, by POSIX path. The virtual file system's native
// device and the log writers stand on this. Times are given as the engine keeps them:
// 100-nanosecond intervals since 1 January 1601 (UTC).
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
    FILE_DISK_ONLY = 0x20,  // refuse anything but a regular file (never blocks on a pipe)
};

// What a path names. Pipes, sockets and devices are "other".
enum file_kind_t : uint32_t { FILE_KIND_OTHER = 0, FILE_KIND_REGULAR = 1, FILE_KIND_DIRECTORY = 2 };

struct file_info_t {
    file_kind_t kind = FILE_KIND_OTHER;
    uint64_t time = 0;  // last write, 100 ns units since 1601; 0 for times before it
    uint64_t size = 0;  // bytes
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

    // Exactly len bytes at offset, without moving the position; false when fewer
    // could be moved (the end of the file reached, or an error).
    bool read_at(void *buf, size_t len, uint64_t offset);
    bool write_at(const void *buf, size_t len, uint64_t offset);
    // Kind, time and size of the open file; false on an error.
    bool stat(file_info_t *out) const;

private:
    int m_fd = -1;
};

// Kind, time and size of what path names (links followed); false when nothing is
// there or it cannot be examined.
QRN_PLATFORM_API bool file_stat(const char *path, file_info_t *out);
// Deletes a file (not a directory); false on failure.
QRN_PLATFORM_API bool file_remove(const char *path);
// Puts the file at from in place of the file at to, both in one folder, in one step
// that lasts: the new file's bytes reach the disk before its name moves, and the
// folder's change after, so that after a crash the path holds either the whole old
// file or the whole new one. False when the move fails; both files are then as they
// were (the old one is never written over in place).
QRN_PLATFORM_API bool file_replace(const char *from, const char *to);
// The step that moves the name (rename(2) by default; it answers 0 when done). Tests
// put in one that fails or looks at the files first; null restores the default.
using file_rename_fn_t = int (*)(const char *from, const char *to);
QRN_PLATFORM_API void file_set_rename(file_rename_fn_t rename_fn);
// Makes one directory; true also when a directory is already there.
QRN_PLATFORM_API bool dir_create(const char *path);
// Removes an empty directory; false on failure.
QRN_PLATFORM_API bool dir_remove(const char *path);

// Receives the entries of a directory listing.
class QRN_PLATFORM_API dir_visitor_t {
public:
    virtual ~dir_visitor_t() = default;
    virtual void on_entry(const char *name, const file_info_t &info) = 0;
};

// Lists a directory ("" is the working directory): every entry but "." and "..",
// sorted by name case-insensitively (ASCII), equal names then byte by byte, so the
// order never depends on the file system. An entry that cannot be examined comes as
// kind "other". False when the directory cannot be read.
QRN_PLATFORM_API bool dir_list(const char *path, dir_visitor_t &visitor);

// Seconds and nanoseconds since 1970 as 100 ns units since 1601; 0 before 1601.
QRN_PLATFORM_API uint64_t file_time_from_unix(int64_t seconds, uint32_t nanoseconds);

}  // namespace quarn::platform
