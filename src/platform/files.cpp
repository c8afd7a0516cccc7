#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quarn::platform {

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

// Writes go straight to the system, so a crash of the process loses nothing that a
// write reported as done; there is no buffer of ours to flush.
bool native_file_t::flush() { return m_fd >= 0; }

}  // namespace quarn::platform
