#pragma once
// Reading files of the engine's file system whole, for tests that compare contents.
#include <gtest/gtest.h>

#include <string>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn::test {

// Every byte of the file in one read; a failed read fails the test.
inline std::string read_all(file_t &f) {
    std::string out(f.size(), '\0');
    EXPECT_TRUE(f.block_read(out.data(), uint32_t(out.size()), 0));
    return out;
}

// The virtual file at path read whole, or "<missing>" when it does not open.
inline std::string read_virtual(const char *path) {
    auto_ptr_t<file_t> f = fs_open(path, FS_REALM_VIRTUAL);
    return f ? read_all(*f) : "<missing>";
}

}  // namespace quarn::test
