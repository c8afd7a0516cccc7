#pragma once
// The tokenizer of AI definition values ("name:manner,name:manner",
// "from:to:0:0.2:4:0.96"): fields are parted by ':' and items by ','. Letters,
// digits, '-', '.' and '_' make up a token; every other byte (blanks among them) is
// skipped, so "a : b" reads as "a:b".
#include <cstdint>

namespace quarn {

class ai_value_tokens_t {
public:
    // Longest token; a longer one is an error.
    static constexpr uint32_t MAX_TOKEN = 1024;

    // What ended a token.
    static constexpr int FIELD = 1;   // ':'
    static constexpr int ITEM = 0;    // ','
    static constexpr int END = 2;     // the end of the text
    static constexpr int TOO_LONG = -1;

    explicit ai_value_tokens_t(const char *text) : m_at(text ? text : "") {}

    // Reads the next token into get_token() and tells what ended it. After END every
    // call gives END with an empty token.
    int next();
    const char *get_token() const { return m_token; }

    // Items of a list text ("a:b,c:d" has 2; an empty text none); -1 for a token
    // that is too long.
    static int32_t count_items(const char *text);

private:
    const char *m_at;
    char m_token[MAX_TOKEN + 1] = {};
};

// A whole token as a decimal real (finite) or integer; false for anything else.
bool ai_token_real(const char *token, float &out);
bool ai_token_int(const char *token, int32_t &out);

}  // namespace quarn
