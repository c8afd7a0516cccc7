#include "qrncore/qrnutils/ufs/file.h"

#include <utility>

#include "qrncore/system/messages.h"

namespace quarn {

// ---- requests ----

file_request_t::file_request_t(file_t &file, void *buf, uint32_t len, uint64_t offset, bool write)
    : m_file(file), m_offset(offset), m_buffer(buf), m_length(len) {
    const bool ok = write ? m_file.block_write(m_buffer, m_length, m_offset) : m_file.block_read(m_buffer, m_length, m_offset);
    m_moved = ok ? int64_t(m_length) : -1;
    m_pending = false;
}

file_request_t::~file_request_t() = default;

// ---- file ----

file_t::file_t(const string &name) : m_name(name) {}

file_t::~file_t() = default;

auto_ptr_t<file_request_t> file_t::block_read_request(void *, uint32_t, uint64_t) {
    m_error = FS_ERR_NOT_SUPPORTED;
    return nullptr;
}

auto_ptr_t<file_request_t> file_t::block_write_request(const void *, uint32_t, uint64_t) {
    m_error = FS_ERR_NOT_SUPPORTED;
    return nullptr;
}

void file_t::get_system_location(mstring_t &) {}

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

bool file_t::seek(int32_t offset, fs_whence_t whence) {
    uint64_t base;
    switch (whence) {
    case FS_SEEK_SET:
        if (offset >= 0 && uint64_t(offset) == m_position) return true;
        base = 0;
        break;
    case FS_SEEK_CUR:
        base = m_position;
        break;
    case FS_SEEK_END: {
        // Without a size there is no end to seek from (0 would be a guess).
        fs_stat_t st;
        if (!io_stat(&st)) {
            m_error = FS_ERR_IO;
            return false;
        }
        base = st.size;
        break;
    }
    default:
        m_error = FS_ERR_BAD_WHENCE;
        return false;
    }
    // A position before the start is refused instead of wrapping to a huge one.
    if (offset < 0 && uint64_t(-int64_t(offset)) > base) {
        m_error = FS_ERR_IO;
        return false;
    }
    m_position = offset < 0 ? base - uint64_t(-int64_t(offset)) : base + uint64_t(offset);
    m_error = FS_ERR_NONE;
    return true;
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

uint64_t file_t::time() {
    fs_stat_t st;
    return stat(&st) ? st.time : 0;
}

bool file_t::printf(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const bool ok = vprintf(fmt, args);
    va_end(args);
    return ok;
}

bool file_t::vprintf(const char *fmt, va_list args) {
    mstring_dyn_t text;
    if (!text.vprintf(fmt, args)) {
        m_error = FS_ERR_IO;
        return false;
    }
    return write(text.c_str(), text.length());
}

bool file_t::io_read(void *, uint32_t, uint64_t) { return false; }

bool file_t::io_write(const void *, uint32_t, uint64_t) { return false; }

bool file_t::io_stat(fs_stat_t *) { return false; }

// ---- proxy ----

file_proxy_t::file_proxy_t(auto_ptr_t<file_t> &inner) : file_t(inner->get_name()), m_inner(std::move(inner)) {
    m_realm = m_inner->get_fs_realm();
}

file_proxy_t::~file_proxy_t() = default;

void file_proxy_t::get_system_location(mstring_t &out) { m_inner->get_system_location(out); }

bool file_proxy_t::io_read(void *buf, uint32_t len, uint64_t offset) {
    const bool ok = m_inner->block_read(buf, len, offset);
    m_error = m_inner->get_error();
    return ok;
}

bool file_proxy_t::io_write(const void *buf, uint32_t len, uint64_t offset) {
    const bool ok = m_inner->block_write(buf, len, offset);
    m_error = m_inner->get_error();
    return ok;
}

bool file_proxy_t::io_stat(fs_stat_t *out) {
    const bool ok = m_inner->stat(out);
    m_error = m_inner->get_error();
    return ok;
}

// ---- messages ----

namespace {

V_PRINTF(3, 0) void file_dispatch(message_t::type_t type, file_t *file, const char *fmt, va_list args) {
    mstring_dyn_t location;
    if (file) {
        file->get_system_location(location);
        if (location.is_empty()) location = string(file->get_name());
    } else {
        location = "NULL";
    }
    mstring_dyn_t text;
    text.vprintf(fmt, args);
    // The text is data to the message functions, never a format.
    switch (type) {
    case message_t::ERROR:
        error("[%s] %s", location.c_str(), text.c_str());
        break;
    case message_t::WARNING:
        warning("[%s] %s", location.c_str(), text.c_str());
        break;
    default:
        message("[%s] %s", location.c_str(), text.c_str());
        break;
    }
}

}  // namespace

#define QUARN_FILE_DISPATCH(level)            \
    va_list args;                             \
    va_start(args, fmt);                      \
    file_dispatch(message_t::level, file, fmt, args); \
    va_end(args)

void file_error(file_t *file, const char *fmt, ...) { QUARN_FILE_DISPATCH(ERROR); }
void file_message(file_t *file, const char *fmt, ...) { QUARN_FILE_DISPATCH(MESSAGE); }
void file_warning(file_t *file, const char *fmt, ...) { QUARN_FILE_DISPATCH(WARNING); }

#undef QUARN_FILE_DISPATCH

}  // namespace quarn
