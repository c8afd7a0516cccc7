#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace quarn::platform {

namespace {

file_info_t info_of(const struct stat &st) {
    file_info_t info;
    info.kind = S_ISREG(st.st_mode) ? FILE_KIND_REGULAR : S_ISDIR(st.st_mode) ? FILE_KIND_DIRECTORY : FILE_KIND_OTHER;
    info.time = file_time_from_unix(int64_t(st.st_mtim.tv_sec), uint32_t(st.st_mtim.tv_nsec));
    info.size = st.st_size > 0 ? uint64_t(st.st_size) : 0;
    return info;
}

// ASCII case folding, the same in every locale.
int fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

bool name_before(const std::string &a, const std::string &b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int fa = fold(static_cast<unsigned char>(a[i])), fb = fold(static_cast<unsigned char>(b[i]));
        if (fa != fb) return fa < fb;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

}  // namespace

native_file_t::~native_file_t() { close(); }

native_file_t::native_file_t(native_file_t &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

native_file_t &native_file_t::operator=(native_file_t &&other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool native_file_t::open(const char *path, unsigned flags) {
    close();
    int oflags = O_CLOEXEC;
    if ((flags & FILE_READ) && (flags & FILE_WRITE)) oflags |= O_RDWR;
    else if (flags & FILE_WRITE) oflags |= O_WRONLY;
    else oflags |= O_RDONLY;
    if (flags & FILE_CREATE) oflags |= O_CREAT;
    if (flags & FILE_TRUNCATE) oflags |= O_TRUNC;
    if (flags & FILE_APPEND) oflags |= O_APPEND;
    // Opening a pipe would wait for its other end: look first, without blocking.
    if (flags & FILE_DISK_ONLY) oflags |= O_NONBLOCK;
    do {
        m_fd = ::open(path, oflags, 0644);
    } while (m_fd < 0 && errno == EINTR);
    if (m_fd < 0) return false;
    struct stat st {};
    if (fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close();
        errno = EISDIR;
        return false;
    }
    if (flags & FILE_DISK_ONLY) {
        if (!S_ISREG(st.st_mode)) {
            close();
            errno = EINVAL;
            return false;
        }
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    }
    return true;
}

void native_file_t::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

int64_t native_file_t::read(void *buf, size_t len) {
    size_t done = 0;
    while (done < len) {
        ssize_t r = ::read(m_fd, static_cast<char *>(buf) + done, len - done);
        if (r < 0) {
            if (errno == EINTR) continue;
            return done ? int64_t(done) : -1;
        }
        if (r == 0) break;
        done += size_t(r);
    }
    return int64_t(done);
}

bool native_file_t::write(const void *buf, size_t len) {
    size_t done = 0;
    while (done < len) {
        ssize_t w = ::write(m_fd, static_cast<const char *>(buf) + done, len - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(w);
    }
    return true;
}

int64_t native_file_t::seek(int64_t offset, file_seek_t origin) {
    int whence = origin == SEEK_FROM_START ? SEEK_SET : origin == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_END;
    return int64_t(lseek(m_fd, off_t(offset), whence));
}

int64_t native_file_t::tell() const { return int64_t(lseek(m_fd, 0, SEEK_CUR)); }

int64_t native_file_t::size() const {
    struct stat st {};
    return fstat(m_fd, &st) == 0 ? int64_t(st.st_size) : -1;
}

bool native_file_t::read_at(void *buf, size_t len, uint64_t offset) {
    if (m_fd < 0 || offset > uint64_t(INT64_MAX)) return false;
    size_t done = 0;
    while (done < len) {
        if (offset + done > uint64_t(INT64_MAX)) return false;
        ssize_t r = ::pread(m_fd, static_cast<char *>(buf) + done, len - done, off_t(offset + done));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) return false;
        done += size_t(r);
    }
    return true;
}

bool native_file_t::write_at(const void *buf, size_t len, uint64_t offset) {
    if (m_fd < 0 || offset > uint64_t(INT64_MAX) || len > uint64_t(INT64_MAX) - offset) return false;
    size_t done = 0;
    while (done < len) {
        ssize_t w = ::pwrite(m_fd, static_cast<const char *>(buf) + done, len - done, off_t(offset + done));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(w);
    }
    return true;
}

bool native_file_t::stat(file_info_t *out) const {
    struct stat st {};
    if (m_fd < 0 || fstat(m_fd, &st) != 0) return false;
    *out = info_of(st);
    return true;
}

// Writes go straight to the system, so a crash of the process loses nothing that a
// write reported as done; there is no buffer of ours to flush.
bool native_file_t::flush() { return m_fd >= 0; }

bool file_stat(const char *path, file_info_t *out) {
    struct stat st {};
    if (::stat(path, &st) != 0) return false;
    *out = info_of(st);
    return true;
}

bool file_remove(const char *path) { return ::unlink(path) == 0; }

namespace {

file_rename_fn_t rename_step = &::rename;

// Flushes what the system holds of a file or folder to the disk.
bool sync_path(const char *path, int flags) {
    const int fd = ::open(path, flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace

bool file_replace(const char *from, const char *to) {
    // Renamed before its bytes are on the disk, the new name could survive a crash
    // that its content does not.
    if (!sync_path(from, O_RDONLY)) return false;
    if (rename_step(from, to) != 0) return false;
    // The folder's entry: without it the rename itself may be lost. The files are in
    // place already, so a folder that cannot be synced does not fail the move.
    const char *slash = strrchr(to, '/');
    const std::string folder = !slash ? std::string(".") : slash == to ? std::string("/") : std::string(to, slash);
    sync_path(folder.c_str(), O_RDONLY | O_DIRECTORY);
    return true;
}

void file_set_rename(file_rename_fn_t rename_fn) { rename_step = rename_fn ? rename_fn : &::rename; }

bool dir_create(const char *path) {
    if (::mkdir(path, 0755) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool dir_remove(const char *path) { return ::rmdir(path) == 0; }

bool dir_list(const char *path, dir_visitor_t &visitor) {
    const char *where = *path ? path : ".";
    DIR *dir = opendir(where);
    if (!dir) return false;
    struct entry_t {
        std::string name;
        file_info_t info;
    };
    std::vector<entry_t> entries;
    const int fd = dirfd(dir);
    while (dirent *e = readdir(dir)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
        entry_t entry{e->d_name, {}};
        struct stat st {};
        if (fstatat(fd, e->d_name, &st, 0) == 0) entry.info = info_of(st);
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const entry_t &a, const entry_t &b) { return name_before(a.name, b.name); });
    for (const entry_t &e : entries) visitor.on_entry(e.name.c_str(), e.info);
    return true;
}

uint64_t file_time_from_unix(int64_t seconds, uint32_t nanoseconds) {
    // 1601-01-01 to 1970-01-01: 369 years with 89 leap days.
    constexpr int64_t EPOCH_DIFFERENCE = 11644473600;
    if (seconds < -EPOCH_DIFFERENCE) return 0;
    const uint64_t since_1601 =
        seconds >= 0 ? uint64_t(seconds) + uint64_t(EPOCH_DIFFERENCE) : uint64_t(seconds + EPOCH_DIFFERENCE);
    if (since_1601 > (UINT64_MAX - 9999999u) / 10000000u) return UINT64_MAX;
    return since_1601 * 10000000u + nanoseconds / 100u;
}

}  // namespace quarn::platform
