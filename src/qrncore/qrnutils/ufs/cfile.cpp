#include "qrncore/qrnutils/ufs/cfile.h"

#include <cstring>

#include "qrncore/system/host_alloc.h"

namespace quarn {

void cfile_scramble(void *buf, uint32_t len, uint64_t offset) {
    auto *bytes = static_cast<uint8_t *>(buf);
    uint8_t k = uint8_t(uint8_t(offset) + CFILE_SCRAMBLE_CONSTANT);
    for (uint32_t i = 0; i < len; ++i, ++k) {
        const uint8_t mask = uint8_t((uint8_t((uint8_t(k << 2) ^ uint8_t(~k)) << 3)) ^ k);
        bytes[i] ^= mask;
    }
}

bool cfile_t::io_read(void *buf, uint32_t len, uint64_t offset) {
    if (!file_proxy_t::io_read(buf, len, offset)) return false;
    if (buf) cfile_scramble(buf, len, offset);
    return true;
}

bool cfile_t::io_write(const void *buf, uint32_t len, uint64_t offset) {
    if (len == 0 || !buf) return file_proxy_t::io_write(buf, len, offset);
    auto *copy = static_cast<uint8_t *>(qrncore_system_new_vector(len));
    if (!copy) return false;
    memcpy(copy, buf, len);
    cfile_scramble(copy, len, offset);
    const bool ok = file_proxy_t::io_write(copy, len, offset);
    qrncore_system_delete_vector(copy);
    return ok;
}

}  // namespace quarn
