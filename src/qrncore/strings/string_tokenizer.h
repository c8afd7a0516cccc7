#pragma once
// quarn::string_tokenizer_t: splits a text at any byte of a separator set. Runs of
// separators count as one, so leading, repeated and trailing separators never give
// empty tokens.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

class QRNCORE_API string_tokenizer_t {
public:
    // The views must outlive the tokenizer; a null text or set reads as "".
    string_tokenizer_t(const string &text, const string &separators);

    // The next token into out (null: skip it). False when no token is left; true
    // otherwise, even when out could not take the whole token.
    bool get_next(mstring_t *out);
    bool get_next(mstring_t &out) { return get_next(&out); }
    // As get_next, but gives the copy's result: false also when out cut the token.
    bool get_next_safely(mstring_t *out);
    // Everything from the position to the end, separators included; ends the
    // tokenizer. False when nothing was left.
    bool get_rest(mstring_t *out);
    bool get_rest(mstring_t &out) { return get_rest(&out); }

    bool is_finished() const { return m_pos < 0; }

private:
    bool next(mstring_t *out, bool *copied);

    string m_text;
    string m_separators;
    int32_t m_pos;  // start of the next token, -1 when exhausted
};

}  // namespace quarn
