#pragma once
// quarn::string: a read-only view of a NUL-terminated byte string. It never owns or
// frees what it points at; a null pointer reads as the empty text. Every part of the
// system passes texts as views and receives results in an owned mstring_t.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "qrncore/api.h"

namespace quarn {

class file_t;

class QRNCORE_API string {
public:
    constexpr string() : m_str("") {}
    constexpr string(const char *s) : m_str(s ? s : "") {}

    const char *c_str() const { return m_str; }
    operator const char *() const { return m_str; }
    size_t length() const { return strlen(m_str); }
    bool is_empty() const { return m_str[0] == 0; }
    char operator[](size_t i) const { return m_str[i]; }

    bool operator==(const string &o) const { return strcmp(m_str, o.m_str) == 0; }
    bool operator==(const char *o) const { return strcmp(m_str, o ? o : "") == 0; }
    bool operator!=(const string &o) const { return !(*this == o); }
    bool operator!=(const char *o) const { return !(*this == o); }

    // n = -1: the whole texts byte by byte as unsigned values, giving -1, 0 or 1.
    // Any other n: the first n bytes as strncmp compares them, giving its result
    // (negative, zero or positive); a negative n other than -1 bounds nothing.
    int compare(const string &other, int32_t n = -1) const;

    // Writes a 64-bit little-endian length (strlen in the low half, 0 in the high
    // half) and then the bytes without terminator. False as soon as a write fails,
    // and for a text of 4 GiB or more, whose length the format cannot hold.
    bool write(file_t &file) const;

    static const string EMPTY;
    // The one-byte empty buffer shared by every empty owned text; never freed and
    // never written with anything but its terminator.
    static char NUL_CHAR[1];
    // The bytes the text parser skips: blank, tab, carriage return, line feed.
    static const string WHITESPACE;

private:
    const char *m_str;
};

// Older code names the view by this alias.
using string_alias_t = string;

}  // namespace quarn
