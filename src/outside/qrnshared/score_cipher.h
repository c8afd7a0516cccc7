#pragma once
// The score-token cipher: a reversible byte cipher whose keys are built at run time
// from a small key number and never stored (docs/formats/score-token.md). The game
// enciphers a score record's text with the key CIPHER_KEY_SCORE_UPLOAD, turns the
// bytes into letters and hands them to the online score page.
//
// Keys and buffers come from the host's allocator and go back through the two free
// functions; both take null.
#include <cstdint>

#include "outside/qrnshared/api.h"

namespace quarn {

// The key of score submissions.
inline constexpr uint32_t CIPHER_KEY_SCORE_UPLOAD = 1;
// The longest text cipher_buf takes.
inline constexpr uint32_t CIPHER_MAX_BYTES = 65536;

struct cipher_key_t;

// An enciphered (or deciphered) copy of the bytes given.
struct cipher_buffer_t {
    uint8_t *data;
    uint32_t size;
};

// The key of that number; null (logged) for a number no key belongs to, or when the
// host has no memory.
QRNSHARED_API cipher_key_t *cipher_key_gen(uint32_t key_number);
QRNSHARED_API void cipher_key_free(cipher_key_t *key);

// The size bytes at data enciphered with the key, as many bytes as given. Null
// (logged) without a key, without bytes (size 0 or null data), past CIPHER_MAX_BYTES,
// or when the host has no memory.
QRNSHARED_API cipher_buffer_t *cipher_buf(const void *data, uint32_t size, const cipher_key_t *key);
// The inverse: deciphers what cipher_buf gave with the same key. Same failures.
QRNSHARED_API cipher_buffer_t *decipher_buf(const void *data, uint32_t size, const cipher_key_t *key);
QRNSHARED_API void cipher_buf_free(cipher_buffer_t *buffer);

}  // namespace quarn
