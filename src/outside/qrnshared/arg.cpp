#include "outside/qrnshared/arg.h"

#include <cstring>
#include <new>

#include "qrncore/strings/quoted_word.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"

namespace quarn {

arg_t::~arg_t() {
    clear();
    if (m_words) qrncore_system_delete_vector(m_words);
}

void arg_t::clear() {
    for (uint32_t i = 0; i < m_count; ++i) m_words[i].~mstring_dyn_t();
    m_count = 0;
}

const mstring_dyn_t &arg_t::word(uint32_t i) const {
    V_ASSERT(i < m_count);
    return m_words[i];
}

bool arg_t::push(const char *text, uint32_t len) {
    if (m_count == m_capacity) {
        const uint32_t capacity = m_capacity ? m_capacity * 2 : 8;
        auto *words = static_cast<mstring_dyn_t *>(qrncore_system_new_vector(sizeof(mstring_dyn_t) * capacity));
        if (!words) return false;
        for (uint32_t i = 0; i < m_count; ++i) {
            new (&words[i]) mstring_dyn_t(static_cast<mstring_dyn_t &&>(m_words[i]));
            m_words[i].~mstring_dyn_t();
        }
        if (m_words) qrncore_system_delete_vector(m_words);
        m_words = words;
        m_capacity = capacity;
    }
    mstring_dyn_t *w = new (&m_words[m_count]) mstring_dyn_t;
    ++m_count;
    return len == 0 || w->copy(string(text), 0, 0, len);
}

bool arg_t::split(const string &line, uint32_t max_words, bool last) {
    clear();
    const char *p = line.c_str();
    for (;;) {
        while (*p == ' ') ++p;
        if (!*p) return true;
        if (max_words && m_count + 1 == max_words && last) {
            const char *end = p + strlen(p);
            return push(p, uint32_t(end - p));
        }
        if (max_words && m_count == max_words) return true;
        const char *start = p;
        if (*p == '"') {
            start = p + 1;
            p = quoted_word_end(p, p + strlen(p));
            if (!push(start, uint32_t(p - start))) return false;
            mstring_dyn_t &w = m_words[m_count - 1];
            if (p > start) w.data()[quoted_word_unescape(w.data(), uint32_t(p - start))] = 0;
            if (*p == '"') ++p;
        } else {
            while (*p && *p != ' ') ++p;
            if (!push(start, uint32_t(p - start))) return false;
        }
    }
}

}  // namespace quarn
