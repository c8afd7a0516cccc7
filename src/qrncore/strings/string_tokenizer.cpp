#include "qrncore/strings/string_tokenizer.h"

#include <cstring>

namespace quarn {

string_tokenizer_t::string_tokenizer_t(const string &text, const string &separators)
    : m_text(text), m_separators(separators) {
    size_t start = strspn(m_text.c_str(), m_separators.c_str());
    m_pos = m_text[start] ? int32_t(start) : -1;
}

bool string_tokenizer_t::next(mstring_t *out, bool *copied) {
    if (m_pos < 0) return false;
    const char *text = m_text.c_str();
    size_t start = size_t(m_pos);
    size_t end = start + strcspn(text + start, m_separators.c_str());
    *copied = out ? out->copy(m_text, 0, uint32_t(start), uint32_t(end - start)) : true;
    size_t after = end + strspn(text + end, m_separators.c_str());
    m_pos = text[after] ? int32_t(after) : -1;
    return true;
}

bool string_tokenizer_t::get_next(mstring_t *out) {
    bool copied;
    return next(out, &copied);
}

bool string_tokenizer_t::get_next_safely(mstring_t *out) {
    bool copied = false;
    return next(out, &copied) && copied;
}

bool string_tokenizer_t::get_rest(mstring_t *out) {
    if (m_pos < 0) return false;
    if (out) out->copy(m_text, 0, uint32_t(m_pos));
    m_pos = -1;
    return true;
}

}  // namespace quarn
