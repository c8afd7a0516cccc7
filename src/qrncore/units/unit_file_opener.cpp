#include "qrncore/units/unit_file_opener.h"

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"

namespace quarn {

namespace {

class fs_opener_t : public unit_file_opener_t {
public:
    file_t *open(const char *path, uint32_t realm) override { return fs_open(path, fs_realm_t(realm)).release(); }
    void close(file_t *file) override { delete file; }
};

}  // namespace

unit_file_opener_t &unit_file_opener_t::file_system() {
    static fs_opener_t opener;
    return opener;
}

}  // namespace quarn
