#include "qrncore/strings/string.h"

#include "qrncore/qrnutils/ufs/file.h"

namespace quarn {

const string string::EMPTY("");
char string::NUL_CHAR[1] = {0};
const string string::WHITESPACE(" \t\r\n");

int string::compare(const string &other, int32_t n) const {
    if (n != -1) return strncmp(m_str, other.m_str, size_t(uint32_t(n)));
    const auto *a = reinterpret_cast<const unsigned char *>(m_str);
    const auto *b = reinterpret_cast<const unsigned char *>(other.m_str);
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a < *b ? -1 : *a > *b ? 1 : 0;
}

bool string::write(file_t &file) const {
    size_t len = length();
    if (len > UINT32_MAX) return false;
    unsigned char header[8] = {};
    for (int i = 0; i < 4; ++i) header[i] = (unsigned char)(len >> (8 * i));
    if (!file.write(header, sizeof header)) return false;
    return len == 0 || file.write(m_str, uint32_t(len));
}

}  // namespace quarn
