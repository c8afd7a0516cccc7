#include "disk_file.h"

#include "platform/files.h"

namespace quarn::kickup {

namespace {
constexpr int64_t FILE_SIZE_MAX = 16 << 20;
}

bool read_disk_file(const std::string &path, std::string *text) {
    platform::native_file_t f;
    if (!f.open(path.c_str(), platform::FILE_READ | platform::FILE_DISK_ONLY)) return false;
    const int64_t size = f.size();
    if (size < 0 || size > FILE_SIZE_MAX) return false;
    text->assign(size_t(size), '\0');
    return size == 0 || f.read_at(text->data(), size_t(size), 0);
}

bool disk_file_readable(const std::string &path) {
    platform::native_file_t f;
    return f.open(path.c_str(), platform::FILE_READ | platform::FILE_DISK_ONLY);
}

}  // namespace quarn::kickup
