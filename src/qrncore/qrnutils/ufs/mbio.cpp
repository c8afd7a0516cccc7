#include "qrncore/qrnutils/ufs/mbio.h"

#include <cstring>

#include "qrncore/system/cpu.h"
#include "qrncore/system/messages.h"

namespace quarn {

int mbio_t::open(void *block, size_t size) {
    m_base = m_current = static_cast<uint8_t *>(block);
    m_size = size;
    return 0;
}

int64_t mbio_t::remaining() const {
    // Integer arithmetic: after a seek the cursor may lie outside the block.
    const auto base = reinterpret_cast<uintptr_t>(m_base), cur = reinterpret_cast<uintptr_t>(m_current);
    if (cur < base || cur - base > m_size) return -1;
    return int64_t(m_size - (cur - base));
}

void *mbio_t::read(uint32_t len) {
    // The whole length must remain: a cursor merely before the end would let a read
    // near the end run past the block.
    const int64_t left = remaining();
    if (left <= 0 || int64_t(len) > left) return nullptr;
    uint8_t *at = m_current;
    m_current += len;
    return at;
}

void *mbio_t::read(void *dst, uint32_t len) {
    const int64_t left = remaining();
    if (left <= 0 || int64_t(len) > left) return nullptr;
    memcpy(dst, m_current, len);
    return read(len);
}

void *mbio_t::write(const void *src, uint32_t len) {
    V_ASSERT(int64_t(len) <= remaining());
    uint8_t *at = m_current;
    cpu_copy(at, src, len);
    m_current += len;
    return at;
}

bool mbio_t::seek(int64_t offset, fs_whence_t whence) {
    const auto base = reinterpret_cast<uintptr_t>(whence == FS_SEEK_SET ? m_base : m_current);
    if (whence != FS_SEEK_SET && whence != FS_SEEK_CUR) return false;
    m_current = reinterpret_cast<uint8_t *>(base + uintptr_t(offset));
    return true;
}

void mbio_t::align(uint32_t a) {
    V_ASSERT(a && (a & (a - 1)) == 0);
    const auto cur = reinterpret_cast<uintptr_t>(m_current);
    m_current = reinterpret_cast<uint8_t *>((cur + a - 1) & ~uintptr_t(a - 1));
}

}  // namespace quarn
