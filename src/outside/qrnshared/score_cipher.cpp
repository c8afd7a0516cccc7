#include "outside/qrnshared/score_cipher.h"

#include <cstring>

#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

// What a key number expands to: the seed of the key stream and the byte the chain
// starts from. Both are derived whenever a key is made.
struct cipher_key_t {
    uint32_t stream_seed;
    uint8_t chain_start;
};

namespace {

constexpr uint32_t KEY_NUMBER_LAST = 255;

// The mixing step of a 64-bit counter generator: spreads the bits of the key number
// over the whole word.
uint64_t mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// The key stream: a 32-bit xorshift generator, one byte (its top byte) per step.
class key_stream_t {
public:
    explicit key_stream_t(uint32_t seed) : m_state(seed) {}
    uint8_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return uint8_t(m_state >> 24);
    }

private:
    uint32_t m_state;
};

cipher_buffer_t *new_buffer(const void *data, uint32_t size, const cipher_key_t *key, const char *what) {
    if (!key) {
        error("[cipher] Cannot %s without a key.", what);
        return nullptr;
    }
    if (!data || size == 0 || size > CIPHER_MAX_BYTES) {
        error("[cipher] Cannot %s %u bytes (1 to %u are taken).", what, data ? size : 0u, CIPHER_MAX_BYTES);
        return nullptr;
    }
    auto *buffer = static_cast<cipher_buffer_t *>(qrncore_system_new(sizeof(cipher_buffer_t)));
    auto *bytes = static_cast<uint8_t *>(qrncore_system_new_vector(size));
    if (!buffer || !bytes) {
        if (buffer) qrncore_system_delete(buffer);
        if (bytes) qrncore_system_delete_vector(bytes);
        error("[cipher] No memory to %s %u bytes.", what, size);
        return nullptr;
    }
    memcpy(bytes, data, size);
    buffer->data = bytes;
    buffer->size = size;
    return buffer;
}

}  // namespace

cipher_key_t *cipher_key_gen(uint32_t key_number) {
    if (key_number == 0 || key_number > KEY_NUMBER_LAST) {
        error("[cipher] There is no key number %u.", key_number);
        return nullptr;
    }
    auto *key = static_cast<cipher_key_t *>(qrncore_system_new(sizeof(cipher_key_t)));
    if (!key) {
        error("[cipher] No memory for a key.");
        return nullptr;
    }
    const uint64_t bits = mix(key_number);
    key->stream_seed = uint32_t(bits) | 1u;  // xorshift never leaves 0
    key->chain_start = uint8_t(bits >> 40);
    return key;
}

void cipher_key_free(cipher_key_t *key) {
    if (key) qrncore_system_delete(key);
}

// c[i] = ((p[i] xor k[i]) + c[i - 1]) mod 256, with c[-1] the key's chain start.
cipher_buffer_t *cipher_buf(const void *data, uint32_t size, const cipher_key_t *key) {
    cipher_buffer_t *buffer = new_buffer(data, size, key, "encipher");
    if (!buffer) return nullptr;
    key_stream_t stream(key->stream_seed);
    uint8_t previous = key->chain_start;
    for (uint32_t i = 0; i < size; ++i) {
        buffer->data[i] = uint8_t((buffer->data[i] ^ stream.next()) + previous);
        previous = buffer->data[i];
    }
    return buffer;
}

// p[i] = ((c[i] - c[i - 1]) mod 256) xor k[i].
cipher_buffer_t *decipher_buf(const void *data, uint32_t size, const cipher_key_t *key) {
    cipher_buffer_t *buffer = new_buffer(data, size, key, "decipher");
    if (!buffer) return nullptr;
    key_stream_t stream(key->stream_seed);
    uint8_t previous = key->chain_start;
    for (uint32_t i = 0; i < size; ++i) {
        const uint8_t enciphered = buffer->data[i];
        buffer->data[i] = uint8_t(uint8_t(enciphered - previous) ^ stream.next());
        previous = enciphered;
    }
    return buffer;
}

void cipher_buf_free(cipher_buffer_t *buffer) {
    if (!buffer) return;
    qrncore_system_delete_vector(buffer->data);
    qrncore_system_delete(buffer);
}

}  // namespace quarn
