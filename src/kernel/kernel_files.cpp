#include "kernel/kernel_files.h"

#include <cstdio>
#include <new>

#include "platform/files.h"
#include "qrncore/system/host_alloc.h"

// Until the virtual file system's root mount table exists, paths are taken as the
// operating system's own.
namespace quarn {

namespace {

class native_path_file_t : public file_t {
public:
    explicit native_path_file_t(const string &path) : file_t(path) {}
    platform::native_file_t file;

protected:
    bool io_read(void *buf, uint32_t len, uint64_t offset) override {
        if (file.seek(int64_t(offset), platform::SEEK_FROM_START) < 0) return false;
        auto *p = static_cast<char *>(buf);
        while (len) {
            const int64_t n = file.read(p, len);
            if (n <= 0) return false;
            p += n;
            len -= uint32_t(n);
        }
        return true;
    }
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override {
        return file.seek(int64_t(offset), platform::SEEK_FROM_START) >= 0 && file.write(buf, len);
    }
    bool io_stat(fs_stat_t *out) override {
        const int64_t size = file.size();
        if (size < 0) return false;
        out->type = 1;
        out->size = uint64_t(size);
        return true;
    }
};

}  // namespace

file_t *kernel_file_open(const string &path, kernel_file_mode_t mode) {
    void *memory = qrncore_system_new(sizeof(native_path_file_t));
    if (!memory) return nullptr;
    auto *f = new (memory) native_path_file_t(path);
    const unsigned flags = mode == KERNEL_FILE_READ
                               ? platform::FILE_READ
                               : platform::FILE_WRITE | platform::FILE_CREATE | platform::FILE_TRUNCATE;
    if (!f->file.open(path.c_str(), flags)) {
        kernel_file_close(f);
        return nullptr;
    }
    return f;
}

void kernel_file_close(file_t *file) {
    if (!file) return;
    file->~file_t();
    qrncore_system_delete(file);
}

bool kernel_file_replace(const string &from, const string &to) { return std::rename(from.c_str(), to.c_str()) == 0; }

bool kernel_file_remove(const string &path) { return std::remove(path.c_str()) == 0; }

}  // namespace quarn
