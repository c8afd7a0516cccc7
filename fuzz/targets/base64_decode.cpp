// Decodes arbitrary text as Base64. Whatever decodes must encode and decode back to
// the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "qrncore/numerics/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The decoder reads a zero-terminated text: cut at the first zero byte.
    const std::string text(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    quarn::base64_t first;
    if (!first.decode(text.c_str())) return 0;
    quarn::base64_t again;
    if (!again.encode(first.get_data(), first.get_data_count())) abort();
    quarn::base64_t back;
    if (!back.decode(again.get_text())) abort();
    if (back.get_data_count() != first.get_data_count()) abort();
    if (first.get_data_count() && memcmp(back.get_data(), first.get_data(), first.get_data_count()) != 0) abort();
    return 0;
}
