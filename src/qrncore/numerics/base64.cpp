#include "qrncore/numerics/base64.h"

#include <array>
#include <cstring>

#include "qrncore/system/host_alloc.h"

namespace quarn {

namespace {

constexpr char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr uint8_t PAD = 64;
constexpr uint8_t SKIP = 255;

// Each alphabet character maps to its index, "=" to 64, every other byte to 255.
constexpr std::array<uint8_t, 256> make_reverse_table() {
    std::array<uint8_t, 256> t{};
    for (auto &v : t) v = SKIP;
    for (uint8_t i = 0; i < 64; ++i) t[uint8_t(ALPHABET[i])] = i;
    t[uint8_t('=')] = PAD;
    return t;
}

constexpr std::array<uint8_t, 256> reverse_table = make_reverse_table();

}  // namespace

base64_t::buffer_t::~buffer_t() {
    if (bytes) qrncore_system_delete_vector(bytes);
}

bool base64_t::buffer_t::reserve(size_t n) {
    if (n <= capacity) return true;
    uint8_t *grown = static_cast<uint8_t *>(qrncore_system_new_vector(n));
    if (!grown) return false;
    if (bytes) {
        memcpy(grown, bytes, count);
        qrncore_system_delete_vector(bytes);
    }
    bytes = grown;
    capacity = n;
    return true;
}

// spare: room kept after the count (1 for the text's terminating zero).
bool base64_t::buffer_t::push(uint8_t b, size_t spare) {
    const size_t need = count + 1 + spare;
    if (need > capacity) {
        const size_t grown = 2 * capacity + 2;
        if (!reserve(grown > need ? grown : need)) return false;
    }
    bytes[count++] = b;
    return true;
}

base64_t::~base64_t() = default;

void base64_t::clear_text() {
    m_text.count = 0;
    if (m_text.bytes) m_text.bytes[0] = 0;
}

void base64_t::clear_data() { m_data.count = 0; }

bool base64_t::push_char(char c) {
    if (!m_text.push(uint8_t(c), 1)) return false;
    m_text.bytes[m_text.count] = 0;
    return true;
}

bool base64_t::encode(const void *data, size_t length) {
    const uint8_t *p = static_cast<const uint8_t *>(data);
    for (size_t left = p ? length : 0; left; p += 3) {
        const uint8_t p0 = p[0];
        const uint8_t p1 = left > 1 ? p[1] : 0;
        const uint8_t p2 = left > 2 ? p[2] : 0;
        if (!push_char(ALPHABET[p0 >> 2]) || !push_char(ALPHABET[((p0 & 3) << 4) | (p1 >> 4)])) return false;
        if (left == 1) return push_char('=') && push_char('=');
        if (!push_char(ALPHABET[((p1 & 15) << 2) | (p2 >> 6)])) return false;
        if (left == 2) return push_char('=');
        if (!push_char(ALPHABET[p2 & 63])) return false;
        left -= 3;
    }
    return true;
}

bool base64_t::decode(const string &text) {
    const uint8_t *s = reinterpret_cast<const uint8_t *>(text.c_str());
    const size_t length = text.length();
    // A failed reservation is not yet a failure: the appends try again, one by one.
    m_data.reserve(m_data.count + length / 4 * 3 + (length % 4) * 3 / 4);
    size_t pos = 0;
    while (pos < length) {
        uint8_t k[4];
        int got = 0;
        while (got < 4 && pos < length) {
            const uint8_t v = reverse_table[s[pos++]];
            if (v != SKIP) k[got++] = v;
        }
        if (got < 4 || k[0] == PAD || k[1] == PAD) return false;
        if (!m_data.push(uint8_t((k[0] << 2) | (k[1] >> 4)), 0)) return false;
        if (k[2] == PAD) return pos == length;
        if (!m_data.push(uint8_t((k[1] << 4) | (k[2] >> 2)), 0)) return false;
        if (k[3] == PAD) return pos == length;
        if (!m_data.push(uint8_t((k[2] << 6) | k[3]), 0)) return false;
    }
    return true;
}

}  // namespace quarn
