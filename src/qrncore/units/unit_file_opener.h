#pragma once
// quarn::unit_file_opener_t: how the unit reader reaches the files that include lines
// name. The default opens them through the file system; tests put in their own.
#include <cstdint>

#include "qrncore/api.h"

namespace quarn {

class file_t;

class QRNCORE_API unit_file_opener_t {
public:
    virtual ~unit_file_opener_t() = default;
    // The file at path in the realm, opened for reading; null when it does not open.
    virtual file_t *open(const char *path, uint32_t realm) = 0;
    // Closes a file open returned.
    virtual void close(file_t *file) = 0;

    // The opener over the file system.
    static unit_file_opener_t &file_system();
};

}  // namespace quarn
