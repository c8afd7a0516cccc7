#include "qrncore/strings/mstring.h"

#include <cstdio>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// True when p points into the buffer of the text: such a source moves when the
// text grows and must be re-pointed.
bool points_into(const char *p, const char *data, uint32_t capacity) {
    return capacity && p >= data && p < data + capacity;
}

}  // namespace

bool mstring_t::copy(const string &src_view, uint32_t dst_off, uint32_t src_off, uint32_t count) {
    const char *src = src_view.c_str();
    uint32_t capacity = get_capacity();
    V_ASSERT(dst_off == 0 || dst_off <= length());

    if (count == 0) {
        terminate_at(dst_off);
        return true;
    }
    uint32_t room = capacity - dst_off;
    if (count >= room) {
        // Bound the count by what the source holds, without reading past its end.
        uint64_t bound = uint64_t(src_off) + count;
        size_t len = bound > UINT32_MAX ? strlen(src) : strnlen(src, size_t(bound));
        if (src_off >= len) {
            terminate_at(dst_off);
            return true;
        }
        count = len - src_off > UINT32_MAX - 1 ? UINT32_MAX - 1 : uint32_t(len - src_off);
    } else if (strnlen(src, src_off) < src_off) {
        // An offset past the end of the source would read beyond its terminator: it
        // gives an empty source.
        terminate_at(dst_off);
        return true;
    }
    if (count >= room && is_resizable()) {
        uint64_t want = uint64_t(dst_off) + count + 1;
        if (want <= UINT32_MAX && want >= capacity) {
            bool inside = points_into(src, m_data, capacity);
            size_t src_pos = inside ? size_t(src - m_data) : 0;
            request_capacity(uint32_t(want));
            if (inside) src = m_data + src_pos;
            capacity = get_capacity();
            room = capacity - dst_off;
        }
    }
    if (capacity == 0) return true;

    const char *from = src + src_off;
    uint32_t limit = room - 1 < count ? room - 1 : count;
    size_t n = strnlen(from, limit);
    // Cut short by the capacity: neither the source nor the count ran out.
    bool cut = n == limit && limit < count && from[n] != 0;
    memmove(m_data + dst_off, from, n);
    m_data[dst_off + n] = 0;
    return !cut;
}

bool mstring_t::copy_range(const string &src, uint32_t first, uint32_t last) {
    if (last == TO_END) return copy(src, 0, first, TO_END);
    if (last < first) return copy(src, 0, first, 0);
    uint32_t count = last - first + 1;
    return copy(src, 0, first, count == 0 ? TO_END : count);
}

bool mstring_t::append(char c) {
    if (c == 0) return true;
    uint32_t len = length();
    if (uint64_t(len) + 2 > get_capacity()) {
        if (!is_resizable() || len + 2u < len || !request_capacity(len + 2)) return false;
    }
    m_data[len] = c;
    m_data[len + 1] = 0;
    return true;
}

bool mstring_t::append(const string &src, uint32_t src_off, uint32_t count) {
    return copy(src, length(), src_off, count);
}

mstring_t &mstring_t::operator=(const mstring_t &other) {
    if (this != &other) copy(other.c_str());
    return *this;
}

mstring_t &mstring_t::operator=(const string &other) {
    copy(other);
    return *this;
}

bool mstring_t::remove(uint32_t first, uint32_t last) {
    if (first > last) return false;
    uint32_t len = length();
    if (first >= len) return true;
    if (last > len) last = len;
    memmove(m_data + first, m_data + last, len - last + 1);
    return true;
}

mstring_t &mstring_t::replace(char from, char to, uint32_t start) {
    uint32_t len = length();
    for (uint32_t i = start; i < len; ++i)
        if (m_data[i] == from) m_data[i] = to;
    return *this;
}

mstring_t &mstring_t::replace(const string &src, char from, char to) {
    copy(src);
    return replace(from, to, 0);
}

bool mstring_t::replace(mstring_t &out, const string &pattern, const string &replacement) const {
    if (&out == this) {
        mstring_dyn_t built;
        replace(built, pattern, replacement);
        return out.copy(built.c_str());
    }
    if (pattern.is_empty()) return out.copy(m_data);
    size_t plen = pattern.length();
    bool ok = out.copy("");
    const char *pos = m_data;
    while (const char *hit = strstr(pos, pattern.c_str())) {
        ok = out.append(pos, 0, uint32_t(hit - pos)) && ok;
        ok = out.append(replacement) && ok;
        pos = hit + plen;
    }
    return out.append(pos) && ok;
}

bool mstring_t::printf(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool ok = vprintf_at(0, fmt, args);
    va_end(args);
    return ok;
}

bool mstring_t::vprintf(const char *fmt, va_list args) { return vprintf_at(0, fmt, args); }

bool mstring_t::printf_append(const char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    bool ok = vprintf_at(length(), fmt, args);
    va_end(args);
    return ok;
}

bool mstring_t::vprintf_append(const char *fmt, va_list args) { return vprintf_at(length(), fmt, args); }

bool mstring_t::vprintf_at(uint32_t pos, const char *fmt, va_list args) {
    V_ASSERT(pos == 0 || pos <= length());
    va_list measure;
    va_copy(measure, args);
    int needed = vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    if (needed < 0) {
        terminate_at(pos);
        return false;
    }
    uint64_t want = uint64_t(pos) + uint64_t(needed) + 1;
    if (is_resizable() && want <= UINT32_MAX) request_capacity(uint32_t(want));
    uint32_t capacity = get_capacity();
    if (capacity <= pos) return false;
    uint32_t room = capacity - pos;
    vsnprintf(m_data + pos, room, fmt, args);
    return uint32_t(needed) < room;
}

bool mstring_t::read(file_t &file) {
    terminate_at(0);
    unsigned char header[8];
    if (!file.read(header, sizeof header)) return false;
    uint32_t len = uint32_t(header[0]) | uint32_t(header[1]) << 8 | uint32_t(header[2]) << 16 |
                   uint32_t(header[3]) << 24;
    if (len == 0xFFFFFFFFu) return false;
    if (len == 0) return true;
    if (len + 1 > get_capacity() && !is_resizable()) return false;
    // The stored length is data: a broken one must not make us allocate gigabytes
    // before a short read shows it. When the file can tell its
    // size the length is checked at once; otherwise the text grows a chunk at a time
    // and the short read ends it.
    uint64_t position = file.tell();
    uint64_t size = file.size();
    bool size_known = file.get_error() == FS_ERR_NONE;
    if (size_known && (position > size || len > size - position)) return false;
    if (size_known && !request_capacity(len + 1)) return false;
    constexpr uint32_t CHUNK = 64 * 1024;
    uint32_t got = 0;
    while (got < len) {
        uint32_t step = len - got < CHUNK ? len - got : CHUNK;
        if (!request_capacity(got + step + 1) || !file.read(m_data + got, step)) {
            terminate_at(got);
            return false;
        }
        got += step;
    }
    m_data[len] = 0;
    return true;
}

}  // namespace quarn
