#pragma once
// quarn::mstring_t: an owned text. The data is always NUL-terminated and never null;
// where the bytes live is up to the storage form: string_dyn_t (heap, grows to exactly
// what an operation asks for) or string_fixed_t<N> (in the object, never grows).
// Operations report a text that did not fit as false and leave it terminated.
#include <cstdarg>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

class file_t;

class QRNCORE_API mstring_t {
public:
    // Count meaning "to the end of the source".
    static constexpr uint32_t TO_END = 0xFFFFFFFFu;

    virtual ~mstring_t() = default;
    // True when request_capacity can give more room than the text has.
    virtual bool is_resizable() const = 0;
    // Makes room for at least n bytes including the terminator, keeping the text;
    // false when that is not possible (the text is then unchanged).
    virtual bool request_capacity(uint32_t n) = 0;
    // Bytes including the terminator; 0 for an empty heap text that holds no buffer.
    virtual uint32_t get_capacity() const = 0;

    const char *c_str() const { return m_data; }
    // The buffer itself, for code that fills it within get_capacity().
    char *data() { return m_data; }
    operator string() const { return string(m_data); }
    uint32_t length() const { return uint32_t(strlen(m_data)); }
    bool is_empty() const { return m_data[0] == 0; }
    char operator[](size_t i) const { return m_data[i]; }
    bool operator==(const string &o) const { return strcmp(m_data, o.c_str()) == 0; }
    bool operator==(const char *o) const { return strcmp(m_data, o ? o : "") == 0; }
    bool operator!=(const string &o) const { return !(*this == o); }
    bool operator!=(const char *o) const { return !(*this == o); }

    // Writes count bytes of src, from src_off, at dst_off and terminates there;
    // count TO_END copies to the end of src. dst_off must not exceed the length.
    // A resizable text grows to exactly dst_off + count + 1 bytes when the bytes do
    // not fit. False only when the capacity cut the copy short. A source offset past
    // the end of src, or a count of 0, cuts the text at dst_off.
    bool copy(const string &src, uint32_t dst_off = 0, uint32_t src_off = 0, uint32_t count = TO_END);
    // Copies the closed range [first, last] of src; last TO_END: to its end.
    bool copy_range(const string &src, uint32_t first, uint32_t last);
    // Appends one byte, growing to length + 2 when needed. A NUL byte is a
    // successful no-op. False when the text is full and cannot grow.
    bool append(char c);
    // Appends count bytes of src from src_off (copy at the current length).
    bool append(const string &src, uint32_t src_off = 0, uint32_t count = TO_END);

    // Copies the other text whatever the result; assignment has no result to give.
    mstring_t &operator=(const mstring_t &other);
    mstring_t &operator=(const string &other);

    // Removes the bytes [first, last), stopping at the end of the text, and moves
    // the tail down. False (nothing removed) when first > last.
    bool remove(uint32_t first, uint32_t last);
    // Replaces every byte `from` by `to` from index start to the end.
    mstring_t &replace(char from, char to, uint32_t start = 0);
    // Copies src, then replaces bytes as above.
    mstring_t &replace(const string &src, char from, char to);
    // Builds in out this text with every occurrence of pattern replaced, scanning
    // left to right without overlap; an empty pattern replaces nothing. out may be
    // this text itself. False when a copy into out fell short.
    bool replace(mstring_t &out, const string &pattern, const string &replacement) const;

    // Formatted text from position 0 / at the end. A resizable text first grows to
    // fit; the result is true when the whole formatted text fitted.
    bool printf(const char *fmt, ...) V_PRINTF(2, 3);
    bool vprintf(const char *fmt, va_list args) V_PRINTF(2, 0);
    bool printf_append(const char *fmt, ...) V_PRINTF(2, 3);
    bool vprintf_append(const char *fmt, va_list args) V_PRINTF(2, 0);
    // Formats at pos, which must not exceed the length.
    bool vprintf_at(uint32_t pos, const char *fmt, va_list args) V_PRINTF(3, 0);

    // Reads a text written by string::write: an 8-byte length (low 32 bits used)
    // and that many bytes. A text too small grows to length + 1. False, with the
    // text left empty, when the length is 0xFFFFFFFF, exceeds what remains in the
    // file or does not fit a text that cannot grow; on a short read the text ends
    // where reading stopped.
    bool read(file_t &file);

protected:
    explicit mstring_t(char *data) : m_data(data) {}
    mstring_t(const mstring_t &) = delete;

    // Cuts the text at pos when it holds a buffer.
    void terminate_at(uint32_t pos) {
        if (get_capacity() > pos) m_data[pos] = 0;
    }

    char *m_data;
};

}  // namespace quarn
