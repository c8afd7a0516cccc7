#include "game/visuals/models/model_image.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "qrncore/system/messages.h"

namespace quarn {

bool model_image_t::holds_string(uint64_t offset) const {
    return offset < m_size && memchr(m_data + offset, 0, size_t(m_size - offset)) != nullptr;
}

bool model_check_t::fail(uint64_t field, const char *fmt, ...) {
    if (!m_reported) {
        error("[model] Model %s '%s' is malformed.", m_kind, m_path);
        m_reported = true;
    }
    char what[256];
    va_list args;
    va_start(args, fmt);
    vsnprintf(what, sizeof what, fmt, args);
    va_end(args);
    error("[model] Model %s '%s': %s (field at offset 0x%" PRIx64 ").", m_kind, m_path, what, field);
    return false;
}

bool model_check_t::inside(uint64_t field, uint64_t offset, uint64_t length, const char *what) {
    if (m_image.holds(offset, length)) return true;
    return fail(field,
                "%s (%" PRIu64 " bytes at offset 0x%" PRIx64 ") runs past the end of the file (%" PRIu64 " bytes)",
                what, length, offset, m_image.size());
}

bool model_check_t::inside_aligned(uint64_t field, uint64_t offset, uint64_t length, const char *what) {
    if (!inside(field, offset, length, what)) return false;
    if (offset % 4 == 0) return true;
    return fail(field, "%s at offset 0x%" PRIx64 " is not 4-byte aligned", what, offset);
}

bool model_check_t::string_at(uint64_t field, uint64_t offset, const char *what) {
    if (m_image.holds_string(offset)) return true;
    return fail(field, "%s at offset 0x%" PRIx64 " does not end inside the file", what, offset);
}

bool model_bad_version(const char *kind, const char *path, uint32_t found, uint32_t expected) {
    error("[model] Model %s '%s' has incorrect file version %u - expected version %u", kind, path, found, expected);
    return false;
}

}  // namespace quarn
