#include "qrncore/units/unit_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "qrncore/strings/number_text.h"

namespace quarn {

size_t unit_float_text(char (&out)[UNIT_FLOAT_TEXT_SIZE], float value) {
    if (std::isfinite(value) && value > -8000001.0f && value < 8000001.0f && std::trunc(value) == value) {
        int n = snprintf(out, sizeof(out), "%g", double(value));
        float back = 0;
        if (n > 0 && string_to_float(back, out) && memcmp(&back, &value, sizeof(float)) == 0) return size_t(n);
    }
    uint32_t bits;
    memcpy(&bits, &value, sizeof(bits));
    return size_t(snprintf(out, sizeof(out), "&%08x", bits));
}

bool unit_text_is_bare(const char *text, size_t length) {
    if (length == 0) return false;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
    }
    return true;
}

}  // namespace quarn
