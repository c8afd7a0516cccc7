#include "game/ai/zba/zba_text.h"

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/host_alloc.h"

namespace quarn {

zba_text_t::result_t zba_text_t::read(const char *path) {
    release();
    auto_ptr_t<file_t> file(fs_open(path, FS_REALM_VIRTUAL));
    if (!file) return READ_CANNOT_OPEN;
    const uint64_t size = file->size();
    // Reads are 32-bit: a file the size of which does not fit one is not a
    // behaviour file anyway.
    if (file->get_error() != FS_ERR_NONE || size >= 0xFFFFFFFFu) return READ_ERROR;
    m_wanted = size_t(size) + 1;
    char *data = static_cast<char *>(qrncore_system_new_vector(m_wanted));
    if (!data) return READ_NO_MEMORY;
    if (size && !file->block_read(data, uint32_t(size), 0)) {
        qrncore_system_delete_vector(data);
        return READ_ERROR;
    }
    data[size] = 0;
    m_data = data;
    m_size = size_t(size);
    return READ_OK;
}

void zba_text_t::release() {
    if (m_data) qrncore_system_delete_vector(m_data);
    m_data = nullptr;
    m_size = 0;
}

}  // namespace quarn
