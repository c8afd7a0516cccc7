#pragma once
// arg_t: the words of a command line. Words are separated by blanks; a word that
// begins with a double quote runs to the next double quote that is not escaped and
// comes out as one word without its quotes and escapes (so `uset name "two words"`
// has three words, the last one `two words`, `""` is an empty word and
// `say "a \"b\" c"` gives `a "b" c`). The quoting rules are those of
// qrncore/strings/quoted_word.h, by which values are written.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "qrncore/strings/string.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {

class QRNSHARED_API arg_t {
public:
    arg_t() = default;
    ~arg_t();
    arg_t(const arg_t &) = delete;
    arg_t &operator=(const arg_t &) = delete;

    // Splits line, replacing the earlier words. max_words 0 means no limit; when the
    // limit is reached, last set makes the final word the rest of the line as it
    // stands (blanks and quotes kept), last clear drops the rest. False (with the
    // words found so far kept) when memory runs out.
    bool split(const string &line, uint32_t max_words = 0, bool last = false);
    void clear();

    uint32_t count() const { return m_count; }
    // Word i; i must be below count().
    const mstring_dyn_t &word(uint32_t i) const;
    const char *c_word(uint32_t i) const { return word(i).c_str(); }

private:
    bool push(const char *text, uint32_t len);

    mstring_dyn_t *m_words = nullptr;
    uint32_t m_count = 0;
    uint32_t m_capacity = 0;
};

}  // namespace quarn
