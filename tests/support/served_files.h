#pragma once
// A read-only file-system device over files held in memory, for tests and fuzz targets
// whose readers open their files through the virtual file system. Paths are those
// below the mount point ("/a/b.txt" for "/mount/a/b.txt"); each file read is a view of
// the bytes kept here, so a file must stay unchanged while it is open.
#include <map>
#include <string>

#include "qrncore/qrnutils/ufs/fs_device.h"
#include "qrncore/qrnutils/ufs/mem_file.h"

namespace quarn::test {

class served_files_t : public fs_device_t {
public:
    served_files_t() : fs_device_t(string::EMPTY, true) {}

    auto_ptr_t<file_t>::ret_t open(const string &path) override {
        auto it = files.find(path.c_str());
        if (it == files.end()) return nullptr;
        return mem_file_bind(it->second.data(), uint32_t(it->second.size()));
    }
    bool stat(const string &path, fs_stat_t *out) override {
        auto it = files.find(path.c_str());
        if (it == files.end()) return false;
        if (out) {
            out->type = FS_TYPE_FILE;
            out->size = it->second.size();
        }
        return true;
    }

    std::map<std::string, std::string> files;
};

}  // namespace quarn::test
