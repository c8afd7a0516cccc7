// Mounts arbitrary bytes as a zip archive held in memory, as the archive stored in the
// program is mounted, and walks whatever mounts: every listing, stat and entry, read
// at its head and its tail.
#include <cstdint>

#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/qrnutils/ufs/zip_device.h"

namespace {

void walk(quarn::zip_device_t &zip, const quarn::string &path, int depth) {
    quarn::auto_ptr_t<quarn::fs_dirlist_t> list = zip.read_dir(path, true);
    if (!list || depth > 16) return;
    for (const quarn::fs_direntry_t &entry : *list) {
        quarn::fs_stat_t st;
        zip.stat(entry.name, &st);
        if (entry.type == quarn::FS_TYPE_DIRECTORY) {
            walk(zip, entry.name, depth + 1);
            continue;
        }
        quarn::auto_ptr_t<quarn::file_t> file = zip.open(entry.name);
        if (!file) continue;
        char data[256];
        const uint64_t size = file->size();
        const uint32_t n = size < sizeof data ? uint32_t(size) : uint32_t(sizeof data);
        file->block_read(data, n, 0);
        file->block_read(data, n, size - n);
        file->block_read(data, 1, size);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > UINT32_MAX) return 0;
    quarn::auto_ptr_t<quarn::file_t> file = quarn::mem_file_bind(data, uint32_t(size));
    if (!file) return 0;
    quarn::zip_device_t zip(file);
    if (zip.is_valid()) walk(zip, quarn::string::EMPTY, 0);
    return 0;
}
