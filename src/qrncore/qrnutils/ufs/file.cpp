#include "qrncore/qrnutils/ufs/file.h"

namespace quarn {

file_t::file_t(const string &name) : m_name(name) {}

file_t::~file_t() = default;

bool file_t::read(void *buf, uint32_t len) {
    if (!io_read(buf, len, m_position)) {
        m_error = FS_ERR_IO;
        return false;
    }
    m_position += len;
    m_error = FS_ERR_NONE;
    return true;
}

bool file_t::write(const void *buf, uint32_t len) {
    if (!io_write(buf, len, m_position)) {
        m_error = FS_ERR_IO;
        return false;
    }
    m_position += len;
    m_error = FS_ERR_NONE;
    return true;
}

bool file_t::block_read(void *buf, uint32_t len, uint64_t offset) {
    bool ok = io_read(buf, len, offset);
    m_error = ok ? FS_ERR_NONE : FS_ERR_IO;
    return ok;
}

bool file_t::block_write(const void *buf, uint32_t len, uint64_t offset) {
    bool ok = io_write(buf, len, offset);
    m_error = ok ? FS_ERR_NONE : FS_ERR_IO;
    return ok;
}

bool file_t::stat(fs_stat_t *out) {
    bool ok = io_stat(out);
    m_error = ok ? FS_ERR_NONE : FS_ERR_IO;
    return ok;
}

uint64_t file_t::size() {
    fs_stat_t st;
    return stat(&st) ? st.size : 0;
}

bool file_t::io_read(void *, uint32_t, uint64_t) { return false; }

bool file_t::io_write(const void *, uint32_t, uint64_t) { return false; }

bool file_t::io_stat(fs_stat_t *) { return false; }

}  // namespace quarn
