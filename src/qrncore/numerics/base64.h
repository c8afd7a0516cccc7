#pragma once
// Base64 over the URL-safe alphabet ("-" and "_" for 62 and 63), "=" padding, no
// line breaks. Encoding appends to the object's text, decoding to its byte array;
// neither clears what is already there.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/string.h"

namespace quarn {

class QRNCORE_API base64_t {
public:
    base64_t() = default;
    ~base64_t();
    base64_t(const base64_t &) = delete;
    base64_t &operator=(const base64_t &) = delete;

    // Appends the Base64 text of the bytes. False as soon as the text cannot grow;
    // what was appended before stays. No bytes append nothing and give true.
    bool encode(const void *data, size_t length);
    // Appends the decoded bytes of the text. Characters outside the alphabet and "="
    // are skipped. False when the text ends inside a group of four, when "=" stands
    // first or second in a group, when anything follows a padded group, or when the
    // array cannot grow; bytes decoded before the failure stay. An empty text gives
    // true.
    bool decode(const string &text);

    // The encoded text, always zero-terminated ("" before any encode).
    const char *get_text() const { return m_text.bytes ? reinterpret_cast<const char *>(m_text.bytes) : ""; }
    size_t get_text_length() const { return m_text.count; }
    // The decoded bytes (null while empty).
    const uint8_t *get_data() const { return m_data.bytes; }
    size_t get_data_count() const { return m_data.count; }
    void clear_text();
    void clear_data();

private:
    // A growable run of bytes from the host's allocation functions; the text keeps a
    // terminating zero after its count.
    struct buffer_t {
        ~buffer_t();
        bool reserve(size_t n);
        bool push(uint8_t b, size_t spare);

        uint8_t *bytes = nullptr;
        size_t count = 0;
        size_t capacity = 0;
    };

    bool push_char(char c);

    buffer_t m_text;
    buffer_t m_data;
};

}  // namespace quarn
